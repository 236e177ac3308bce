#include "Vystupy.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include "CodePage.h"
#include "FileLayer.h"
#include "Texty.h"
#include "Vykresleni.h"

namespace sestavy {

namespace fs = std::filesystem;

void VykresliStrany(QPagedPaintDevice& zarizeni, const PripravenaSestava& s, int od, int do_) {
  QPainter painter;
  if (!painter.begin(&zarizeni)) throw ChybaSablony("Nelze začít kreslit sestavu");
  const double bodyNaMm = zarizeni.logicalDpiX() / 25.4;
  for (int i = od; i <= do_; ++i) {
    if (i > od) zarizeni.newPage();
    VykresliStranu(painter, s, i, bodyNaMm);
  }
  painter.end();
}

QPageLayout RozvrzeniListu(const PripravenaSestava& s) {
  const bool naSirku = s.sirka > s.vyska;
  const QPageSize velikost(QSizeF(std::min(s.sirka, s.vyska), std::max(s.sirka, s.vyska)), QPageSize::Millimeter);
  return QPageLayout(velikost, naSirku ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF());
}

void VystupPDF(const PripravenaSestava& s, const fs::path& soubor) {
  QBuffer obsah;
  obsah.open(QIODevice::WriteOnly);
  {
    QPdfWriter pdf(&obsah);
    pdf.setResolution(300);
    pdf.setPageLayout(RozvrzeniListu(s));
    pdf.setCreator(QStringLiteral("Odkaznik"));
    pdf.setTitle(s.nazev);
    VykresliStrany(pdf, s, 0, static_cast<int>(s.strany.size()) - 1);
  }
  files::writeFileAtomically(soubor, std::string_view(obsah.data().constData(), obsah.data().size()));
}

namespace {

// Windows-1250 bytes of a text for an XML or HTML file; line breaks as <br>
// in a page's text, as references elsewhere.
std::string xmlText(const QString& text, bool radky) {
  return ZnackovyText(text, radky ? Ridici::RadekBr : Ridici::RadekOdkaz);
}

std::string mm(double v) { return QString::number(v, 'f', 2).toStdString(); }

// A text on one line: line breaks and other control characters as spaces.
QString jednoradkovy(const QString& text) {
  QString out = text;
  for (QChar& c : out)
    if (c.unicode() < 0x20) c = QLatin1Char(' ');
  return out;
}

}  // namespace

void VystupHTML(const PripravenaSestava& s, const fs::path& soubor) {
  std::string o =
      "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; "
      "charset=windows-1250\">\r\n<title>" +
      xmlText(s.nazev, false) +
      "</title>\r\n<style>\r\n.strana{position:relative;border:1px solid #888;margin:0 0 8mm 0;background:#fff}\r\n"
      ".t{position:absolute;overflow:hidden;box-sizing:border-box;padding:0 0.5mm}\r\n.r{border:1px solid "
      "#000}\r\n</style>\r\n</head>\r\n<body>\r\n";
  for (size_t i = 0; i < s.strany.size(); ++i) {
    o += "<div class=\"strana\" style=\"width:" + mm(s.sirka) + "mm;height:" + mm(s.vyska) + "mm\">\r\n";
    for (const auto& p : s.strany[i].polozky) {
      const Styl& st = s.styly[p.styl];
      o += std::string("<div class=\"t") + (st.ramecek ? " r" : "") + "\" style=\"left:" + mm(p.obdelnik.left()) +
           "mm;top:" + mm(p.obdelnik.top()) + "mm;width:" + mm(p.obdelnik.width()) +
           "mm;height:" + mm(p.obdelnik.height()) + "mm;font:" + (st.kurziva ? "italic " : "") +
           (st.tucne ? "bold " : "") + QString::number(st.velikost).toStdString() + "pt '" + xmlText(st.pismo, false) +
           "',sans-serif" +
           (st.zarovnani == Zarovnani::Stred   ? ";text-align:center"
            : st.zarovnani == Zarovnani::Vpravo ? ";text-align:right"
                                                : "") +
           "\">" + xmlText(p.text, true) + "</div>\r\n";
    }
    o += "</div>\r\n";
  }
  o += "</body>\r\n</html>\r\n";
  files::writeFileAtomically(soubor, o);
}

void VystupXML(const PripravenaSestava& s, const fs::path& soubor) {
  std::string o =
      "<?xml version=\"1.0\" encoding=\"windows-1250\"?>\r\n<?mso-application progid=\"Excel.Sheet\"?>\r\n"
      "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\" "
      "xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">\r\n<Worksheet ss:Name=\"Sestava\">\r\n<Table>\r\n";
  for (int i = 0; i < static_cast<int>(s.strany.size()); ++i) {
    for (const auto& radek : s.radky(i)) {
      o += "<Row>";
      for (const Polozka* p : radek) o += "<Cell><Data ss:Type=\"String\">" + xmlText(p->text, false) + "</Data></Cell>";
      o += "</Row>\r\n";
    }
  }
  o += "</Table>\r\n</Worksheet>\r\n</Workbook>\r\n";
  files::writeFileAtomically(soubor, o);
}

void VystupRTF(const PripravenaSestava& s, const fs::path& soubor) {
  auto twip = [](double v) { return std::to_string(qRound(v * 1440 / 25.4)); };
  // Fonts of the report, in the order the styles name them.
  QStringList pisma;
  for (const auto& st : s.styly)
    if (!pisma.contains(st.pismo)) pisma << st.pismo;
  std::string o = "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl";
  for (int i = 0; i < pisma.size(); ++i)
    o += "{\\f" + std::to_string(i) + "\\fswiss\\fcharset238 " + cp1250::fromUtf8(pisma[i].toStdString()) + ";}";
  o += "}\r\n\\paperw" + twip(s.sirka) + "\\paperh" + twip(s.vyska) + (s.sirka > s.vyska ? "\\landscape" : "") +
       "\\margl0\\margr0\\margt0\\margb0\r\n";
  auto text = [](const QString& t) {
    std::string out;
    for (const char32_t c : jednoradkovy(t).toUcs4()) {
      unsigned char b = 0;
      if (c == '\\' || c == '{' || c == '}')
        out += '\\', out += static_cast<char>(c);
      else if (c < 0x80)
        out += static_cast<char>(c);
      else if (cp1250::fromUnicode(c, b) && cp1250::toUnicode(b) == c) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\'%02x", b);
        out += hex;
      } else if (c <= 0xFFFF)
        out += "\\u" + std::to_string(static_cast<int16_t>(c)) + '?';
      else
        out += '?';
    }
    return out;
  };
  for (int i = 0; i < static_cast<int>(s.strany.size()); ++i) {
    if (i > 0) o += "\\page\r\n";
    for (const auto& radek : s.radky(i)) {
      o += "\\pard\\plain";
      for (size_t k = 1; k < radek.size(); ++k) o += "\\tx" + twip(radek[k]->obdelnik.left());
      o += "\\li" + twip(radek.front()->obdelnik.left()) + ' ';
      for (size_t k = 0; k < radek.size(); ++k) {
        const Styl& st = s.styly[radek[k]->styl];
        if (k > 0) o += "\\tab ";
        o += "{\\f" + std::to_string(pisma.indexOf(st.pismo)) + "\\fs" + std::to_string(qRound(st.velikost * 2)) +
             (st.tucne ? "\\b" : "") + (st.kurziva ? "\\i" : "") + ' ' + text(radek[k]->text) + '}';
      }
      o += "\\par\r\n";
    }
  }
  o += "}\r\n";
  files::writeFileAtomically(soubor, o);
}

