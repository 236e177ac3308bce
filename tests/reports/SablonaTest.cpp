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

namespace {

std::string opakuj(std::string_view kus, size_t kolik) {
  std::string out;
  out.reserve(kus.size() * kolik);
  for (size_t i = 0; i < kolik; ++i) out += kus;
  return out;
}

std::string sablona(const std::string& uvnitr, const std::string& atributy = {}) {
  return "<?xml version=\"1.0\" encoding=\"windows-1250\"?>\r\n<Sestava ReportOptions.Name=\"x\"" + atributy + ">\r\n" +
         uvnitr + "</Sestava>\r\n";
}

}  // namespace

TEST(Sablona, HostileTemplatesAreRefusedWithACzechReason) {
  const std::string dlouhy(kNejdelsiText + 1, 'a');
  const struct {
    std::string text;
    const char* chyba;  // a fragment of the message, UTF-8
  } pripady[] = {
      // Sizes of the sheet and what must fit in it.
      {sablona("<Stranka Sirka=\"10000\"/>"), "Sirka=\"10000\" není platné číslo od 20 do 2000 (řádek 3)"},
      {sablona("<Stranka Vyska=\"19\"/>"), "Vyska=\"19\" není platné číslo od 20 do 2000"},
      {sablona("<Stranka Sirka=\"100\" Levy=\"60\" Pravy=\"40\"/>"), "okraje stránky jsou větší než stránka (řádek 3)"},
      {sablona("<Stranka Vyska=\"100\" Horni=\"2001\"/>"), "Horni=\"2001\" není platné číslo od 0 do 2000"},
      // Turned: the sheet of 100 x 300 is 100 high.
      {sablona("<Stranka Sirka=\"100\" Vyska=\"300\" Orientace=\"Nasirku\" Horni=\"50\" Dolni=\"50\"/>"),
       "okraje stránky jsou větší než stránka"},
      {sablona("<Stranka Vyska=\"100\" Horni=\"10\" Dolni=\"10\"/>\r\n<Pasmo Druh=\"Data\" Vyska=\"81\"/>"),
       "pásmo Data je vyšší (81 mm) než tisknutelná výška stránky (80 mm) (řádek 4)"},
      // A band before the sheet is measured against the sheet all the same.
      {sablona("<Pasmo Druh=\"Titulek\" Vyska=\"90\"/>\r\n<Stranka Vyska=\"100\"/>"), "pásmo Titulek je vyšší"},
      {sablona("<Pasmo Vyska=\"-1\"/>"), "Vyska=\"-1\" není platné číslo"},
      // Positions, sizes and fonts of texts.
      {sablona("<Pasmo><Text X=\"2001\"/></Pasmo>"), "X=\"2001\" není platné číslo od 0 do 2000"},
      {sablona("<Pasmo><Text Y=\"-0.5\"/></Pasmo>"), "Y=\"-0.5\""},
      {sablona("<Pasmo><Text Sirka=\"1e300\"/></Pasmo>"), "Sirka=\"1e300\""},
      {sablona("<Pasmo><Text Vyska=\"inf\"/></Pasmo>"), "Vyska=\"inf\""},
      {sablona("<Pasmo><Text X=\"nan\"/></Pasmo>"), "X=\"nan\""},
      {sablona("<Pasmo><Text Velikost=\"0.5\"/></Pasmo>"), "Velikost=\"0.5\" není platné číslo od 1 do 200"},
      {sablona("<Pasmo><Text Velikost=\"201\"/></Pasmo>"), "Velikost=\"201\""},
      {sablona("<Pasmo><Text Pismo=\"" + std::string(101, 'P') + "\"/></Pasmo>"), "atributu Pismo je delší než 100 znaků"},
      // Counts.
      {sablona(opakuj("<Pasmo/>", kNejvicePasem + 1)), "víc než 100 pásem"},
      {sablona("<Pasmo>" + opakuj("<Text/>", kNejviceObjektu + 1) + "</Pasmo>"), "víc než 10000 textových objektů"},
      {sablona(opakuj("<Jiny/>", kNejvicePrvku)), "víc než 20000 prvků"},
      {sablona("<Pasmo " + opakuj("a=\"\" ", 1) + opakuj("b=\"\" ", 0) + "/>" + "<Jiny " +
                   [] {
                     std::string a;
                     for (int i = 0; i <= kNejviceAtributu; ++i) a += "a" + std::to_string(i) + "=\"\" ";
                     return a;
                   }() +
                   "/>"),
       "prvek má víc než 100 atributů (řádek 3)"},
      // Lengths of texts: the one the reader sees, and one too long to hand it.
      {sablona("", " ReportOptions.Author=\"" + dlouhy + "\""), "atributu ReportOptions.Author je delší než 65536 znaků (řádek 2)"},
      {sablona("<Pasmo>\r\n<Text Text=\"" + dlouhy + "\"/></Pasmo>"), "atributu Text je delší než 65536 znaků (řádek 4)"},
      {sablona("<Pasmo>\r\n<Text Text=\"" + opakuj("&#8596;", kNejdelsiText + 1) + "\"/></Pasmo>"),
       "atributu Text je delší než 65536 znaků"},
      {"<Sestava ReportOptions.Name=\"" + std::string(10 << 20, '\x9e') + "\"/>",
       "atributu ReportOptions.Name je delší než 65536 znaků (řádek 1)"},
      // Entities of a document type would grow short values into long ones.
      {"<?xml version=\"1.0\"?><!DOCTYPE Sestava [<!ENTITY a \"aaaa\">]><Sestava ReportOptions.Name=\"&a;\"/>",
       "nesmí obsahovat deklaraci typu dokumentu"},
      // The XML reader's faults, in Czech with the line and column.
      {"<Sestava>\r\n<Pasmo></Sestava>", "počáteční a koncová značka si neodpovídají (řádek 2, sloupec"},
      {"<Sestava a=\"1\" a=\"2\"/>", "atribut 'a' je uveden dvakrát"},
      {"<Sestava ReportOptions.Name=\"&nic;\"/>", "entita 'nic' není deklarována"},
      {"<Sestava><Pasmo>", "soubor předčasně končí"},
      {"<Sestava/><Dalsi/>", "za koncem šablony je další obsah"},
      {"<Sestava ReportOptions.Name=\"neukon\xE8" "eny", "(řádek 1, sloupec"},
      // A value quoted in a message is cut short.
      {sablona("<Pasmo Vyska=\"" + std::string(5000, '9') + "\"/>"), "Vyska=\"9999999999"},
  };
  for (const auto& p : pripady) {
    try {
      CtiSablonu(p.text, QStringLiteral("x.ses"));
      ADD_FAILURE() << "read: " << QString::fromStdString(p.text.substr(0, 200)).simplified().toStdString();
    } catch (const ChybaSablony& e) {
      const QString zprava = QString::fromUtf8(e.what());
      EXPECT_TRUE(zprava.contains(QString::fromUtf8(p.chyba))) << zprava.toStdString();
      EXPECT_TRUE(zprava.startsWith(QStringLiteral("Šablonu sestavy \"x.ses\" nelze přečíst: "))) << zprava.toStdString();
      EXPECT_LT(zprava.size(), 300) << "a message box holds it";
    }
  }
}

