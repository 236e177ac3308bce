// The template format: reading, writing, errors and the shipped templates.
#include <QTemporaryDir>
#include <filesystem>
#include <gtest/gtest.h>

#include "FileLayer.h"
#include "Pomocnici.h"
#include "Sablona.h"

using namespace sestavy;
namespace fs = std::filesystem;

TEST(Sablona, WrittenInWindows1250WithTheNameFirstAndReadBack) {
  Sablona s = pomoc::malaSablona(true);
  s.nazev = QStringLiteral("Přehled \"A&B\" ↔ <x>");  // ↔ is not in the code page
  s.stranka.naSirku = true;
  s.pasma[0].objekty[0].tucne = true;
  s.pasma[0].objekty[0].zarovnani = Zarovnani::Vpravo;
  s.pasma[0].objekty[0].ramecek = true;
  const std::string bajty = ZapisSablonu(s);
  EXPECT_EQ(bajty.rfind("<?xml version=\"1.0\" encoding=\"windows-1250\"?>\r\n<Sestava ReportOptions.Name=\"", 0), 0u);
  EXPECT_NE(bajty.find("P\xF8" "ehled &quot;A&amp;B&quot; &#8596; &lt;x&gt;"), std::string::npos);
  EXPECT_NE(bajty.find("ReportOptions.Description=\"Prvn\xED \xF8\xE1" "dek&#13;&#10;Druh\xFD \xF8\xE1" "dek\""), std::string::npos);

  const Sablona z = CtiSablonu(bajty);
  EXPECT_EQ(z.nazev, s.nazev);
  EXPECT_EQ(z.autor, s.autor);
  EXPECT_EQ(z.popis, s.popis);
  EXPECT_TRUE(z.stranka.naSirku);
  EXPECT_EQ(z.stranka.vyska, 100);
  ASSERT_EQ(z.pasma.size(), s.pasma.size());
  for (size_t i = 0; i < z.pasma.size(); ++i) {
    EXPECT_EQ(z.pasma[i].druh, s.pasma[i].druh);
    EXPECT_EQ(z.pasma[i].skupina, s.pasma[i].skupina);
    ASSERT_EQ(z.pasma[i].objekty.size(), s.pasma[i].objekty.size());
    for (size_t k = 0; k < z.pasma[i].objekty.size(); ++k) EXPECT_EQ(z.pasma[i].objekty[k].text, s.pasma[i].objekty[k].text);
  }
  const auto& t = z.pasma[0].objekty[0];
  EXPECT_TRUE(t.tucne && t.ramecek);
  EXPECT_EQ(t.zarovnani, Zarovnani::Vpravo);
  EXPECT_EQ(ZapisSablonu(z), bajty);
}

TEST(Sablona, ReadsUtf8WhenDeclared) {
  const Sablona s = CtiSablonu("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Sestava ReportOptions.Name=\"Žluťoučký\"/>");
  EXPECT_EQ(s.nazev, QStringLiteral("Žluťoučký"));
}

TEST(Sablona, BrokenTemplatesAreErrors) {
  const char* pripady[] = {
      "",
      "<Jine/>",
      "<Sestava ReportOptions.Name=\"x\"><Pasmo Druh=\"Nic\"/></Sestava>",
      "<Sestava><Pasmo><Text Velikost=\"abc\"/></Pasmo></Sestava>",
      "<Sestava><Text/></Sestava>",
      "<Sestava><Stranka Sirka=\"100\" Levy=\"60\" Pravy=\"60\"/></Sestava>",
      "<Sestava ReportOptions.Name=\"neukon\xE8" "eny",
      "<?xml version=\"1.0\" encoding=\"koi8-r\"?><Sestava/>",
      // Lengths that are not numbers: the checks of the range let them by.
      "<Sestava><Pasmo Vyska=\"nan\"/></Sestava>",
      "<Sestava><Stranka Levy=\"NaN\"/></Sestava>",
      "<Sestava><Pasmo><Text X=\"-nan\" Velikost=\"nan\"/></Pasmo></Sestava>",
      "<Sestava><Pasmo><Text Sirka=\"inf\"/></Pasmo></Sestava>",
  };
  for (const char* p : pripady) EXPECT_THROW(CtiSablonu(p, QStringLiteral("x.ses")), ChybaSablony) << p;
  EXPECT_THROW(NactiSablonu("/nonexistent/x.ses"), files::FileError);
}

TEST(Sablona, ShippedTemplatesReadAndNameTheirFields) {
  const fs::path ses = fs::path(ODK_FIXTURES) / ".." / ".." / "resources" / "Ses";
  int pocet = 0;
  for (const auto& e : fs::directory_iterator(ses)) {
    const Sablona s = NactiSablonu(e.path());
    EXPECT_FALSE(s.nazev.isEmpty()) << e.path();
    ASSERT_NE(s.pasmo(DruhPasma::Data), nullptr) << e.path();
    EXPECT_EQ(s.pasmo(DruhPasma::Data)->data, JmenoDat());
    ++pocet;
  }
  EXPECT_EQ(pocet, 3);
}

TEST(Sablona, SavedThroughTheFileLayer) {
  QTemporaryDir tmp;
  const fs::path f = fs::path(tmp.path().toStdString()) / "a.ses";
  UlozSablonu(f, pomoc::malaSablona());
  EXPECT_EQ(NactiSablonu(f).nazev, QStringLiteral("Malá sestava"));
}
