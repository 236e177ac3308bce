#include "Vystupy.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QIODevice>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <exception>
#include <gif_lib.h>
#include <set>

#include "CodePage.h"
#include "FileLayer.h"
#include "Texty.h"
#include "Vykresleni.h"

namespace sestavy {

namespace fs = std::filesystem;

namespace {

// Reports a page written; a stop answered ends the export.
void dalsiStrana(const PrubehVystupu& prubeh, int hotovo, int celkem) {
  if (prubeh && !prubeh(hotovo, celkem)) throw VystupZrusen();
}

// The file layer's writer as a device for Qt's writers (the PDF writer, the
// picture encoders). No exception may pass through Qt's code, so a failed
// write is kept, told to the writer as a failure and raised by zkontroluj().
class ZarizeniSouboru final : public QIODevice {
 public:
  explicit ZarizeniSouboru(files::AtomicWriter& cil) : cil_(cil) { open(QIODevice::WriteOnly); }
  bool isSequential() const override { return true; }
  void zkontroluj() const {
    if (chyba_) std::rethrow_exception(chyba_);
  }

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 n) override {
    if (chyba_) return -1;
    try {
      cil_.write(std::string_view(data, static_cast<std::size_t>(n)));
      return n;
    } catch (...) {
      chyba_ = std::current_exception();
      return -1;
    }
  }

 private:
  files::AtomicWriter& cil_;
  std::exception_ptr chyba_;
};

// The frame of the exports that are one file of text: `zacatek`, what
// `strana` makes of each page, then `konec`, all through one writer of the
// file layer, each page reported once it is written.
template <class Strana>
void poStranach(const PripravenaSestava& s, const fs::path& soubor, const PrubehVystupu& prubeh,
                std::string_view zacatek, Strana&& strana, std::string_view konec) {
  files::AtomicWriter out(soubor);
  out.write(zacatek);
  const int stran = static_cast<int>(s.strany.size());
  std::string kus;
  for (int i = 0; i < stran; ++i) {
    kus.clear();
    strana(i, kus);
    out.write(kus);
    dalsiStrana(prubeh, i + 1, stran);
  }
  out.write(konec);
  out.commit();
}

}  // namespace

void VykresliStrany(QPagedPaintDevice& zarizeni, const PripravenaSestava& s, int od, int do_,
                    const PrubehVystupu& prubeh) {
  QPainter painter;
  if (!painter.begin(&zarizeni)) throw ChybaSablony("Nelze začít kreslit sestavu");
  const double bodyNaMm = zarizeni.logicalDpiX() / 25.4;
  for (int i = od; i <= do_; ++i) {
    if (i > od) zarizeni.newPage();
    VykresliStranu(painter, s, i, bodyNaMm);
    // A stop leaves the painter to end the document; whoever made the
    // device throws away what it holds.
    dalsiStrana(prubeh, i - od + 1, do_ - od + 1);
  }
  painter.end();
}

QPageLayout RozvrzeniListu(const PripravenaSestava& s) {
  const bool naSirku = s.sirka > s.vyska;
  const QPageSize velikost(QSizeF(std::min(s.sirka, s.vyska), std::max(s.sirka, s.vyska)), QPageSize::Millimeter);
  return QPageLayout(velikost, naSirku ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF());
}

