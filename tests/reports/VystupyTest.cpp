// Exports of a prepared report.
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <filesystem>
#include <gtest/gtest.h>

#include "FileLayer.h"
#include "Pomocnici.h"
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
  EXPECT_NE(rtf.find("\\'8elu\\'9dou\\'e8k\\'fd \"k\\'f9\\'f2\""), std::string::npos);
  size_t stran = 0;
  for (size_t i = rtf.find("\\page"); i != std::string::npos; i = rtf.find("\\page", i + 1)) ++stran;
  EXPECT_EQ(stran, 2u);
}

TEST_F(VystupyTest, PicturesOnePerPage) {
  for (const char* f : {"BMP", "PNG"}) {
    const std::string ext = std::string(".") + f;
    const auto soubory = VystupObrazky(s, dir / ("strana" + ext), f);
    ASSERT_EQ(soubory.size(), 3u);
    EXPECT_EQ(soubory[0], dir / ("strana" + ext));
    EXPECT_EQ(soubory[2], dir / ("strana_3" + ext));
    QImage obr(QString::fromStdString(soubory[1].string()));
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
