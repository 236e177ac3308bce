// Prepared report files: what is saved opens as the same pages, and what is
// not such a file, or is damaged, is refused with a clear message.
#include <QTemporaryDir>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

#include "FileLayer.h"
#include "Pomocnici.h"
#include "PripravenaSoubor.h"

using namespace sestavy;
namespace fs = std::filesystem;

namespace {

// Every field of the prepared report, compared exactly.
void stejne(const PripravenaSestava& a, const PripravenaSestava& b) {
  EXPECT_EQ(a.nazev, b.nazev);
  EXPECT_EQ(a.sirka, b.sirka);
  EXPECT_EQ(a.vyska, b.vyska);
  EXPECT_EQ(a.okraje, b.okraje);
  ASSERT_EQ(a.styly.size(), b.styly.size());
  for (size_t i = 0; i < a.styly.size(); ++i) {
    const Styl &x = a.styly[i], &y = b.styly[i];
    EXPECT_EQ(x.pismo, y.pismo);
    EXPECT_EQ(x.velikost, y.velikost);
    EXPECT_EQ(x.tucne, y.tucne);
    EXPECT_EQ(x.kurziva, y.kurziva);
    EXPECT_EQ(x.zarovnani, y.zarovnani);
    EXPECT_EQ(x.ramecek, y.ramecek);
  }
  ASSERT_EQ(a.strany.size(), b.strany.size());
  for (size_t s = 0; s < a.strany.size(); ++s) {
    ASSERT_EQ(a.strany[s].polozky.size(), b.strany[s].polozky.size()) << "page " << s;
    for (size_t i = 0; i < a.strany[s].polozky.size(); ++i) {
      const Polozka &x = a.strany[s].polozky[i], &y = b.strany[s].polozky[i];
      EXPECT_EQ(x.obdelnik, y.obdelnik);
      EXPECT_EQ(x.text, y.text);
      EXPECT_EQ(x.styl, y.styl);
    }
  }
  ASSERT_EQ(a.osnova.size(), b.osnova.size());
  for (size_t i = 0; i < a.osnova.size(); ++i) {
    EXPECT_EQ(a.osnova[i].text, b.osnova[i].text);
    EXPECT_EQ(a.osnova[i].strana, b.osnova[i].strana);
    EXPECT_EQ(a.osnova[i].y, b.osnova[i].y);
  }
}

PripravenaSestava pripravena(int zaznamu, bool skupiny) {
  store::RecordStore data;
  pomoc::napln(data, zaznamu);
  return Priprav(pomoc::malaSablona(skupiny), data);
}

// A report with every kind of field set to something other than its default.
PripravenaSestava ruzna() {
  PripravenaSestava s;
  s.nazev = QStringLiteral("Řecky Ελληνικά, znak ✓ a 漢字 mimo kódovou stránku");
  s.sirka = 123.456, s.vyska = 78.9;
  s.okraje = QMarginsF(1.5, 0, 12.25, 7);
  s.styly = {{QStringLiteral("Arial"), 9, false, false, Zarovnani::Vlevo, false},
             {QStringLiteral("Times New Roman"), 14.5, true, true, Zarovnani::Vpravo, true},
             {QString(), 200, false, true, Zarovnani::Stred, false}};
  PripravenaStrana prvni;
  prvni.polozky.push_back({QRectF(1.25, 2.5, 100, 8), QStringLiteral("Žluťoučký kůň úpěl ďábelské ódy"), 1});
  prvni.polozky.push_back({QRectF(0, -3, 0, 0), QString(), 2});
  prvni.polozky.push_back({QRectF(5, 60, 50, 4), QString(70000, QChar(u'ř')) + QStringLiteral("\r\n\t\"<&>"), 0});
  s.strany = {prvni, {}, prvni};
  s.osnova = {{QStringLiteral("Kód: Ω"), 0, 12.5}, {QString(), 2, 0}};
  return s;
}

class PripravenaSouborTest : public ::testing::Test {
 protected:
  QTemporaryDir tmp;
  fs::path dir{tmp.path().toStdString()};
};

}  // namespace

TEST_F(PripravenaSouborTest, SaveThenOpenGivesTheSamePages) {
  const struct {
    const char* nazev;
    std::function<PripravenaSestava()> sestava;
  } pripady[] = {
      {"nothing at all", [] { return PripravenaSestava{}; }},
      {"an empty register", [] { return pripravena(0, false); }},
      {"grouped", [] { return pripravena(40, true); }},
      {"long and Czech texts, characters outside the code page", ruzna},
  };
  for (const auto& p : pripady) {
    SCOPED_TRACE(p.nazev);
    const PripravenaSestava s = p.sestava();
    const fs::path soubor = dir / "a.sesp";
    UlozPripravenou(s, soubor);
    stejne(NactiPripravenou(soubor), s);
    // Written again, the file is the same: nothing is lost or made up.
    EXPECT_EQ(ZapisPripravenou(NactiPripravenou(soubor)), files::readWholeFile(soubor));
  }
  EXPECT_FALSE(pripravena(40, true).osnova.empty());  // the grouped case does carry an outline
}

