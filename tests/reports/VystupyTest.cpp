// Exports of a prepared report, and the preview running them.
#include <QApplication>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

#include "../windows/FakeInteraction.h"
#include "FileLayer.h"
#include "Nahled_f.h"
#include "OknaSestavy.h"
#include "Pomocnici.h"
#include "Sestava.h"
#include "Vystupy.h"

using namespace sestavy;
namespace fs = std::filesystem;

namespace {

class VystupyTest : public ::testing::Test {
 protected:
  QTemporaryDir tmp;
  fs::path dir{tmp.path().toStdString()};
  store::RecordStore data;
  PripravenaSestava s;

  void SetUp() override {
    pomoc::napln(data, {{"Ceník; akce", "http://a.cz", "X"}, {"Žluťoučký \"kůň\"", "http://b.cz", "Y"}});
    for (int i = 3; i <= 12; ++i) {
      data.append();
      data.setText("Nazev", "Z\xE1znam " + std::to_string(i));
      data.post();
    }
    s = Priprav(pomoc::malaSablona(), data);
  }
};

}  // namespace

TEST_F(VystupyTest, PdfTextCanBeExtracted) {
  VystupPDF(s, dir / "a.pdf");
  QProcess p;
  p.start("pdftotext", {"-layout", QString::fromStdString((dir / "a.pdf").string()), "-"});
  ASSERT_TRUE(p.waitForFinished(10000)) << "pdftotext (poppler-utils) is needed";
  const QString text = QString::fromUtf8(p.readAllStandardOutput());
  for (const char* t : {"Titulek sestavy", "Ceník; akce", "Žluťoučký \"kůň\"", "http://b.cz", "Záznam 12", "Strana 1 z 3",
                        "Strana 3 z 3"})
    EXPECT_TRUE(text.contains(QString::fromUtf8(t))) << t;
  EXPECT_EQ(text.count(QChar('\f')), 3);  // three pages
}

TEST_F(VystupyTest, CsvAndTextInWindows1250) {
  VystupCSV(s, dir / "a.csv");
  const std::string csv = files::readWholeFile(dir / "a.csv");
  EXPECT_EQ(csv.rfind("Titulek sestavy\r\nN\xE1zev;Adresa\r\n\"Cen\xEDk; akce\";http://a.cz\r\n"
                      "\"\x8Elu\x9Dou\xE8k\xFD \"\"k\xF9\xF2\"\"\";http://b.cz\r\n", 0), 0u);
  EXPECT_NE(csv.find("Z\xE1znam 12;\r\nStrana 3 z 3\r\n"), std::string::npos);

  VystupText(s, dir / "a.txt");
  const std::string txt = files::readWholeFile(dir / "a.txt");
  EXPECT_EQ(txt.rfind("Titulek sestavy\r\nN\xE1zev", 0), 0u);
  EXPECT_NE(txt.find("Cen\xEDk; akce"), std::string::npos);
  EXPECT_EQ(txt.find("\r\n\r\n"), std::string::npos);  // no empty lines
  EXPECT_EQ(txt.substr(txt.size() - 14), "Strana 3 z 3\r\n");
}

TEST_F(VystupyTest, HtmlSpreadsheetAndRtfHoldTheTexts) {
  VystupHTML(s, dir / "a.html");
  const std::string html = files::readWholeFile(dir / "a.html");
  EXPECT_NE(html.find("charset=windows-1250"), std::string::npos);
  EXPECT_NE(html.find(">\x8Elu\x9Dou\xE8k\xFD &quot;k\xF9\xF2&quot;</div>"), std::string::npos);

  VystupXML(s, dir / "a.xml");
  const std::string xml = files::readWholeFile(dir / "a.xml");
  EXPECT_NE(xml.find("<Row><Cell><Data ss:Type=\"String\">Cen\xEDk; akce</Data></Cell><Cell><Data ss:Type=\"String\">http://a.cz</Data></Cell></Row>"),
            std::string::npos);

  VystupRTF(s, dir / "a.rtf");
  const std::string rtf = files::readWholeFile(dir / "a.rtf");
  EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg1250", 0), 0u);
  // The sheet of 150 x 100 mm lying, its margins of 10 mm; in twips.
  EXPECT_NE(rtf.find("\\paperw8504\\paperh5669\\landscape\\margl567\\margr567\\margt567\\margb567"),
            std::string::npos);
  EXPECT_NE(rtf.find("\\'8elu\\'9dou\\'e8k\\'fd \"k\\'f9\\'f2\""), std::string::npos);
  size_t stran = 0;
  for (size_t i = rtf.find("\\page"); i != std::string::npos; i = rtf.find("\\page", i + 1)) ++stran;
  EXPECT_EQ(stran, 2u);
}