TEST(Sablona, TheLongestTextsAndLargestSizesRead) {
  Sablona s = pomoc::malaSablona();
  s.nazev = QString(kNejdelsiText, QChar(u'ž'));
  s.autor = QString(kNejdelsiText, QChar(0x2194));  // every one a character reference
  s.stranka = {kNejvetsiList, kNejvetsiList, true, 0, 0, 0, 0};
  s.pasma[0].vyska = kNejvetsiList;
  s.pasma[0].objekty[0].x = kNejvetsiDelka;
  s.pasma[0].objekty[0].velikost = kNejvetsiPismo;
  const Sablona z = CtiSablonu(ZapisSablonu(s));
  EXPECT_EQ(z.nazev, s.nazev);
  EXPECT_EQ(z.autor, s.autor);
  EXPECT_EQ(z.stranka, s.stranka);
  EXPECT_EQ(z.pasma[0].objekty[0].velikost, kNejvetsiPismo);
}

TEST(Sablona, WhatWouldNotReadAgainIsNotSaved) {
  QTemporaryDir tmp;
  const fs::path f = fs::path(tmp.path().toStdString()) / "a.ses";
  Sablona s = pomoc::malaSablona();
  // 150 x 100 standing: 80 mm printable height.
  s.pasma[0].vyska = 81;
  EXPECT_THROW(UlozSablonu(f, s), ChybaSablony);
  s.pasma[0].vyska = 80;
  s.nazev = QString(kNejdelsiText + 1, QLatin1Char('n'));
  EXPECT_THROW(UlozSablonu(f, s), ChybaSablony);
  EXPECT_FALSE(fs::exists(f));
  s.nazev = QStringLiteral("n");
  UlozSablonu(f, s);
  EXPECT_EQ(NactiSablonu(f).pasma[0].vyska, 80);
}

TEST(Sablona, TextsForWindowsAreCut) {
  EXPECT_EQ(ZkracenyText(QStringLiteral("Krátký")), QStringLiteral("Krátký"));
  const QString dlouhy(10 << 20, QChar(u'ř'));
  const QString kratky = ZkracenyText(dlouhy);
  EXPECT_EQ(kratky.size(), kNejdelsiTextVOkne);
  EXPECT_TRUE(kratky.endsWith(QChar(0x2026)));
  EXPECT_EQ(ZkracenyText(QString(kNejdelsiTextVOkne, QLatin1Char('a'))).size(), kNejdelsiTextVOkne);
  // Never half of a character outside the basic plane.
  const QString emoji = QStringLiteral("a") + QString::fromUcs4(U"\U0001F600\U0001F600\U0001F600");
  EXPECT_EQ(ZkracenyText(emoji, 3), QStringLiteral("a…"));
}

TEST(Sablona, Utf8WithAByteOrderMark) {
  const std::string bom = "\xEF\xBB\xBF";
  for (const std::string& hlava : {std::string(), std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"),
                                   std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n")}) {
    const std::string t = hlava + "<Sestava ReportOptions.Name=\"Žluťoučký kůň\"/>";
    EXPECT_EQ(CtiSablonu(bom + t).nazev, QStringLiteral("Žluťoučký kůň")) << hlava;
    if (!hlava.empty()) {
      EXPECT_EQ(CtiSablonu(t).nazev, QStringLiteral("Žluťoučký kůň")) << hlava;
    }
  }
  // The raw name keeps its rule (bytes as Windows-1250), past the mark.
  EXPECT_EQ(CtiSurovyNazev(bom + "<Sestava ReportOptions.Name=\"abc\"/>"), QStringLiteral("abc"));
  EXPECT_EQ(CtiSurovyNazev(bom + "<Sestava ReportOptions.Name=\"\xC5\xBE\"/>"), QStringLiteral("Ĺľ"));
  // A mark with another encoding declared is a contradiction.
  EXPECT_THROW(CtiSablonu(bom + "<?xml version=\"1.0\" encoding=\"windows-1250\"?><Sestava/>"), ChybaSablony);
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