std::vector<fs::path> VystupObrazky(const PripravenaSestava& s, const fs::path& soubor, const char* format) {
  std::vector<fs::path> out;
  for (int i = 0; i < static_cast<int>(s.strany.size()); ++i) {
    fs::path cil = soubor;
    if (i > 0) cil.replace_filename(soubor.stem().string() + '_' + std::to_string(i + 1) + soubor.extension().string());
    QByteArray bajty;
    QBuffer buf(&bajty);
    buf.open(QIODevice::WriteOnly);
    if (!ObrazekStrany(s, i).save(&buf, format)) throw files::FileError(files::cannotCreate(cil, EIO));
    files::writeFileAtomically(cil, std::string_view(bajty.constData(), bajty.size()));
    out.push_back(cil);
  }
  return out;
}

namespace {

// The lines of the text export: texts set at the column their place on the
// sheet gives them (two millimetres to a character).
std::string textRadku(const std::vector<const Polozka*>& radek, double levy) {
  QString r;
  for (const Polozka* p : radek) {
    const QString t = jednoradkovy(p->text).trimmed();
    if (t.isEmpty()) continue;
    const int sloupec = static_cast<int>((p->obdelnik.left() - levy) / 2.0);
    if (r.size() < sloupec)
      r += QString(sloupec - r.size(), QLatin1Char(' '));
    else if (!r.isEmpty())
      r += QLatin1Char(' ');
    r += t;
  }
  while (!r.isEmpty() && r.back() == QLatin1Char(' ')) r.chop(1);
  return doAnsi(r);
}

std::string csvPole(const QString& text) {
  QString t = text;
  t.remove(QLatin1Char('\r'));
  bool uvozovky = t.contains(QLatin1Char(';')) || t.contains(QLatin1Char('"')) || t.contains(QLatin1Char('\n')) ||
                  (!t.isEmpty() && (t.front().isSpace() || t.back().isSpace()));
  for (QChar& c : t)
    if (c.unicode() < 0x20 && c != QLatin1Char('\n')) c = QLatin1Char(' ');
  if (!uvozovky) return doAnsi(t);
  t.replace(QLatin1String("\""), QLatin1String("\"\""));
  t.replace(QLatin1String("\n"), QLatin1String("\r\n"));
  return '"' + doAnsi(t) + '"';
}

}  // namespace

