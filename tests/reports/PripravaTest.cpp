// Preparing a report from the record store's view.
#include <QDate>
#include <QPaintEngine>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <filesystem>
#include <gtest/gtest.h>

#include "FileLayer.h"
#include "Pomocnici.h"
#include "Priprava.h"
#include "Sazba.h"
#include "Texty.h"
#include "Vykresleni.h"
#include "Vystupy.h"

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

// A paint device that keeps what painting draws: each text with where its
// baseline starts on the device, in device pixels.
class Zaznamnik : public QPaintDevice {
 public:
  struct Text {
    QString text;
    QPointF kde;
  };
  std::vector<Text> texty;

  explicit Zaznamnik(int dpi) : dpi_(dpi) {}
  QPaintEngine* paintEngine() const override { return &engine_; }

 protected:
  int metric(PaintDeviceMetric m) const override {
    switch (m) {
      case PdmWidth: case PdmHeight: return 10000;
      case PdmWidthMM: case PdmHeightMM: return qRound(10000 * 25.4 / dpi_);
      case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return dpi_;
      case PdmDepth: return 32;
      case PdmNumColors: return 1 << 24;
      case PdmDevicePixelRatio: return 1;
      case PdmDevicePixelRatioScaled: return 1 * devicePixelRatioFScale();
      default: return 0;
    }
  }

 private:
  class Engine : public QPaintEngine {
   public:
    explicit Engine(Zaznamnik& z) : QPaintEngine(AllFeatures), z_(z) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawTextItem(const QPointF& p, const QTextItem& t) override {
      z_.texty.push_back({t.text(), painter()->worldTransform().map(p)});
    }
    Type type() const override { return User; }

   private:
    Zaznamnik& z_;
  };
  int dpi_;
  mutable Engine engine_{*this};
};

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

// Grouping orders the report by the group field on its own: on natural
// order each group comes once, its records in the view's order.
TEST(Priprava, GroupsSortedOnNaturalOrderWithRepeatedHeadersFootersAndOutline) {
  store::RecordStore data;
  pomoc::napln(data, {{"n1", "", "B"}, {"n2", "", ""}, {"n3", "", "A"}, {"n4", "", "B"}, {"n5", "", "A"},
                      {"n6", "", "B"}, {"n7", "", "B"}, {"n8", "", "B"}, {"n9", "", "B"}});
  data.setRecNo(4);
  const auto kde = data.bookmark();
  Sablona sab = pomoc::malaSablona(true);
  sab.pasmo(DruhPasma::HlavickaSkupiny)->bezHodnoty = QStringLiteral("(bez kódu)");
  sab.pasma.push_back({DruhPasma::PatickaSkupiny, 10, {}, {}, {pomoc::text(0, 130, QStringLiteral("Počet: [Count]"))}, {}});
  sab.pasmo(DruhPasma::PatickaStranky)->objekty[0].text = QStringLiteral("Strana [Page] z [TotalPages], [Count] záznamů");

  const auto s = Priprav(sab, data);
  ASSERT_EQ(s.strany.size(), 3u);
  // A group header goes to the next page with its first row; a group that
  // goes on has its header again under the page header.
  EXPECT_EQ(texty(s, 0), (QStringList{"Titulek sestavy", "Název|Adresa", "Kód: (bez kódu)", "n2|", "Počet: 1", "Kód: A",
                                      "n3|", "Strana 1 z 3, 9 záznamů"}));
  EXPECT_EQ(texty(s, 1), (QStringList{"Název|Adresa", "Kód: A", "n5|", "Počet: 2", "Kód: B", "n1|", "n4|",
                                      "Strana 2 z 3, 9 záznamů"}));
  EXPECT_EQ(texty(s, 2), (QStringList{"Název|Adresa", "Kód: B", "n6|", "n7|", "n8|", "n9|", "Počet: 6",
                                      "Strana 3 z 3, 9 záznamů"}));
  // The outline lists each group once, where it starts.
  ASSERT_EQ(s.osnova.size(), 3u);
  const struct {
    const char* text;
    int strana;
    double y;
  } osnova[] = {{"Kód: (bez kódu)", 0, 30}, {"Kód: A", 0, 60}, {"Kód: B", 1, 50}};
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(s.osnova[i].text, QString::fromUtf8(osnova[i].text));
    EXPECT_EQ(s.osnova[i].strana, osnova[i].strana);
    EXPECT_DOUBLE_EQ(s.osnova[i].y, osnova[i].y);
  }
  // The store keeps its order, its current record and its sort field.
  EXPECT_EQ(data.bookmark(), kde);
  EXPECT_EQ(data.recNo(), 4);
  EXPECT_EQ(data.indexFieldNames(), "");
  data.first();
  EXPECT_EQ(data.text("Nazev"), "n1");
  EXPECT_FALSE(data.notificationsFrozen());
}