// RTF texts: the code page's letters as \'xx, the rest (a template's text
// may hold any character) as \uN, a pair of them beyond the basic plane,
// with "?" for older readers; RTF's own characters escaped.
TEST(VystupRtfText, CodePageEscapesAndUnicode) {
  const struct {
    const char* hodnota;  // UTF-8
    const char* rtf;
  } pripady[] = {
      {"Ceník ř", "Cen\\'edk \\'f8"},
      {"α ω", "\\u945? \\u969?"},
      {"{a}\\b", "\\{a\\}\\\\b"},
      {"\xF0\x9F\x98\x80", "\\u-10179?\\u-8704?"},
  };
  QTemporaryDir tmp;
  const fs::path dir{tmp.path().toStdString()};
  for (const auto& p : pripady) {
    SCOPED_TRACE(p.hodnota);
    store::RecordStore data;
    pomoc::napln(data, 0);
    Sablona sablona = pomoc::malaSablona();
    sablona.pasma[0].objekty[0].text = QString::fromUtf8(p.hodnota);
    VystupRTF(Priprav(sablona, data), dir / "a.rtf");
    EXPECT_NE(files::readWholeFile(dir / "a.rtf").find(std::string(" ") + p.rtf + "}\\cell"), std::string::npos);
  }
}

TEST_F(VystupyTest, PicturesOnePerPage) {
  for (const char* f : {"BMP", "PNG", "GIF"}) {
    SCOPED_TRACE(f);
    const std::string ext = std::string(".") + f;
    const auto soubory = VystupObrazky(s, dir / ("strana" + ext), f);
    ASSERT_EQ(soubory.size(), 3u);
    EXPECT_EQ(soubory[0], dir / ("strana" + ext));
    EXPECT_EQ(soubory[2], dir / ("strana_3" + ext));
    // Read as what it claims to be, whatever its name says.
    QImageReader cteni(QString::fromStdString(soubory[1].string()));
    cteni.setDecideFormatFromContent(true);
    EXPECT_EQ(cteni.format().toUpper(), QByteArray(f));
    const QImage obr = cteni.read();
    EXPECT_EQ(obr.size(), QSize(qRound(150 / 25.4 * 96), qRound(100 / 25.4 * 96)));
    // Texts are painted on the white page.
    int tmave = 0;
    for (int y = 0; y < obr.height(); ++y)
      for (int x = 0; x < obr.width(); ++x) tmave += qGray(obr.pixel(x, y)) < 128;
    EXPECT_GT(tmave, 100);
  }
}

TEST_F(VystupyTest, AFailedWriteLeavesNoFile) {
  EXPECT_THROW(VystupCSV(s, dir / "chybi" / "a.csv"), files::FileError);
  EXPECT_FALSE(fs::exists(dir / "chybi"));
}

// An independent reader agrees: ImageMagick reads the GIF as one picture of
// the page's size in a palette.
TEST_F(VystupyTest, GifReadByImageMagick) {
  const QString identify = QStandardPaths::findExecutable("identify");
  if (identify.isEmpty()) GTEST_SKIP() << "ImageMagick's identify is not installed";
  VystupObrazky(s, dir / "a.gif", "GIF");
  QProcess p;
  p.start(identify, {"-format", "%m %w %h %k %r\n", QString::fromStdString((dir / "a.gif").string())});
  ASSERT_TRUE(p.waitForFinished(20000));
  const QString vystup = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
  const QStringList pole = vystup.split(' ');
  ASSERT_GE(pole.size(), 5) << vystup.toStdString();
  EXPECT_EQ(pole[0], "GIF");
  EXPECT_EQ(pole[1].toInt(), qRound(150 / 25.4 * 96));
  EXPECT_EQ(pole[2].toInt(), qRound(100 / 25.4 * 96));
  EXPECT_GE(pole[3].toInt(), 2);  // black text on white, with shades between
  EXPECT_TRUE(vystup.contains("PseudoClass")) << vystup.toStdString();
}