void VystupText(const PripravenaSestava& s, const fs::path& soubor) {
  // Columns count from the leftmost text of the report.
  double levy = s.sirka;
  for (const auto& strana : s.strany)
    for (const auto& p : strana.polozky) levy = std::min(levy, p.obdelnik.left());
  std::string o;
  for (int i = 0; i < static_cast<int>(s.strany.size()); ++i)
    for (const auto& radek : s.radky(i)) {
      std::string r = textRadku(radek, levy);
      if (!r.empty()) o += r + "\r\n";
    }
  files::writeFileAtomically(soubor, o);
}

void VystupCSV(const PripravenaSestava& s, const fs::path& soubor) {
  std::string o;
  for (int i = 0; i < static_cast<int>(s.strany.size()); ++i)
    for (const auto& radek : s.radky(i)) {
      for (size_t k = 0; k < radek.size(); ++k) {
        if (k > 0) o += ';';
        o += csvPole(radek[k]->text);
      }
      o += "\r\n";
    }
  files::writeFileAtomically(soubor, o);
}

const std::vector<DruhVystupu>& DruhyVystupu() {
  static const std::vector<DruhVystupu> druhy = {
      {QStringLiteral("Soubor PDF"), QStringLiteral("Soubor PDF (*.pdf)"), QStringLiteral("pdf"), VystupPDF},
      {QStringLiteral("Stránka HTML"), QStringLiteral("Stránka HTML (*.html *.htm)"), QStringLiteral("html"),
       VystupHTML},
      {QStringLiteral("Tabulka XML"), QStringLiteral("Tabulka XML (*.xml)"), QStringLiteral("xml"), VystupXML},
      {QStringLiteral("Dokument RTF"), QStringLiteral("Dokument RTF (*.rtf)"), QStringLiteral("rtf"), VystupRTF},
      {QStringLiteral("Obrázky BMP"), QStringLiteral("Obrázek BMP (*.bmp)"), QStringLiteral("bmp"),
       [](const PripravenaSestava& s, const fs::path& soubor) { VystupObrazky(s, soubor, "BMP"); }},
      {QStringLiteral("Obrázky PNG"), QStringLiteral("Obrázek PNG (*.png)"), QStringLiteral("png"),
       [](const PripravenaSestava& s, const fs::path& soubor) { VystupObrazky(s, soubor, "PNG"); }},
      {QStringLiteral("Prostý text"), QStringLiteral("Textový soubor (*.txt)"), QStringLiteral("txt"), VystupText},
      {QStringLiteral("Soubor CSV"), QStringLiteral("Soubor CSV (*.csv)"), QStringLiteral("csv"), VystupCSV},
  };
  return druhy;
}

void Vystup(int druh, const PripravenaSestava& s, const fs::path& soubor) {
  const auto& druhy = DruhyVystupu();
  if (druh < 0 || druh >= static_cast<int>(druhy.size())) throw ChybaSablony("Neznámý druh výstupu");
  druhy[static_cast<std::size_t>(druh)].zapis(s, soubor);
}

}  // namespace sestavy