// The groups come in the order the store's sort by the field gives (its
// collation: "CH" after "H" in Czech), also when the view is sorted by
// another field and filtered; inside a group the view's order stays.
TEST(Priprava, GroupsFollowTheStoresSortOfTheGroupField) {
  store::RecordStore data;
  pomoc::napln(data, {{"e", "", "CH"}, {"d", "", "H"}, {"c", "", "Č"}, {"b", "", "C"}, {"a", "", "ch"}, {"f", "", "H"},
                      {"x", "", "C"}});
  data.setFilterPredicate([&] { return data.text("Nazev") != "x"; });
  data.setFiltered(true);
  data.setIndexFieldNames("Kod");
  QStringList kody;
  for (data.first(); !data.eof(); data.next())
    if (const QString k = QString::fromLatin1(data.text("Kod")); kody.isEmpty() || kody.back() != k) kody << k;
  data.setIndexFieldNames("Nazev");

  const auto s = Priprav(pomoc::malaSablona(true), data);
  QStringList skupiny, nazvy;
  for (const auto& b : s.osnova) skupiny << b.text.mid(5);
  for (int i = 0; i < int(s.strany.size()); ++i)
    for (const auto& r : texty(s, i))
      if (r.endsWith(QLatin1Char('|'))) nazvy << r.chopped(1);
  QStringList ocekavane;
  for (const QString& k : kody) ocekavane << zAnsi(k.toLatin1().toStdString());
  EXPECT_EQ(skupiny, ocekavane);
  EXPECT_EQ(skupiny.size(), 5);
  // "d" and "f" share a group: in the view's order by name.
  EXPECT_EQ(nazvy.indexOf("f"), nazvy.indexOf("d") + 1);
  EXPECT_FALSE(nazvy.contains("x"));
  EXPECT_EQ(data.indexFieldNames(), "Nazev");
}

// A stretching text grows its row, the rows below move down, a row that no
// longer fits goes to the next page; the page footer stays where it was.
TEST(Priprava, StretchingTextGrowsItsRowAndMovesTheRest) {
  store::RecordStore data;
  QString devet;
  for (int i = 1; i <= 9; ++i) devet += QStringLiteral("řádek %1\n").arg(i);
  devet.chop(1);
  pomoc::napln(data, {{"Z1", "", "", devet.toStdString()}, {"Z2"}, {"Z3"}, {"Z4"}});
  Sablona sab = pomoc::malaSablona();
  auto& popis = sab.pasmo(DruhPasma::Data)->objekty[1];
  popis.text = QStringLiteral("[SestavaData1.\"Popis\"]");
  popis.roztahovat = true;

  const auto s = Priprav(sab, data);
  const Polozka& dlouhy = s.strany[0].polozky[4];
  ASSERT_EQ(dlouhy.text, devet);
  const Pismo& pismo = Pismo::Stylu(s.styly[dlouhy.styl]);
  EXPECT_EQ(pismo.pocetRadku(devet, 70), 9);
  // The box holds the nine lines, the row keeps the 2 mm under its box.
  EXPECT_DOUBLE_EQ(dlouhy.obdelnik.top(), 30);
  EXPECT_NEAR(dlouhy.obdelnik.height(), 9 * pismo.radek(), 1e-9);
  EXPECT_EQ(pismo.radky(devet, 70, pismo.radkuVeVysce(dlouhy.obdelnik.height())).size(), 9u);
  const double radek = 9 * pismo.radek() + 2;
  ASSERT_GT(radek, 30);  // two rows of 10 mm more do not fit under it
  ASSERT_LT(radek, 40);
  EXPECT_EQ(texty(s, 0), (QStringList{"Titulek sestavy", "Název|Adresa", "Z1|" + devet, "Z2|", "Strana 1 z 2"}));
  EXPECT_NEAR(s.strany[0].polozky[5].obdelnik.top(), 30 + radek, 1e-9);
  // The other text of the grown row keeps its box.
  EXPECT_DOUBLE_EQ(s.strany[0].polozky[3].obdelnik.height(), 8);
  EXPECT_EQ(texty(s, 1), (QStringList{"Název|Adresa", "Z3|", "Z4|", "Strana 2 z 2"}));
  EXPECT_DOUBLE_EQ(s.strany[1].polozky[2].obdelnik.top(), 20);
  for (const auto& strana : s.strany) EXPECT_DOUBLE_EQ(strana.polozky.back().obdelnik.top(), 80);
}