TEST_F(VystupyTest, AStoppedExportLeavesNothing) {
  for (int druh = 0; druh < static_cast<int>(DruhyVystupu().size()); ++druh) {
    const DruhVystupu& d = DruhyVystupu()[druh];
    SCOPED_TRACE(d.nazev.toStdString());
    const fs::path cil = dir / ("x." + d.pripona.toStdString());
    std::vector<std::pair<int, int>> hlaseno;
    EXPECT_THROW(Vystup(druh, s, cil, [&](int hotovo, int celkem) {
      hlaseno.emplace_back(hotovo, celkem);
      return hotovo < 2;
    }), VystupZrusen);
    EXPECT_EQ(hlaseno, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}}));
    EXPECT_TRUE(fs::is_empty(dir)) << fs::directory_iterator(dir)->path();

    // Run to its end, the export reports every page once.
    hlaseno.clear();
    Vystup(druh, s, cil, [&](int hotovo, int celkem) { return hlaseno.emplace_back(hotovo, celkem), true; });
    EXPECT_EQ(hlaseno, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
    EXPECT_TRUE(fs::exists(cil));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
}

namespace {

// Pages rendered by pdftoppm at 50 dots per inch, in page order.
std::vector<QImage> strankyPdf(const QString& pdftoppm, const fs::path& pdf, const fs::path& predpona) {
  QProcess p;
  p.start(pdftoppm, {"-r", "50", "-png", QString::fromStdString(pdf.string()), QString::fromStdString(predpona.string())});
  if (!p.waitForFinished(120000)) return {};
  std::vector<fs::path> soubory;
  for (const auto& f : fs::directory_iterator(predpona.parent_path()))
    if (f.path().filename().string().rfind(predpona.filename().string() + "-", 0) == 0) soubory.push_back(f.path());
  std::sort(soubory.begin(), soubory.end());  // pdftoppm pads the numbers
  std::vector<QImage> out;
  for (const auto& f : soubory) out.emplace_back(QString::fromStdString(f.string()));
  return out;
}

// Where a page has ink, in cells of 3 x 3 pixels (1.5 mm at 50 dpi).
std::vector<std::vector<bool>> inkoust(const QImage& obr) {
  const int k = 3;
  std::vector<std::vector<bool>> b((obr.height() + k - 1) / k, std::vector<bool>((obr.width() + k - 1) / k));
  for (int y = 0; y < obr.height(); ++y)
    for (int x = 0; x < obr.width(); ++x)
      if (qGray(obr.pixel(x, y)) < 140) b[y / k][x / k] = true;
  return b;
}

// The worst share, over the rows of cells where `a` has a text's worth of
// ink, of `a`'s inked cells with no ink in `b` within one cell: a text that
// one rendering has where the other has none, moved, wrapped or lost.
double navic(const std::vector<std::vector<bool>>& a, const std::vector<std::vector<bool>>& b) {
  double nejhorsi = 0;
  for (int y = 0; y < static_cast<int>(a.size()); ++y) {
    int inku = 0, chybi = 0;
    for (int x = 0; x < static_cast<int>(a[y].size()); ++x) {
      if (!a[y][x]) continue;
      ++inku;
      bool najde = false;
      for (int dy = -1; dy <= 1 && !najde; ++dy)
        for (int dx = -1; dx <= 1 && !najde; ++dx) {
          const int yy = y + dy, xx = x + dx;
          najde = yy >= 0 && yy < static_cast<int>(b.size()) && xx >= 0 && xx < static_cast<int>(b[yy].size()) &&
                  b[yy][xx];
        }
      chybi += !najde;
    }
    if (inku >= 4) nejhorsi = std::max(nejhorsi, static_cast<double>(chybi) / inku);
  }
  return nejhorsi;
}

// Converts the RTF exports of `sestavy` with LibreOffice and compares its
// pages with the PDF export's: the same number, the same size, and on each
// the ink where the PDF has it.
void porovnejSLibreOffice(const std::vector<std::pair<std::string, PripravenaSestava>>& sestavy, const fs::path& dir) {
  const QString soffice = QStandardPaths::findExecutable("soffice");
  const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
  QStringList rtf;
  for (const auto& [jmeno, s] : sestavy) {
    VystupPDF(s, dir / (jmeno + ".pdf"));
    VystupRTF(s, dir / (jmeno + ".rtf"));
    rtf << QString::fromStdString((dir / (jmeno + ".rtf")).string());
  }
  QProcess lo;
  lo.start(soffice, QStringList{"-env:UserInstallation=file://" + QString::fromStdString((dir / "profil").string()),
                                "--headless", "--convert-to", "pdf", "--outdir",
                                QString::fromStdString((dir / "lo").string())} + rtf);
  ASSERT_TRUE(lo.waitForFinished(300000)) << "soffice did not finish";
  for (const auto& [jmeno, s] : sestavy) {
    SCOPED_TRACE(jmeno);
    const auto nahled = strankyPdf(pdftoppm, dir / (jmeno + ".pdf"), dir / (jmeno + "-nahled"));
    const auto office = strankyPdf(pdftoppm, dir / "lo" / (jmeno + ".pdf"), dir / (jmeno + "-lo"));
    ASSERT_EQ(nahled.size(), s.strany.size());
    ASSERT_EQ(office.size(), nahled.size());
    for (size_t i = 0; i < nahled.size(); ++i) {
      SCOPED_TRACE("strana " + std::to_string(i + 1));
      ASSERT_LE(std::abs(office[i].width() - nahled[i].width()), 1);
      ASSERT_LE(std::abs(office[i].height() - nahled[i].height()), 1);
      const auto a = inkoust(nahled[i]), b = inkoust(office[i]);
      EXPECT_LT(navic(a, b), 0.15);
      EXPECT_LT(navic(b, a), 0.15);
    }
  }
}

bool lzePorovnat() {
  return !QStandardPaths::findExecutable("soffice").isEmpty() && !QStandardPaths::findExecutable("pdftoppm").isEmpty();
}

}  // namespace

