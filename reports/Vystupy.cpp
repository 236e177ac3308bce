#include "Vystupy.h"

#include <QBuffer>
#include <QIODevice>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <exception>
#include <gif_lib.h>
#include <set>

#include "CodePage.h"
#include "FileLayer.h"
#include "Texty.h"
#include "Sazba.h"
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
      ".t{position:absolute;overflow:hidden;box-sizing:border-box;padding:0 0.5mm;white-space:pre}\r\n"
      ".r{border:1px solid "
      "#000}\r\n</style>\r\n</head>\r\n<body>\r\n";
  poStranach(s, soubor, prubeh, zacatek, [&](int i, std::string& o) {
    o += "<div class=\"strana\" style=\"width:" + mm(s.sirka) + "mm;height:" + mm(s.vyska) + "mm\">\r\n";
    for (const auto& p : s.strany[i].polozky) {
      const Styl& st = s.styly[p.styl];
      // The lines the preview shows, a cut text ending with "…": the
      // browser neither breaks them again nor hides a rest.
      const Pismo& pismo = Pismo::Stylu(st);
      QStringList radky;
      for (QString& r : pismo.radky(p.text, p.obdelnik.width(), pismo.radkuVeVysce(p.obdelnik.height())))
        radky << std::move(r);
      o += std::string("<div class=\"t") + (st.ramecek ? " r" : "") + "\" style=\"left:" + mm(p.obdelnik.left()) +
           "mm;top:" + mm(p.obdelnik.top()) + "mm;width:" + mm(p.obdelnik.width()) +
           "mm;height:" + mm(p.obdelnik.height()) + "mm;font:" + (st.kurziva ? "italic " : "") +
           (st.tucne ? "bold " : "") + QString::number(st.velikost).toStdString() + "pt '" + xmlText(st.pismo, false) +
           "',sans-serif;line-height:" + mm(pismo.radek()) + "mm" +
           (st.zarovnani == Zarovnani::Stred   ? ";text-align:center"
            : st.zarovnani == Zarovnani::Vpravo ? ";text-align:right"
                                                : "") +
           "\">" + xmlText(radky.join(QLatin1Char('\n')), true) + "</div>\r\n";
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

// The width of a box's border, millimetres, as the pages are painted.
constexpr double kSirkaRamecku = 0.2;

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

}  // namespace

namespace {

// The height of the paragraphs between the RTF export's pages, twips.
constexpr int kOddelovac = 1;

// A page of the RTF export as a table of rows placed under the top margin:
// a row boundary at every top of a text and every bottom of a bordered one,
// so that each text is one cell (merged down over the rows it spans) at its
// place and width on the sheet, and the spaces between texts are empty
// cells. A text without a border may have more room below it than its box:
// nothing shows it, and a band's texts of different heights stay one row
// (a word processor lays out fewer rows and merged cells faster). Rows have
// their exact height, so a word processor neither grows nor shrinks them, and the
// cells have no padding: the text keeps its inset from the side its
// alignment measures from, as the preview paints it.
class StranaRtf {
 public:
  // `levy`: the left margin, `horni`: where the tables start, twips.
  StranaRtf(const PripravenaSestava& s, const QStringList& pisma, int levy, int horni)
      : s_(s), pisma_(pisma), levy_(levy), horni_(horni) {}

  // Page `strana`, its table reaching no lower than `nejnize` (twips from
  // the sheet's top).
  void zapis(int strana, int nejnize, std::string& o) {
    bunky_.clear();
    std::vector<Bunka> navrch;
    for (const auto& p : s_.strany[strana].polozky) {
      const Styl& st = s_.styly[p.styl];
      if (p.text.isEmpty() && !st.ramecek) continue;
      const QRectF& r = p.obdelnik;
      Bunka b{&p, &st, tw(r.left()) - levy_, tw(r.right()) - levy_, std::clamp(tw(r.top()), horni_, nejnize),
              std::clamp(tw(r.bottom()), horni_, nejnize)};
      if (b.prava <= b.leva || b.dole <= b.nahore) {
        navrch.push_back(b);
        continue;
      }
      const bool prekryva = std::any_of(bunky_.begin(), bunky_.end(), [&](const Bunka& c) {
        return c.leva < b.prava && b.leva < c.prava && c.nahore < b.dole && b.nahore < c.dole;
      });
      (prekryva ? navrch : bunky_).push_back(b);
    }
    // The paragraph the page starts with (the next page with a new page)
    // holds the texts that lie over another one as text boxes.
    o += "\\pard\\plain\\fs2\\sl-" + std::to_string(kOddelovac) + "\\slmult0" + (strana > 0 ? "\\pagebb" : "");
    for (const Bunka& b : navrch) o += ramecek(b);
    o += "\\par\r\n";
    std::vector<int> meze{horni_};
    int x0 = 0, x1 = 1, dole = horni_;
    if (!bunky_.empty()) {
      x0 = bunky_[0].leva, x1 = bunky_[0].prava;
    }
    for (const Bunka& b : bunky_) {
      meze.push_back(b.nahore);
      if (b.st->ramecek) meze.push_back(b.dole);
      dole = std::max(dole, b.dole);
      x0 = std::min(x0, b.leva), x1 = std::max(x1, b.prava);
    }
    meze.push_back(dole);
    std::sort(meze.begin(), meze.end());
    meze.erase(std::unique(meze.begin(), meze.end()), meze.end());
    std::sort(bunky_.begin(), bunky_.end(), [](const Bunka& a, const Bunka& b) { return a.leva < b.leva; });
    if (meze.size() < 2) meze.push_back(horni_ + 1);
    for (size_t k = 0; k + 1 < meze.size(); ++k) radek(meze[k], meze[k + 1], x0, x1, o);
  }

 private:
  struct Bunka {
    const Polozka* p;
    const Styl* st;
    int leva, prava, nahore, dole;  // twips: from the left margin, from the sheet's top
  };

  static int tw(double mm) { return qRound(mm * 1440 / 25.4); }

  // The row from `y0` to `y1`, from `x0` to `x1`: the cells of the texts
  // reaching over it, empty cells between them.
  void radek(int y0, int y1, int x0, int x1, std::string& o) const {
    std::vector<const Bunka*> v;
    for (const Bunka& b : bunky_)
      if (b.nahore <= y0 && b.dole > y0) v.push_back(&b);
    std::string def = "\\trowd\\trgaph0\\trleft" + std::to_string(x0) + "\\trrh-" + std::to_string(y1 - y0) +
                      "\\trpaddl0\\trpaddr0\\trpaddt0\\trpaddb0\\trpaddfl3\\trpaddfr3\\trpaddft3\\trpaddfb3";
    std::string obsah;
    int x = x0;
    auto prazdna = [&](int do_) {
      if (do_ <= x) return;
      def += "\\cellx" + std::to_string(do_);
      obsah += "\\pard\\plain\\intbl\\fs2\\cell";
      x = do_;
    };
    for (const Bunka* b : v) {
      prazdna(b->leva);
      const bool prvni = b->nahore == y0, posledni = b->dole <= y1;
      if (!(prvni && posledni)) def += prvni ? "\\clvmgf" : "\\clvmrg";
      if (b->st->ramecek) {
        const std::string cara = "\\brdrs\\brdrw" + std::to_string(tw(kSirkaRamecku));
        if (prvni) def += "\\clbrdrt" + cara;
        def += "\\clbrdrl" + cara + "\\clbrdrr" + cara;
        if (posledni) def += "\\clbrdrb" + cara;
      }
      def += "\\cellx" + std::to_string(b->prava);
      x = b->prava;
      obsah += prvni ? "\\pard\\plain\\intbl" + text(*b) : std::string("\\pard\\plain\\intbl\\fs2");
      obsah += "\\cell";
    }
    prazdna(x1);
    o += def + "\r\n" + obsah + "\\row\r\n";
  }

  // A text's paragraph: the lines the typesetting gives it, as the preview
  // paints them (a cut text ends with "…"), each line at its height. The
  // inset on the side the alignment does not measure from is left to the
  // line: a reader whose line comes out a hair wider than the typesetting's
  // then does not wrap it again.
  std::string text(const Bunka& b) const {
    const Styl& st = *b.st;
    const Pismo& pismo = Pismo::Stylu(st);
    const QRectF& r = b.p->obdelnik;
    QString t;
    if (!b.p->text.isEmpty())
      for (const QString& radek : pismo.radky(b.p->text, r.width(), pismo.radkuVeVysce(r.height())))
        t += (t.isEmpty() ? QString() : QStringLiteral("\n")) + radek;
    const std::string odsazeni = std::to_string(tw(kOdsazeni));
    return std::string(st.zarovnani == Zarovnani::Stred    ? "\\qc"
            : st.zarovnani == Zarovnani::Vpravo ? "\\qr\\ri" + odsazeni
                                                : "\\ql\\li" + odsazeni) +
           "\\sl-" + std::to_string(tw(pismo.radek())) + "\\slmult0{\\f" +
           std::to_string(pisma_.indexOf(st.pismo)) + "\\fs" + std::to_string(qRound(st.velikost * 2)) +
           (st.tucne ? "\\b" : "") + (st.kurziva ? "\\i" : "") + ' ' + rtfText(t, true) + "}";
  }

  // A text over another one as a text box placed on the sheet, its text set
  // as in a cell.
  std::string ramecek(const Bunka& b) {
    const Styl& st = *b.st;
    const QRectF& r = b.p->obdelnik;
    ++tvar_;
    std::string o = "{\\shp{\\*\\shpinst\\shpleft" + std::to_string(tw(r.left())) + "\\shptop" +
                    std::to_string(tw(r.top())) + "\\shpright" + std::to_string(tw(r.right())) + "\\shpbottom" +
                    std::to_string(tw(r.bottom())) + "\\shpfhdr0\\shpbxpage\\shpbypage\\shpwr3\\shpz" +
                    std::to_string(tvar_) + "\\shplid" + std::to_string(1024 + tvar_) +
                    "{\\sp{\\sn shapeType}{\\sv 202}}{\\sp{\\sn fFilled}{\\sv 0}}";
    if (st.ramecek)
      o += "{\\sp{\\sn fLine}{\\sv 1}}{\\sp{\\sn lineWidth}{\\sv " + std::to_string(qRound(kSirkaRamecku * 36000)) +
           "}}";
    else
      o += "{\\sp{\\sn fLine}{\\sv 0}}";
    o += "{\\sp{\\sn dxTextLeft}{\\sv 0}}{\\sp{\\sn dxTextRight}{\\sv 0}}{\\sp{\\sn dyTextTop}{\\sv 0}}"
         "{\\sp{\\sn dyTextBottom}{\\sv 0}}";
    return o + "{\\shptxt\\pard\\plain" + text(b) + "\\par}}}";
  }

  const PripravenaSestava& s_;
  const QStringList& pisma_;
  int tvar_ = 0;
  const int levy_, horni_;
  std::vector<Bunka> bunky_;
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
  // Each page is a table (see StranaRtf) under a paragraph of a twip that
  // starts a new page, so pages never run into each other. A table stops
  // short of the bottom margin by the width of two borders, which a word
  // processor may lay out below a row's height, so a page filled to its
  // margin does not push its last row onto a page of its own; the last table
  // also leaves room for the paragraph that ends the document.
  const int levy = std::stoi(twipy(s.okraje.left()));
  const int horni = std::stoi(twipy(s.okraje.top())) + kOddelovac;
  const int dole = std::stoi(twipy(s.vyska - s.okraje.bottom())) - 2 * std::stoi(twipy(kSirkaRamecku));
  const int stran = static_cast<int>(s.strany.size());
  StranaRtf strana(s, pisma, levy, horni);
  poStranach(s, soubor, prubeh, zacatek, [&](int i, std::string& o) {
    strana.zapis(i, i + 1 == stran ? dole - kOddelovac : dole, o);
  }, "\\pard\\plain\\fs2\\sl-" + std::to_string(kOddelovac) + "\\slmult0\\par\r\n}\r\n");
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