// A row taller than a whole page starts a page and is cut at the page's
// end, above the footer.
TEST(Priprava, RowTallerThanThePageIsCutAtItsEnd) {
  store::RecordStore data;
  pomoc::napln(data, {{"Z1"}, {"Z2", "", "", std::string(40, '\n') + "konec"}, {"Z3"}});
  Sablona sab = pomoc::malaSablona();
  auto& popis = sab.pasmo(DruhPasma::Data)->objekty[1];
  popis.text = QStringLiteral("[SestavaData1.\"Popis\"]");
  popis.roztahovat = true;
  const auto s = Priprav(sab, data);
  ASSERT_EQ(s.strany.size(), 3u);
  EXPECT_EQ(texty(s, 0).size(), 4);  // title, header, Z1, footer
  const auto& p1 = s.strany[1].polozky;
  ASSERT_EQ(p1.size(), 5u);  // header (2), Z2 (2), footer
  EXPECT_DOUBLE_EQ(p1[3].obdelnik.top(), 20);
  EXPECT_DOUBLE_EQ(p1[3].obdelnik.bottom(), 80);
  EXPECT_EQ(texty(s, 2)[1], "Z3|");
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

// Lines of a text: the box's width less its edges, breaks at spaces and
// after "-" and "/", a word longer than a line cut at its letters, given
// line breaks kept, "…" ending the last line where lines are left out.
TEST(Sazba, BreaksTextIntoLinesThatFit) {
  const Pismo& p = Pismo::Stylu(Styl{QStringLiteral("Arial"), 9});
  // A box just wide enough for `t`.
  const auto na = [&](const char* t) { return p.sirka(QString::fromUtf8(t)) + 2 * kOdsazeni + 0.01; };
  const struct {
    const char* text;
    double sirka;
    int nejvic;
    QStringList radky;  // empty: only that the lines fit
  } pripady[] = {
      {"", 50, 0, {""}},
      {"a\nb\n\nc", 50, 0, {"a", "b", "", "c"}},
      {"a\r\nb\tc\x01", 50, 0, {"a", "b c"}},
      {"slovo   ", 50, 0, {"slovo"}},
      {"a\nb\nc", 50, 2, {"a", "b…"}},
      {"a\nb", 50, 2, {"a", "b"}},
      {"mmmm mmmm mmmm", na("mmmm mmmm mmmm"), 0, {"mmmm mmmm mmmm"}},
      {"mmmm mmmm mmmm", na("mmmm mmmm"), 0, {"mmmm mmmm", "mmmm"}},
      {"mmmm-mmmm", na("mmmm-"), 0, {"mmmm-", "mmmm"}},
      {"mmmm/mmmm", na("mmmm/"), 0, {"mmmm/", "mmmm"}},
      {"mmmm - mmmm", na("mmmm -"), 0, {"mmmm -", "mmmm"}},
      {"mmmmmmmmmm", na("mmmm"), 0, {"mmmm", "mmmm", "mm"}},
      {"mmmm mmmm mmmm", na("mmmm mmmm"), 1, {}},
      {"Žluťoučký kůň úpěl ďábelské ódy, Žluťoučký kůň úpěl ďábelské ódy", 30, 2, {}},
  };
  for (const auto& c : pripady) {
    const QString text = QString::fromUtf8(c.text);
    SCOPED_TRACE(c.text);
    const auto radky = p.radky(text, c.sirka, c.nejvic);
    if (!c.radky.isEmpty()) {
      EXPECT_EQ(QStringList(radky.begin(), radky.end()), c.radky);
    }
    if (c.nejvic == 0) {
      EXPECT_EQ(p.pocetRadku(text, c.sirka), int(radky.size()));
    }
    if (c.nejvic > 0 && p.pocetRadku(text, c.sirka) > c.nejvic) {
      EXPECT_EQ(int(radky.size()), c.nejvic);
      EXPECT_TRUE(radky.back().endsWith(QChar(0x2026)));
      EXPECT_GT(radky.back().size(), 1);
    }
    for (const QString& r : radky) EXPECT_LE(p.sirka(r), c.sirka - 2 * kOdsazeni + 1e-9) << r.toStdString();
  }
}

// A text that does not stretch shows the lines its box holds, the last one
// ending with "…"; the PDF holds exactly those lines, every word inside
// the box, and nothing of the rest.
TEST(Sazba, CutTextLeavesNothingInvisibleInPdf) {
  QTemporaryDir tmp;
  const QString pdf = tmp.filePath("a.pdf");
  QStringList slova;
  for (int i = 1; i <= 30; ++i) slova << QStringLiteral("slovo%1").arg(i, 2, 10, QLatin1Char('0'));
  store::RecordStore data;
  pomoc::napln(data, {{"Název", slova.join(' ').toStdString()}});
  const auto s = Priprav(pomoc::malaSablona(), data);
  const Polozka& adresa = s.strany[0].polozky[4];
  ASSERT_EQ(adresa.text, slova.join(' '));
  const Pismo& pismo = Pismo::Stylu(s.styly[adresa.styl]);
  const auto radky = pismo.radky(adresa.text, 70, pismo.radkuVeVysce(8));
  ASSERT_EQ(radky.size(), 2u);  // an 8 mm box holds two lines of 9 points
  ASSERT_TRUE(radky.back().endsWith(QChar(0x2026)));
  const QString videt = radky[0] + ' ' + radky[1];

  VystupPDF(s, std::filesystem::path(pdf.toStdString()));
  QProcess p;
  p.start("pdftotext", {"-bbox", pdf, "-"});
  ASSERT_TRUE(p.waitForFinished(10000)) << "pdftotext (poppler-utils) is needed";
  const QString html = QString::fromUtf8(p.readAllStandardOutput());
  // <word xMin="..." yMin="..." xMax="..." yMax="...">text</word>, points
  static const QRegularExpression slovo(
      R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
  QStringList vPdf;
  const double bodu = 72 / 25.4, tolerance = 0.3 * bodu;
  for (auto it = slovo.globalMatch(html); it.hasNext();) {
    const auto m = it.next();
    if (!m.captured(5).startsWith("slov")) continue;
    vPdf << m.captured(5);
    EXPECT_GE(m.captured(1).toDouble(), 70 * bodu - tolerance);
    EXPECT_LE(m.captured(3).toDouble(), 140 * bodu + tolerance) << m.captured(5).toStdString();
    EXPECT_GE(m.captured(2).toDouble(), 30 * bodu - tolerance);
    EXPECT_LE(m.captured(4).toDouble(), 38 * bodu + tolerance) << m.captured(5).toStdString();
  }
  EXPECT_EQ(vPdf.join(' '), videt);
  EXPECT_FALSE(html.contains("slovo30"));

  // The HTML page holds the same lines, nothing of the rest either.
  const std::filesystem::path stranka = std::filesystem::path(tmp.filePath("a.html").toStdString());
  VystupHTML(s, stranka);
  const QString obsah = zAnsi(files::readWholeFile(stranka));
  EXPECT_TRUE(obsah.contains(">" + radky[0] + "<br>" + radky[1] + "</div>")) << radky[0].toStdString();
  EXPECT_FALSE(obsah.contains("slovo30"));
}

// Painting draws the lines the typesetting gives, the same at every zoom
// and resolution: only their places scale.
TEST(Sazba, PaintingDrawsTheSameLinesAtEveryZoom) {
  store::RecordStore data;
  pomoc::napln(data, {{"Název", std::string(3, ' ') + "http://example.cz/" + std::string(200, 'a') + " konec"}});
  const auto s = Priprav(pomoc::malaSablona(), data);
  const Polozka& adresa = s.strany[0].polozky[4];
  const Pismo& pismo = Pismo::Stylu(s.styly[adresa.styl]);
  const auto radky = pismo.radky(adresa.text, 70, pismo.radkuVeVysce(8));
  std::vector<std::vector<Zaznamnik::Text>> kresby;
  for (const auto& [dpi, zoom] : {std::pair{96, 1.0}, std::pair{96, 0.37}, std::pair{300, 1.0}, std::pair{72, 2.5}}) {
    Zaznamnik z(dpi);
    {
      QPainter painter(&z);
      VykresliStranu(painter, s, 0, dpi / 25.4 * zoom);
    }
    const double naMm = dpi / 25.4 * zoom;
    for (auto& t : z.texty) t.kde /= naMm;
    kresby.push_back(std::move(z.texty));
  }
  // Title, two headers, the name, the address's two lines, the footer.
  const auto& k = kresby.front();
  ASSERT_EQ(k.size(), 7u);
  EXPECT_EQ(k[4].text, radky[0]);
  EXPECT_EQ(k[5].text, radky[1]);
  EXPECT_TRUE(k[5].text.endsWith(QChar(0x2026)));
  EXPECT_NEAR(k[5].kde.y() - k[4].kde.y(), pismo.radek(), 1e-6);
  for (const auto& jina : kresby) {
    ASSERT_EQ(jina.size(), k.size());
    for (size_t i = 0; i < k.size(); ++i) {
      EXPECT_EQ(jina[i].text, k[i].text);
      EXPECT_NEAR(jina[i].kde.x(), k[i].kde.x(), 1e-6);
      EXPECT_NEAR(jina[i].kde.y(), k[i].kde.y(), 1e-6);
    }
  }
}