// LibreOffice lays out the RTF as the preview shows the report: the same
// pages, each with its texts where the PDF export puts them (so with the
// sheet, the margins, the alignment and the borders), for each shipped
// template over records whose values fill their fields.
TEST(VystupRtf, LibreOfficeLaysItOutAsThePreview) {
  if (!lzePorovnat()) GTEST_SKIP() << "LibreOffice or pdftoppm is not installed";
  QTemporaryDir tmp;
  const fs::path dir{tmp.path().toStdString()};
  store::RecordStore data;
  std::vector<std::vector<std::string>> zaznamy;
  const std::string dlouhy = "Příliš žluťoučký kůň úpěl ďábelské ódy; ";
  for (int i = 1; i <= 70; ++i) {
    std::string popis;
    while (popis.size() < 300) popis += dlouhy;
    zaznamy.push_back({"Záznam " + std::to_string(i) + " " + (i % 7 == 0 ? popis.substr(0, 70) : std::string()),
                       "http://example.cz/" + std::string(i % 5 == 0 ? 230 : 10, 'a' + i % 26),
                       std::string(1, char('A' + i % 3)), popis});
  }
  pomoc::napln(data, zaznamy);
  const fs::path sablony = fs::path(ODK_FIXTURES).parent_path().parent_path() / "resources" / "Ses";
  std::vector<std::pair<std::string, PripravenaSestava>> sestavy;
  for (const auto& f : fs::directory_iterator(sablony)) {
    if (f.path().extension() != ".ses") continue;
    sestavy.emplace_back(f.path().stem().string(), Priprav(NactiSablonu(f.path()), data));
  }
  ASSERT_EQ(sestavy.size(), 3u);
  porovnejSLibreOffice(sestavy, dir);
}

// Pages filled to the bottom margin (a bordered footer as tall as its band)
// stay one page each however many there are, a text beside a lower
// bordered one keeps its place (its cell spans two rows), and a text laid
// over others is still on its page.
TEST(VystupRtf, LibreOfficeKeepsFullPagesAndTextsOverOthers) {
  if (!lzePorovnat()) GTEST_SKIP() << "LibreOffice or pdftoppm is not installed";
  QTemporaryDir tmp;
  const fs::path dir{tmp.path().toStdString()};
  store::RecordStore data;
  pomoc::napln(data, 239);  // five rows on the first page, six on the others
  Sablona sablona = pomoc::malaSablona();
  TextovyObjekt& paticka = sablona.pasma.back().objekty[0];
  paticka.vyska = 10, paticka.ramecek = true, paticka.zarovnani = Zarovnani::Vpravo;
  TextovyObjekt& nazev = sablona.pasma[2].objekty[0];
  nazev.vyska = 4, nazev.ramecek = true, nazev.zarovnani = Zarovnani::Stred;
  TextovyObjekt kod = pomoc::text(45, 30, QStringLiteral("KÓD [SestavaData1.\"Kod\"]"));
  kod.y = 3, kod.tucne = true;
  sablona.pasma[2].objekty.push_back(kod);
  const PripravenaSestava s = Priprav(sablona, data);
  ASSERT_EQ(s.strany.size(), 40u);
  porovnejSLibreOffice({{"plne", s}}, dir);
}

namespace {

// The preview over a register of `zaznamu` records on the small sheet (six
// rows a page), its exports answered by the scripted person.
class ExportNahleduTest : public ::testing::Test {
 protected:
  QTemporaryDir tmp;
  fs::path dir{tmp.path().toStdString()};
  fs::path out{dir / "out"};
  FakeInteraction person;
  store::RecordStore data;
  TSestavaData link;
  TSestava sestava;
  TOknaSestavy okna;
  std::unique_ptr<TNahledSestavy> nahled;

