// Preparing a report from the record store's view.
#include <QDate>
#include <gtest/gtest.h>

#include "Pomocnici.h"
#include "Priprava.h"

using namespace sestavy;

namespace {

QStringList texty(const PripravenaSestava& s, int strana) {
  QStringList out;
  for (const auto& radek : s.radky(strana)) {
    QStringList r;
    for (const Polozka* p : radek) r << p->text;
    out << r.join(QLatin1Char('|'));
  }
  return out;
}

}  // namespace

TEST(Priprava, BandsOverPagesWithHeadersFootersAndPageNumbers) {
  store::RecordStore data;
  pomoc::napln(data, 12);
  const auto s = Priprav(pomoc::malaSablona(), data);
  ASSERT_EQ(s.strany.size(), 3u);  // 5 + 6 + 1 rows
  EXPECT_EQ(s.sirka, 150);
  EXPECT_EQ(texty(s, 0), (QStringList{"Titulek sestavy", "Název|Adresa", "Záznam 1|http://example.cz/1",
                                      "Záznam 2|http://example.cz/2", "Záznam 3|http://example.cz/3",
                                      "Záznam 4|http://example.cz/4", "Záznam 5|http://example.cz/5", "Strana 1 z 3"}));
  EXPECT_EQ(texty(s, 1).front(), "Název|Adresa");
  EXPECT_EQ(texty(s, 1)[1], "Záznam 6|http://example.cz/6");
  EXPECT_EQ(texty(s, 1).size(), 8);
  EXPECT_EQ(texty(s, 2), (QStringList{"Název|Adresa", "Záznam 12|http://example.cz/12", "Strana 3 z 3"}));
  // The footer sits at the bottom margin, the data below the header.
  const auto& p0 = s.strany[0].polozky;
  EXPECT_DOUBLE_EQ(p0.back().obdelnik.top(), 80);
  EXPECT_DOUBLE_EQ(p0[3].obdelnik.top(), 30);
}

TEST(Priprava, FollowsTheViewsOrderAndFilterAndRestoresTheCurrentRecord) {
  store::RecordStore data;
  pomoc::napln(data, {{"Čtvrtý", "", "B"}, {"alfa", "", "A"}, {"Beta", "", "A"}, {"Šestý", "", "B"}, {"cé", "", "C"}});
  data.setIndexFieldNames("Nazev");
  data.setFilterPredicate([&] { return data.text("Kod") != "C"; });
  data.setFiltered(true);
  data.setRecNo(2);
  const auto kde = data.bookmark();
  int upozorneni = 0;
  data.addDataChangeListener([&] { ++upozorneni; });

  const auto s = Priprav(pomoc::malaSablona(), data);
  QStringList nazvy;
  for (int i = 0; i < int(s.strany.size()); ++i)
    for (const auto& r : texty(s, i))
      if (r.contains(QLatin1Char('|')) && r != "Název|Adresa") nazvy << r.section(QLatin1Char('|'), 0, 0);
  EXPECT_EQ(nazvy, (QStringList{"alfa", "Beta", "Čtvrtý", "Šestý"}));
  EXPECT_EQ(data.bookmark(), kde);
  EXPECT_EQ(upozorneni, 1);  // one notification when the walk ends
  EXPECT_FALSE(data.notificationsFrozen());
}

TEST(Priprava, GroupHeadersWhenTheGroupFieldChanges) {
  store::RecordStore data;
  pomoc::napln(data, {{"a1", "", "A"}, {"a2", "", "A"}, {"b1", "", "B"}, {"a3", "", "A"}});
  const auto s = Priprav(pomoc::malaSablona(true), data);
  QStringList vse;
  for (int i = 0; i < int(s.strany.size()); ++i) vse << texty(s, i);
  vse.removeAll("Název|Adresa");
  vse.removeIf([](const QString& t) { return t.startsWith("Strana") || t == "Titulek sestavy"; });
  EXPECT_EQ(vse, (QStringList{"Kód: A", "a1|", "a2|", "Kód: B", "b1|", "Kód: A", "a3|"}));
  // Five rows fit on the first page: group header and its row go together.
  EXPECT_EQ(texty(s, 0).contains("Kód: A"), true);
  EXPECT_EQ(s.strany.size(), 2u);
}

TEST(Priprava, EmptyViewGivesOnePageAndDateIsFilledIn) {
  store::RecordStore data;
  pomoc::napln(data, 0);
  Sablona sab = pomoc::malaSablona();
  sab.pasma[0].objekty[0].text = QStringLiteral("Dne [Date] [Nic]");
  const auto s = Priprav(sab, data);
  ASSERT_EQ(s.strany.size(), 1u);
  EXPECT_EQ(texty(s, 0), (QStringList{"Dne " + QDate::currentDate().toString("d.M.yyyy") + " [Nic]", "Název|Adresa",
                                      "Strana 1 z 1"}));
}

TEST(Priprava, UnknownFieldIsAnErrorAndLeavesTheStoreAsItWas) {
  store::RecordStore data;
  pomoc::napln(data, 3);
  data.setRecNo(3);
  Sablona sab = pomoc::malaSablona(true);
  sab.pasmo(DruhPasma::Data)->objekty[0].text = QStringLiteral("[SestavaData1.\"Neni\"]");
  // Told in Czech, for a column and for the group field alike.
  for (int kde = 0; kde < 2; ++kde) {
    try {
      Priprav(sab, data);
      ADD_FAILURE() << "prepared";
    } catch (const ChybaSablony& e) {
      EXPECT_EQ(QString::fromUtf8(e.what()),
                QStringLiteral("Pole \"%1\" nebylo nalezeno.").arg(kde == 0 ? "Neni" : "Telefon"));
    }
    EXPECT_EQ(data.recNo(), 3);
    EXPECT_FALSE(data.notificationsFrozen());
    sab.pasmo(DruhPasma::Data)->objekty[0].text = QStringLiteral("[SestavaData1.\"nazev\"]");
    sab.pasmo(DruhPasma::HlavickaSkupiny)->skupina = QStringLiteral("Telefon");
  }
}