void VystupPDF(const PripravenaSestava& s, const fs::path& soubor, const PrubehVystupu& prubeh) {
  files::AtomicWriter out(soubor);
  ZarizeniSouboru zarizeni(out);
  {
    QPdfWriter pdf(&zarizeni);
    pdf.setResolution(300);
    pdf.setPageLayout(RozvrzeniListu(s));
    pdf.setCreator(QStringLiteral("Odkaznik"));
    pdf.setTitle(s.nazev);
    // A file that refuses its bytes ends the painting at the next page.
    VykresliStrany(pdf, s, 0, static_cast<int>(s.strany.size()) - 1, [&](int hotovo, int celkem) {
      zarizeni.zkontroluj();
      return !prubeh || prubeh(hotovo, celkem);
    });
  }
  zarizeni.zkontroluj();
  out.commit();
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

void VystupHTML(const PripravenaSestava& s, const fs::path& soubor, const PrubehVystupu& prubeh) {
  const std::string zacatek =
      "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; "
      "charset=windows-1250\">\r\n<title>" +
      xmlText(s.nazev, false) +
      "</title>\r\n<style>\r\n.strana{position:relative;border:1px solid #888;margin:0 0 8mm 0;background:#fff}\r\n"
      ".t{position:absolute;overflow:hidden;box-sizing:border-box;padding:0 0.5mm}\r\n.r{border:1px solid "
      "#000}\r\n</style>\r\n</head>\r\n<body>\r\n";
  poStranach(s, soubor, prubeh, zacatek, [&](int i, std::string& o) {
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
  }, "</body>\r\n</html>\r\n");
}

void VystupXML(const PripravenaSestava& s, const fs::path& soubor, const PrubehVystupu& prubeh) {
  poStranach(s, soubor, prubeh,
             "<?xml version=\"1.0\" encoding=\"windows-1250\"?>\r\n<?mso-application progid=\"Excel.Sheet\"?>\r\n"
             "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\" "
             "xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">\r\n<Worksheet ss:Name=\"Sestava\">\r\n<Table>\r\n",
             [&](int i, std::string& o) {
               for (const auto& radek : s.radky(i)) {
                 o += "<Row>";
                 for (const Polozka* p : radek)
                   o += "<Cell><Data ss:Type=\"String\">" + xmlText(p->text, false) + "</Data></Cell>";
                 o += "</Row>\r\n";
               }
             },
             "</Table>\r\n</Worksheet>\r\n</Workbook>\r\n");
}

namespace {

std::string twipy(double mm) { return std::to_string(qRound(mm * 1440 / 25.4)); }
std::string emu(double mm) { return std::to_string(qRound(mm * 36000)); }

// A text as RTF: ASCII as it stands, the code page's other letters as \'xx,
// the rest as \uN with "?" for readers that do not know it. A line break is
// \line where the text may wrap, a space where it stays on one line.
std::string rtfText(const QString& t, bool radky) {
  std::string out;
  for (const char32_t c : t.toUcs4()) {
    unsigned char b = 0;
    if (c == '\n' && radky)
      out += "\\line ";
    else if (c == '\r' && radky)
      continue;
    else if (c < 0x20)
      out += ' ';
    else if (c == '\\' || c == '{' || c == '}')
      out += '\\', out += static_cast<char>(c);
    else if (c < 0x80)
      out += static_cast<char>(c);
    else if (cp1250::fromUnicode(c, b) && cp1250::toUnicode(b) == c) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\'%02x", b);
      out += hex;
    } else if (c <= 0xFFFF) {
      out += "\\u" + std::to_string(static_cast<int16_t>(c)) + '?';
    } else {  // beyond the basic plane: its two surrogates
      const char32_t v = c - 0x10000;
      out += "\\u" + std::to_string(static_cast<int16_t>(0xD800 + (v >> 10))) + "?\\u" +
             std::to_string(static_cast<int16_t>(0xDC00 + (v & 0x3FF))) + '?';
    }
  }
  return out;
}

// The texts of the report's styles measured in millimetres as the pages are
// painted, on a picture of a fixed fine resolution rather than on a screen.
class MiraTextu {
 public:
  explicit MiraTextu(const std::vector<Styl>& styly) : obraz_(1, 1, QImage::Format_RGB32) {
    obraz_.setDotsPerMeterX(qRound(kBodu / 0.0254));
    obraz_.setDotsPerMeterY(qRound(kBodu / 0.0254));
    for (const auto& st : styly) metriky_.emplace_back(PismoStylu(st), &obraz_);
  }

  double radek(int styl) const { return metriky_[styl].height() / kNaMm; }

  // What a one-line box shows of `text`: the whole characters that fit in
  // `sirka` millimetres where the alignment puts the line, the beginning when
  // aligned left, the end when aligned right, the middle when centred.
  QString viditelne(int styl, const QString& text, double sirka, Zarovnani zarovnani) const {
    const QFontMetricsF& m = metriky_[styl];
    const double cela = m.horizontalAdvance(text) / kNaMm;
    if (cela <= sirka) return text;
    const double od = zarovnani == Zarovnani::Vlevo ? 0 : zarovnani == Zarovnani::Vpravo ? cela - sirka
                                                                                         : (cela - sirka) / 2;
    // Where the n-th character starts grows with n: both ends by halving.
    auto x = [&](qsizetype n) { return m.horizontalAdvance(text.left(n)) / kNaMm; };
    // The least n for which vyhovuje(n) holds; text.size() + 1 when none does.
    auto prvni = [&](auto vyhovuje) {
      qsizetype lo = 0, hi = text.size() + 1;
      while (lo < hi) {
        const qsizetype n = (lo + hi) / 2;
        if (vyhovuje(n))
          hi = n;
        else
          lo = n + 1;
      }
      return lo;
    };
    qsizetype zacatek = prvni([&](qsizetype n) { return x(n) >= od - 1e-9; });
    qsizetype konec = prvni([&](qsizetype n) { return x(n) > od + sirka + 1e-9; }) - 1;
    // A pair of surrogates stays whole or goes whole.
    if (zacatek < text.size() && text[zacatek].isLowSurrogate()) ++zacatek;
    if (konec > zacatek && text[konec - 1].isHighSurrogate()) --konec;
    return konec > zacatek ? text.mid(zacatek, konec - zacatek) : QString();
  }

 private:
  static constexpr double kBodu = 1200;  // dots per inch
  static constexpr double kNaMm = kBodu / 25.4;
  QImage obraz_;
  std::vector<QFontMetricsF> metriky_;
};

}  // namespace