  void otevri(int zaznamu) {
    pomoc::napln(data, zaznamu);
    link.data = &data;
    sestava.DataSet = &link;
    sestava.SouborNastaveni = dir / "Sestavy.ini";
    fs::create_directories(dir / "Ses");
    fs::create_directories(out);
    UlozSablonu(dir / "Ses" / "mala.ses", pomoc::malaSablona());
    sestava.NactiZeSouboru(dir / "Ses" / "mala.ses");
    nahled = std::make_unique<TNahledSestavy>(okna, sestava, sestava.Priprav());
    nahled->ProdlevaPrubehu = 0;  // the progress shows at once
  }

  static int druh(const char* pripona) {
    for (int i = 0; i < static_cast<int>(DruhyVystupu().size()); ++i)
      if (DruhyVystupu()[i].pripona == QLatin1String(pripona)) return i;
    ADD_FAILURE() << pripona;
    return 0;
  }

  // Exports `pripona` to out/x.<pripona>; the person presses "Storno" in the
  // progress dialog as soon as it shows. Returns the pages the dialog had
  // reached, or -1 when it never showed.
  int exportujAZrus(const char* pripona) {
    person.fileAnswers = {{QString::fromStdString((out / (std::string("x.") + pripona)).string()), 0}};
    int videno = -1;
    QTimer storno;
    storno.setInterval(0);
    QObject::connect(&storno, &QTimer::timeout, [&] {
      auto* d = nahled->findChild<QProgressDialog*>(QStringLiteral("PrubehExportu"));
      if (!d || !d->isVisible() || videno >= 0) return;
      videno = d->value();
      EXPECT_EQ(d->windowTitle(), QStringLiteral("Export sestavy"));
      EXPECT_EQ(d->labelText(), QStringLiteral("Strana %1 z %2").arg(d->value()).arg(d->maximum()));
      d->cancel();
    });
    storno.start();
    nahled->Exportuj(druh(pripona));
    return videno;
  }

  std::vector<fs::path> zapsano() const {
    std::vector<fs::path> v;
    for (const auto& f : fs::directory_iterator(out)) v.push_back(f.path().filename());
    return v;
  }
};

}  // namespace

TEST_F(ExportNahleduTest, StornoInTheProgressLeavesNoFile) {
  otevri(60);  // ten pages
  for (const char* pripona : {"pdf", "html", "xml", "rtf", "bmp", "png", "gif", "txt", "csv"}) {
    SCOPED_TRACE(pripona);
    const int videno = exportujAZrus(pripona);
    EXPECT_GE(videno, 1);
    EXPECT_LT(videno, 10);
    EXPECT_EQ(zapsano(), std::vector<fs::path>{});
    EXPECT_EQ(person.messages.size(), 0u) << person.texts().join('\n').toStdString();
    EXPECT_EQ(nahled->findChild<QProgressDialog*>(), nullptr);  // gone with the export
  }
}

// Pictures of some 1000 pages: BMP comes to some 640 MB, PNG to far less.
TEST_F(ExportNahleduTest, LargePicturesOnlyAfterAQuestion) {
  otevri(6000);
  ASSERT_GT(nahled->Pripravena().strany.size(), 990u);
  struct Pripad {
    const char* pripona;
    std::optional<QMessageBox::StandardButton> odpoved;  // none: not asked
    bool exportuje;                                      // the progress shows
  };
  for (const Pripad& p : {Pripad{"bmp", QMessageBox::No, false}, Pripad{"bmp", QMessageBox::Yes, true},
                          Pripad{"png", std::nullopt, true}}) {
    SCOPED_TRACE(std::string(p.pripona) + (p.odpoved == QMessageBox::No ? " Ne" : ""));
    person.messages.clear();
    if (p.odpoved) person.answers = {*p.odpoved};
    const int videno = exportujAZrus(p.pripona);
    EXPECT_EQ(videno >= 0, p.exportuje);
    EXPECT_EQ(zapsano(), std::vector<fs::path>{});
    ASSERT_EQ(person.messages.size(), p.odpoved ? 1u : 0u);
    if (!p.odpoved) continue;
    const auto& m = person.messages[0];
    EXPECT_EQ(m.caption, QStringLiteral("Export sestavy"));
    EXPECT_EQ(m.icon, QMessageBox::Warning);
    EXPECT_EQ(m.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(m.defaultButton, QMessageBox::No);
    EXPECT_TRUE(m.text.startsWith(QStringLiteral("Obrázky všech %1 stránek sestavy zaberou odhadem ")
                                      .arg(nahled->Pripravena().strany.size())))
        << m.text.toStdString();
  }
}