TEST_F(PripravenaSouborTest, RefusesOtherDamagedAndHostileFiles) {
  const std::string dobry = ZapisPripravenou(ruzna());
  const QString jmeno = QStringLiteral("x.sesp");
  const QString neni = QStringLiteral("Soubor \"x.sesp\" není připravená sestava.");
  const QString poskozen = QStringLiteral("Soubor \"x.sesp\" je poškozen.");
  auto chyba = [&](const std::string& bajty) -> QString {
    try {
      CtiPripravenou(bajty, jmeno);
    } catch (const ChybaSablony& e) {
      return QString::fromUtf8(e.what());
    }
    return QStringLiteral("(read)");
  };
  // Offsets in the writer's layout: signature 8, version 4, then the name.
  const size_t nazev = 12;
  const size_t sirka = nazev + 4 + 2 * size_t(ruzna().nazev.size());
  const size_t okraje = sirka + 16;
  const size_t stylu = okraje + 32;
  auto zmen = [&](size_t kde, const std::string& co) {
    std::string b = dobry;
    b.replace(kde, co.size(), co);
    return b;
  };
  auto u32 = [](uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
  double nan = std::nan(""), obri = 1e300, zaporny = -1;
  const struct {
    const char* nazev;
    std::string bajty;
    QString zprava;
  } pripady[] = {
      {"empty", "", neni},
      {"a template", "<?xml version=\"1.0\"?><Sestava/>", neni},
      {"signature only", dobry.substr(0, 8), poskozen},
      {"one byte more", dobry + '\0', poskozen},
      {"a name longer than the file", zmen(nazev, u32(0x7fffffff)), poskozen},
      {"a name of every byte left", zmen(nazev, u32(uint32_t(dobry.size()))), poskozen},
      {"four thousand million styles", zmen(stylu, u32(0xffffffff)), poskozen},
      {"a sheet without width", zmen(sirka, std::string(8, '\0')), poskozen},
      {"a negative margin", zmen(okraje + 8, std::string(reinterpret_cast<const char*>(&zaporny), 8)), poskozen},
      {"a sheet width not a number", zmen(sirka, std::string(reinterpret_cast<const char*>(&nan), 8)), poskozen},
      {"a type size of 1e300 points", zmen(stylu + 4 + 4 + 2 * 5, std::string(reinterpret_cast<const char*>(&obri), 8)),
       poskozen},
      {"a later version", zmen(8, u32(2)),
       QStringLiteral("Soubor \"x.sesp\" je připravená sestava jiné verze programu (2), kterou tato verze neumí přečíst.")},
  };
  for (const auto& p : pripady) EXPECT_EQ(chyba(p.bajty), p.zprava) << p.nazev;

  // Cut anywhere, the file is refused, never read as something shorter.
  for (size_t n = 8; n < dobry.size(); n += (n < 400 ? 1 : 997)) ASSERT_EQ(chyba(dobry.substr(0, n)), poskozen) << n;
  // An index past its list: a text's style, an outline entry's page.
  PripravenaSestava s = ruzna();
  s.strany[0].polozky[0].styl = 3;
  EXPECT_EQ(chyba(ZapisPripravenou(s)), poskozen);
  s = ruzna();
  s.osnova[1].strana = 3;
  EXPECT_EQ(chyba(ZapisPripravenou(s)), poskozen);
  // A text box a kilometre off the sheet, or of a negative size.
  s = ruzna();
  s.strany[2].polozky[1].obdelnik.moveTop(1e6);
  EXPECT_EQ(chyba(ZapisPripravenou(s)), poskozen);
  s = ruzna();
  s.strany[2].polozky[1].obdelnik.setWidth(-1);
  EXPECT_EQ(chyba(ZapisPripravenou(s)), poskozen);

  // Through the file: a missing file names it, a damaged one too.
  EXPECT_THROW(NactiPripravenou(dir / "chybi.sesp"), files::FileError);
  files::writeFileAtomically(dir / "x.sesp", dobry.substr(0, dobry.size() / 2));
  try {
    NactiPripravenou(dir / "x.sesp");
    ADD_FAILURE() << "a half file was read";
  } catch (const ChybaSablony& e) {
    EXPECT_TRUE(QString::fromUtf8(e.what()).endsWith(QStringLiteral("x.sesp\" je poškozen."))) << e.what();
  }
}

// The file holds every field of a prepared report. A field added to one of
// these structures changes its size: this fails until the file's writer and
// reader carry the new field too (and the format version says so), so that
// a saved report never silently loses it.
TEST(PripravenaSouborPole, EveryFieldOfAPreparedReportIsInTheFile) {
  EXPECT_EQ(sizeof(Styl), 48u) << "a field of Styl: write it in PripravenaSoubor.cpp";
  EXPECT_EQ(sizeof(Polozka), 64u) << "a field of Polozka: write it in PripravenaSoubor.cpp";
  EXPECT_EQ(sizeof(PripravenaStrana), 24u) << "a field of PripravenaStrana: write it in PripravenaSoubor.cpp";
  EXPECT_EQ(sizeof(BodOsnovy), 40u) << "a field of BodOsnovy: write it in PripravenaSoubor.cpp";
  EXPECT_EQ(sizeof(PripravenaSestava), 144u) << "a field of PripravenaSestava: write it in PripravenaSoubor.cpp";
}