void VystupRTF(const PripravenaSestava& s, const fs::path& soubor, const PrubehVystupu& prubeh) {
  // Fonts of the report, in the order the styles name them.
  QStringList pisma;
  for (const auto& st : s.styly)
    if (!pisma.contains(st.pismo)) pisma << st.pismo;
  std::string zacatek = "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl";
  for (int i = 0; i < pisma.size(); ++i)
    zacatek += "{\\f" + std::to_string(i) + "\\fswiss\\fcharset238 " + cp1250::fromUtf8(pisma[i].toStdString()) + ";}";
  zacatek += "}\r\n\\paperw" + twipy(s.sirka) + "\\paperh" + twipy(s.vyska) + (s.sirka > s.vyska ? "\\landscape" : "") +
             "\\margl" + twipy(s.okraje.left()) + "\\margr" + twipy(s.okraje.right()) + "\\margt" +
             twipy(s.okraje.top()) + "\\margb" + twipy(s.okraje.bottom()) + "\r\n";
  // Each page is one paragraph holding its texts as text boxes placed on the
  // sheet. Text runs through them, so the paragraph stays on its page
  // however full the page is; the next page's paragraph starts a new page.
  const MiraTextu mira(s.styly);
  int tvar = 0;
  poStranach(s, soubor, prubeh, zacatek, [&](int i, std::string& o) {
    o += i > 0 ? "\\pard\\plain\\pagebb\\fs2\r\n" : "\\pard\\plain\\fs2\r\n";
    for (const auto& p : s.strany[i].polozky) {
      const Styl& st = s.styly[p.styl];
      if (p.text.isEmpty() && !st.ramecek) continue;
      const QRectF& r = p.obdelnik;
      // A word processor sets a line a little wider than the painter does
      // and wraps what does not fit: a one-line text is cut with room to spare.
      const double sirkaTextu = (r.width() - 2 * kOdsazeniTextu) * 0.96;
      const bool radky = ZalamujeSe(r.height(), mira.radek(p.styl));
      ++tvar;
      o += "{\\shp{\\*\\shpinst\\shpleft" + twipy(r.left()) + "\\shptop" + twipy(r.top()) + "\\shpright" +
           twipy(r.right()) + "\\shpbottom" + twipy(r.bottom()) + "\\shpfhdr0\\shpbxpage\\shpbypage\\shpwr3\\shpz" +
           std::to_string(tvar) + "\\shplid" + std::to_string(1024 + tvar) +
           "{\\sp{\\sn shapeType}{\\sv 202}}{\\sp{\\sn fFilled}{\\sv 0}}";
      if (st.ramecek)
        o += "{\\sp{\\sn fLine}{\\sv 1}}{\\sp{\\sn lineWidth}{\\sv " + emu(kSirkaRamecku) + "}}";
      else
        o += "{\\sp{\\sn fLine}{\\sv 0}}";
      o += "{\\sp{\\sn dxTextLeft}{\\sv " + emu(kOdsazeniTextu) + "}}{\\sp{\\sn dxTextRight}{\\sv " +
           emu(kOdsazeniTextu) + "}}{\\sp{\\sn dyTextTop}{\\sv 0}}{\\sp{\\sn dyTextBottom}{\\sv 0}}";
      o += std::string("{\\shptxt\\pard\\plain") +
           (st.zarovnani == Zarovnani::Stred ? "\\qc" : st.zarovnani == Zarovnani::Vpravo ? "\\qr" : "\\ql") + "{\\f" +
           std::to_string(pisma.indexOf(st.pismo)) + "\\fs" + std::to_string(qRound(st.velikost * 2)) +
           (st.tucne ? "\\b" : "") + (st.kurziva ? "\\i" : "") + ' ' +
           rtfText(radky ? p.text : mira.viditelne(p.styl, jednoradkovy(p.text), sirkaTextu, st.zarovnani), radky) +
           "}\\par}}}\r\n";
    }
    o += "\\par\r\n";
  }, "}\r\n");
}

namespace {

// The name of page `strana`'s picture: the first in `soubor`, the others
// beside it with their number.
fs::path jmenoObrazku(const fs::path& soubor, int strana) {
  if (strana == 0) return soubor;
  fs::path cil = soubor;
  cil.replace_filename(soubor.stem().string() + '_' + std::to_string(strana + 1) + soubor.extension().string());
  return cil;
}

// The 256 colours of the GIF pictures: the 216 of the web (six levels of
// each of red, green and blue), then the 40 greys between the cube's six,
// so that the edges of black text on white keep their shades.
const QList<QRgb>& paletaGif() {
  static const QList<QRgb> paleta = [] {
    QList<QRgb> p;
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b) p << qRgb(r * 51, g * 51, b * 51);
    for (int k = 1; k <= 40; ++k) {
      const int sed = qRound(k * 255.0 / 41);  // never one of the cube's levels
      p << qRgb(sed, sed, sed);
    }
    return p;
  }();
  return paleta;
}

// giflib's output: the bytes go to the QIODevice it was opened on.
int zapisGif(GifFileType* gif, const GifByteType* data, int n) {
  auto* cil = static_cast<QIODevice*>(gif->UserData);
  return cil->write(reinterpret_cast<const char*>(data), n) == n ? n : 0;
}

// A page as a GIF picture in the fixed palette: one image, no animation.
bool ulozGif(const QImage& obraz, QIODevice& cil) {
  const QImage ind = obraz.convertToFormat(QImage::Format_Indexed8, paletaGif(), Qt::ThresholdDither);
  int chyba = 0;
  GifFileType* gif = EGifOpen(&cil, zapisGif, &chyba);
  if (!gif) return false;
  bool ok = true;
  ColorMapObject* mapa = GifMakeMapObject(256, nullptr);
  if (!mapa) {
    EGifCloseFile(gif, &chyba);
    return false;
  }
  const QList<QRgb> barvy = ind.colorTable();
  for (int i = 0; i < 256; ++i) {
    const QRgb c = i < barvy.size() ? barvy[i] : qRgb(0, 0, 0);
    mapa->Colors[i] = GifColorType{static_cast<GifByteType>(qRed(c)), static_cast<GifByteType>(qGreen(c)),
                                   static_cast<GifByteType>(qBlue(c))};
  }
  EGifSetGifVersion(gif, true);
  ok = EGifPutScreenDesc(gif, ind.width(), ind.height(), 8, 0, mapa) == GIF_OK &&
       EGifPutImageDesc(gif, 0, 0, ind.width(), ind.height(), false, nullptr) == GIF_OK;
  for (int y = 0; ok && y < ind.height(); ++y)
    ok = EGifPutLine(gif, const_cast<GifPixelType*>(ind.constScanLine(y)), ind.width()) == GIF_OK;
  GifFreeMapObject(mapa);
  return EGifCloseFile(gif, &chyba) == GIF_OK && ok;
}

// Encodes a page's picture in `format` ("BMP", "PNG" or "GIF").
bool ulozObrazek(const QImage& obraz, const char* format, QIODevice& cil) {
  if (qstrcmp(format, "GIF") == 0) return ulozGif(obraz, cil);
  return obraz.save(&cil, format);
}

}  // namespace

std::vector<fs::path> VystupObrazky(const PripravenaSestava& s, const fs::path& soubor, const char* format,
                                    const PrubehVystupu& prubeh) {
  std::vector<fs::path> out;
  const int stran = static_cast<int>(s.strany.size());
  try {
    for (int i = 0; i < stran; ++i) {
      const fs::path cil = jmenoObrazku(soubor, i);
      files::AtomicWriter zapis(cil);
      ZarizeniSouboru zarizeni(zapis);
      const bool zakodovano = ulozObrazek(ObrazekStrany(s, i), format, zarizeni);
      zarizeni.zkontroluj();
      if (!zakodovano) throw files::FileError(files::cannotCreate(cil, EIO));
      zapis.commit();
      out.push_back(cil);
      dalsiStrana(prubeh, i + 1, stran);
    }
  } catch (...) {
    for (const auto& f : out) files::removeFile(f);
    throw;
  }
  return out;
}

std::int64_t OdhadObrazku(const PripravenaSestava& s, const char* format) {
  const int stran = static_cast<int>(s.strany.size());
  if (stran == 0) return 0;
  const std::set<int> vzorek{0, stran / 2, stran - 1};
  std::int64_t bajtu = 0;
  for (int i : vzorek) {
    QBuffer obsah;
    obsah.open(QIODevice::WriteOnly);
    ulozObrazek(ObrazekStrany(s, i), format, obsah);
    bajtu += obsah.size();
  }
  return bajtu * stran / static_cast<std::int64_t>(vzorek.size());
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

void VystupText(const PripravenaSestava& s, const fs::path& soubor, const PrubehVystupu& prubeh) {
  // Columns count from the leftmost text of the report.
  double levy = s.sirka;
  for (const auto& strana : s.strany)
    for (const auto& p : strana.polozky) levy = std::min(levy, p.obdelnik.left());
  poStranach(s, soubor, prubeh, {}, [&](int i, std::string& o) {
    for (const auto& radek : s.radky(i)) {
      std::string r = textRadku(radek, levy);
      if (!r.empty()) o += r + "\r\n";
    }
  }, {});
}

void VystupCSV(const PripravenaSestava& s, const fs::path& soubor, const PrubehVystupu& prubeh) {
  poStranach(s, soubor, prubeh, {}, [&](int i, std::string& o) {
    for (const auto& radek : s.radky(i)) {
      for (size_t k = 0; k < radek.size(); ++k) {
        if (k > 0) o += ';';
        o += csvPole(radek[k]->text);
      }
      o += "\r\n";
    }
  }, {});
}

const std::vector<DruhVystupu>& DruhyVystupu() {
  static const std::vector<DruhVystupu> druhy = {
      {QStringLiteral("Soubor PDF"), QStringLiteral("Soubor PDF (*.pdf)"), QStringLiteral("pdf"), VystupPDF},
      {QStringLiteral("Stránka HTML"), QStringLiteral("Stránka HTML (*.html *.htm)"), QStringLiteral("html"),
       VystupHTML},
      {QStringLiteral("Tabulka XML"), QStringLiteral("Tabulka XML (*.xml)"), QStringLiteral("xml"), VystupXML},
      {QStringLiteral("Dokument RTF"), QStringLiteral("Dokument RTF (*.rtf)"), QStringLiteral("rtf"), VystupRTF},
      {QStringLiteral("Obrázky BMP"), QStringLiteral("Obrázek BMP (*.bmp)"), QStringLiteral("bmp"),
       [](const PripravenaSestava& s, const fs::path& soubor, const PrubehVystupu& prubeh) {
         VystupObrazky(s, soubor, "BMP", prubeh);
       },
       [](const PripravenaSestava& s) { return OdhadObrazku(s, "BMP"); }},
      {QStringLiteral("Obrázky PNG"), QStringLiteral("Obrázek PNG (*.png)"), QStringLiteral("png"),
       [](const PripravenaSestava& s, const fs::path& soubor, const PrubehVystupu& prubeh) {
         VystupObrazky(s, soubor, "PNG", prubeh);
       },
       [](const PripravenaSestava& s) { return OdhadObrazku(s, "PNG"); }},
      {QStringLiteral("Obrázky GIF"), QStringLiteral("Obrázek GIF (*.gif)"), QStringLiteral("gif"),
       [](const PripravenaSestava& s, const fs::path& soubor, const PrubehVystupu& prubeh) {
         VystupObrazky(s, soubor, "GIF", prubeh);
       },
       [](const PripravenaSestava& s) { return OdhadObrazku(s, "GIF"); }},
      {QStringLiteral("Prostý text"), QStringLiteral("Textový soubor (*.txt)"), QStringLiteral("txt"), VystupText},
      {QStringLiteral("Soubor CSV"), QStringLiteral("Soubor CSV (*.csv)"), QStringLiteral("csv"), VystupCSV},
  };
  return druhy;
}

void Vystup(int druh, const PripravenaSestava& s, const fs::path& soubor, const PrubehVystupu& prubeh) {
  const auto& druhy = DruhyVystupu();
  if (druh < 0 || druh >= static_cast<int>(druhy.size())) throw ChybaSablony("Neznámý druh výstupu");
  druhy[static_cast<std::size_t>(druh)].zapis(s, soubor, prubeh);
}

}  // namespace sestavy
