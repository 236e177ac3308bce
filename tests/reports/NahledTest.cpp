// The preview's own functions, on a shown window: zoom modes, the outline,
// opening and saving prepared reports, the quick export, printing what is
// shown, find at every zoom and the keys.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <gtest/gtest.h>

#include "../windows/FakeInteraction.h"
#include "FileLayer.h"
#include "Nahled_f.h"
#include "OknaSestavy.h"
#include "Pomocnici.h"
#include "PripravenaSoubor.h"
#include "Sestava.h"
#include "Texty.h"
#include "Vystupy.h"

using namespace sestavy;
namespace fs = std::filesystem;

namespace {

QString text(const fs::path& p) { return TextCesty(p); }

class NahledTest : public ::testing::Test {
 protected:
  QTemporaryDir tmp;
  fs::path dir{tmp.path().toStdString()};
  FakeInteraction person;
  store::RecordStore data;
  TSestavaData link;
  TSestava sestava;
  TOknaSestavy okna;

  // 40 records, grouped by code when `skupiny`: eight pages.
  void SetUp() override {
    pomoc::napln(data, 40);
    link.data = &data;
    sestava.DataSet = &link;
    sestava.SouborNastaveni = dir / "Sestavy.ini";
  }
  void nacti(bool skupiny) {
    fs::create_directories(dir / "Ses");
    UlozSablonu(dir / "Ses" / "mala.ses", pomoc::malaSablona(skupiny));
    sestava.NactiZeSouboru(dir / "Ses" / "mala.ses");
  }
  std::unique_ptr<TNahledSestavy> ukaz(bool skupiny = false, QSize velikost = {900, 700}) {
    nacti(skupiny);
    auto n = std::make_unique<TNahledSestavy>(okna, sestava, sestava.Priprav());
    n->resize(velikost);
    n->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(n.get()));
    return n;
  }
  static QScrollArea* plocha(TNahledSestavy& n) { return n.findChild<QScrollArea*>(); }
  static TStranaNahledu* strana(TNahledSestavy& n) {
    return dynamic_cast<TStranaNahledu*>(plocha(n)->widget());
  }
  // Where a text of the page currently shown stands in the scroll area's
  // viewport, in pixels.
  static QRect vOkne(TNahledSestavy& n, const QRectF& mm) {
    TStranaNahledu* s = strana(n);
    const double m = s->bodyNaMm();
    const QPoint o = s->pocatek(n.Strana());
    const QRect r(o.x() + qRound(mm.left() * m), o.y() + qRound(mm.top() * m), qRound(mm.width() * m),
                  qRound(mm.height() * m));
    return QRect(s->mapTo(plocha(n)->viewport(), r.topLeft()), r.size());
  }
  static QAction* akce(TNahledSestavy& n, const char* jmeno) { return n.findChild<QAction*>(jmeno); }
};

}  // namespace

TEST(NahledZvetseni, FitModesComputeTheZoomForTheRoom) {
  // A 100 x 200 mm sheet at 4 pixels to the millimetre: 400 x 800 at 100 %;
  // the margin around a page is 12 pixels, a scroll bar 16.
  const struct {
    RezimZvetseni rezim;
    QSize plocha;
    double cekane;
  } pripady[] = {
      {RezimZvetseni::NaSirku, {841, 300}, (841 - 16 - 24 - 1) / 400.0},   // 2.0
      {RezimZvetseni::NaSirku, {441, 3000}, (441 - 16 - 24 - 1) / 400.0},  // 1.0
      {RezimZvetseni::CelaStrana, {2000, 825}, (825 - 24 - 1) / 800.0},    // height decides: 1.0
      {RezimZvetseni::CelaStrana, {225, 3000}, (225 - 24 - 1) / 400.0},    // width decides: 0.5
      {RezimZvetseni::ViceStran, {2000, 837}, (837 - 36 - 1) / 2.0 / 800},   // two rows: 0.5
      {RezimZvetseni::ViceStran, {241, 2000}, (241 - 16 - 24 - 1) / 400.0},  // but no wider than the room
      {RezimZvetseni::NaSirku, {10, 10}, 0.05},                              // never below the least zoom
  };
  for (const auto& p : pripady)
    EXPECT_DOUBLE_EQ(TNahledSestavy::ZvetseniPro(p.rezim, p.plocha, 16, 100, 200, 4.0), p.cekane)
        << int(p.rezim) << " " << p.plocha.width() << "x" << p.plocha.height();
}

TEST_F(NahledTest, FitModesFillTheWindowAndFollowItsSize) {
  auto n = ukaz();
  EXPECT_EQ(n->Zvetseni(), 1.0);
  EXPECT_EQ(n->CBox_Zvetseni->currentText(), "100 %");
  const int pruh = plocha(*n)->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, plocha(*n)->verticalScrollBar());
  for (QSize velikost : {QSize(900, 700), QSize(640, 900), QSize(1000, 400)}) {
    n->resize(velikost);
    QApplication::processEvents();
    const QSize misto = plocha(*n)->maximumViewportSize();
    SCOPED_TRACE(QStringLiteral("%1x%2").arg(velikost.width()).arg(velikost.height()).toStdString());

    n->CBox_Zvetseni->setCurrentText(QStringLiteral("Na šířku stránky"));
    EXPECT_EQ(n->Rezim(), RezimZvetseni::NaSirku);
    QSize s = strana(*n)->size();
    EXPECT_LE(s.width(), misto.width() - pruh);
    EXPECT_GE(s.width(), misto.width() - pruh - 3);
    EXPECT_EQ(plocha(*n)->horizontalScrollBar()->maximum(), 0);

    n->CBox_Zvetseni->setCurrentText(QStringLiteral("Celá stránka"));
    s = strana(*n)->size();
    EXPECT_LE(s.width(), misto.width());
    EXPECT_LE(s.height(), misto.height());
    EXPECT_TRUE(s.width() >= misto.width() - 3 || s.height() >= misto.height() - 3);
    EXPECT_EQ(plocha(*n)->verticalScrollBar()->maximum(), 0);

    n->CBox_Zvetseni->setCurrentText(QStringLiteral("Více stránek"));
    ASSERT_GE(n->Sloupcu(), 1);
    const QSize v = strana(*n)->velikostStrany();
    EXPECT_LE(2 * v.height() + 3 * TStranaNahledu::kMezera, misto.height());  // two rows in view
    EXPECT_LE(strana(*n)->width(), misto.width() - pruh + 1);                // no sideways scrolling
    EXPECT_GT(strana(*n)->width() + v.width() + TStranaNahledu::kMezera, misto.width() - pruh);  // no room for one more
  }
  // The sheet is 150 x 100 mm: wider than high, several fit beside.
  EXPECT_GE(n->Sloupcu(), 2);
  // A click in the grid picks a page; a double click shows it alone across the window.
  const QPoint treti = strana(*n)->pocatek(2) + QPoint(20, 20);
  QTest::mouseClick(strana(*n), Qt::LeftButton, {}, treti);
  EXPECT_EQ(n->Strana(), 2);
  QTest::mouseDClick(strana(*n), Qt::LeftButton, {}, strana(*n)->pocatek(1) + QPoint(20, 20));
  EXPECT_EQ(n->Strana(), 1);
  EXPECT_EQ(n->Rezim(), RezimZvetseni::NaSirku);
  EXPECT_EQ(n->Sloupcu(), 0);
  EXPECT_EQ(plocha(*n)->verticalScrollBar()->value(), 0);
  n->NastavRezim(RezimZvetseni::ViceStran);
  n->CBox_Zvetseni->setCurrentText(QStringLiteral("200 %"));
  EXPECT_EQ(n->Rezim(), RezimZvetseni::Pevne);
  EXPECT_EQ(n->Zvetseni(), 2.0);
  EXPECT_EQ(n->Sloupcu(), 0);
  n->Priblizit(true);
  EXPECT_EQ(n->CBox_Zvetseni->currentText(), "300 %");
  n->Priblizit(true);  // the largest stays
  EXPECT_EQ(n->Zvetseni(), 3.0);
  n->Priblizit(false);
  n->Priblizit(false);
  EXPECT_EQ(n->CBox_Zvetseni->currentText(), "150 %");
}

TEST_F(NahledTest, TheOutlineGoesToTheGroupsPageAndHeader) {
  auto n = ukaz(true);
  const auto& osnova = n->Pripravena().osnova;
  ASSERT_GE(osnova.size(), 3u);
  ASSERT_EQ(n->Osnova->topLevelItemCount(), int(osnova.size()));
  EXPECT_TRUE(n->Osnova->isVisible());
  n->NastavZvetseni(3.0);  // the header is far down the page: it must be scrolled to
  for (int i : {int(osnova.size()) - 1, 1, int(osnova.size()) / 2}) {
    SCOPED_TRACE(i);
    emit n->Osnova->itemClicked(n->Osnova->topLevelItem(i), 0);
    EXPECT_EQ(n->Strana(), osnova[i].strana);
    EXPECT_EQ(n->Ed_Strana->value(), osnova[i].strana + 1);
    // The header's top line is in the window.
    const QRect r = vOkne(*n, QRectF(0, osnova[i].y, 10, 5));
    EXPECT_TRUE(plocha(*n)->viewport()->rect().contains(r)) << r.y();
  }
  // The same in the several-pages grid.
  n->NastavRezim(RezimZvetseni::ViceStran);
  emit n->Osnova->itemClicked(n->Osnova->topLevelItem(int(osnova.size()) - 1), 0);
  EXPECT_EQ(n->Strana(), osnova.back().strana);
  EXPECT_TRUE(plocha(*n)->viewport()->rect().contains(vOkne(*n, QRectF(0, osnova.back().y, 10, 5))));

  // A page setup lays the groups out anew: the outline follows.
  const int predtim = osnova.back().strana;
  n->ZmenList(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10)));
  ASSERT_EQ(n->Osnova->topLevelItemCount(), int(osnova.size()));
  EXPECT_LT(osnova.back().strana, predtim);
  for (int i = 0; i < int(osnova.size()); ++i)
    EXPECT_EQ(n->Osnova->topLevelItem(i)->text(1), QString::number(osnova[i].strana + 1)) << i;
  emit n->Osnova->itemClicked(n->Osnova->topLevelItem(int(osnova.size()) - 1), 0);
  EXPECT_EQ(n->Strana(), osnova.back().strana);

  akce(*n, "Tl_Osnova")->trigger();  // hidden by the toggle
  EXPECT_FALSE(n->Osnova->isVisible());
  akce(*n, "Tl_Osnova")->trigger();
  EXPECT_TRUE(n->Osnova->isVisible());
}

TEST_F(NahledTest, AReportWithoutGroupsHasNoOutline) {
  auto n = ukaz(false);
  EXPECT_TRUE(n->Pripravena().osnova.empty());
  EXPECT_FALSE(n->Osnova->isVisible());
  EXPECT_FALSE(akce(*n, "Tl_Osnova")->isEnabled());
}

TEST_F(NahledTest, FindHighlightsAndShowsTheTextAtEveryZoom) {
  auto n = ukaz();
  // F3 without a text asks for it, then goes on with it.
  person.inputAnswers = {QStringLiteral("Záznam 3")};
  akce(*n, "Akce_NajitDalsi")->trigger();
  akce(*n, "Akce_NajitDalsi")->trigger();  // Záznam 3, then Záznam 30
  EXPECT_EQ(person.inputs.size(), 1u);
  ASSERT_NE(n->Nalezena(), nullptr);
  EXPECT_EQ(n->Nalezena()->text, QStringLiteral("Záznam 30"));

  const struct {
    const char* nazev;
    std::function<void()> zvetseni;
  } pripady[] = {
      {"25 %", [&] { n->NastavZvetseni(0.25); }},
      {"300 %", [&] { n->NastavZvetseni(3.0); }},
      {"fit width", [&] { n->NastavRezim(RezimZvetseni::NaSirku); }},
      {"several pages", [&] { n->NastavRezim(RezimZvetseni::ViceStran); }},
  };
  for (const auto& p : pripady) {
    SCOPED_TRACE(p.nazev);
    n->JdiNaStranu(0);
    p.zvetseni();
    // The last record, at the bottom of the last page.
    ASSERT_TRUE(n->Najdi(QStringLiteral("záznam 40")));
    ASSERT_NE(n->Nalezena(), nullptr);
    EXPECT_EQ(n->Nalezena()->text, QStringLiteral("Záznam 40"));
    EXPECT_EQ(n->Strana(), int(n->Pripravena().strany.size()) - 1);
    const QRect r = vOkne(*n, n->Nalezena()->obdelnik);
    EXPECT_TRUE(plocha(*n)->viewport()->rect().intersects(r)) << r.x() << "," << r.y();
    EXPECT_TRUE(plocha(*n)->viewport()->rect().contains(r.topLeft())) << r.x() << "," << r.y();
    n->Najdi(QStringLiteral("jiný"));  // a new text starts a new search
  }
}

TEST_F(NahledTest, KeysMoveThroughPagesAndZoom) {
  auto n = ukaz();
  n->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(n.get()));
  plocha(*n)->setFocus();
  const int stran = int(n->Pripravena().strany.size());
  const struct {
    QKeyCombination klavesa;
    int strana;
  } pripady[] = {
      {Qt::Key_PageDown, 1}, {Qt::Key_PageDown, 2}, {Qt::Key_PageUp, 1},
      {Qt::CTRL | Qt::Key_End, stran - 1}, {Qt::Key_PageDown, stran - 1}, {Qt::CTRL | Qt::Key_Home, 0},
  };
  for (const auto& p : pripady) {
    QTest::keyClick(QApplication::focusWidget(), p.klavesa.key(), p.klavesa.keyboardModifiers());
    EXPECT_EQ(n->Strana(), p.strana) << p.klavesa.toCombined();
  }
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Plus, Qt::ControlModifier);
  EXPECT_EQ(n->Zvetseni(), 1.5);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Minus, Qt::ControlModifier);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Minus, Qt::ControlModifier);
  EXPECT_EQ(n->Zvetseni(), 0.75);
  // Ctrl+wheel zooms; the wheel at a page's end goes on to the next page.
  n->NastavZvetseni(2.0);
  QWidget* okno = plocha(*n)->viewport();
  QWheelEvent blize(QPointF(50, 50), okno->mapToGlobal(QPointF(50, 50)), {}, {0, 120}, Qt::NoButton,
                    Qt::ControlModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(okno, &blize);
  EXPECT_EQ(n->Zvetseni(), 3.0);
  QScrollBar* svisly = plocha(*n)->verticalScrollBar();
  ASSERT_GT(svisly->maximum(), 0);
  svisly->setValue(svisly->maximum());
  QWheelEvent dolu(QPointF(50, 50), okno->mapToGlobal(QPointF(50, 50)), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
  QApplication::sendEvent(okno, &dolu);
  EXPECT_EQ(n->Strana(), 1);
  EXPECT_EQ(svisly->value(), 0);
  QWheelEvent nahoru(QPointF(50, 50), okno->mapToGlobal(QPointF(50, 50)), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
  QApplication::sendEvent(okno, &nahoru);
  EXPECT_EQ(n->Strana(), 0);
  EXPECT_EQ(svisly->value(), svisly->maximum());
}

TEST_F(NahledTest, GoToPageAsksForANumber) {
  auto n = ukaz();
  person.inputAnswers = {QStringLiteral(" 5 "), QStringLiteral("99"), std::nullopt};
  for (int i = 0; i < 3; ++i) akce(*n, "Akce_Prejit")->trigger();
  EXPECT_EQ(n->Strana(), 4);
  EXPECT_EQ(person.texts(), QStringList{QStringLiteral("Stránka \"99\" v sestavě není.")});
}

TEST_F(NahledTest, SavedPagesOpenInThePreviewWhichThenKeepsThem) {
  fs::create_directories(dir / "ulozene");
  // Another report's pages, saved beforehand.
  PripravenaSestava jina = ukaz(true)->Pripravena();
  jina.nazev = QStringLiteral("Jiná ✓");
  UlozPripravenou(jina, dir / "ulozene" / "jina.sesp");

  auto n = ukaz(false);
  const auto puvodni = ZapisPripravenou(n->Pripravena());
  person.fileAnswers = {{text(dir / "ulozene" / "ulozena.sesp"), 0}};
  akce(*n, "Tl_Ulozit")->trigger();
  ASSERT_EQ(person.fileRequests.size(), 1u);
  EXPECT_EQ(person.fileRequests[0].fileName, QStringLiteral("Malá sestava.sesp"));
  EXPECT_EQ(person.fileRequests[0].filters, QStringList{QStringLiteral("Připravená sestava (*.sesp)")});
  // Nothing remembered yet: the program directory, where Sestavy.ini lives.
  EXPECT_EQ(person.fileRequests[0].directory, text(dir));
  EXPECT_EQ(ZapisPripravenou(NactiPripravenou(dir / "ulozene" / "ulozena.sesp")), puvodni);

  // Damaged files: the message, and the preview shows what it showed.
  files::writeFileAtomically(dir / "ulozene" / "pulka.sesp", puvodni.substr(0, puvodni.size() / 2));
  files::writeFileAtomically(dir / "ulozene" / "cizi.sesp", "<Sestava/>");
  person.fileAnswers = {{text(dir / "ulozene" / "pulka.sesp"), 0}, {text(dir / "ulozene" / "cizi.sesp"), 0}};
  n->JdiNaStranu(2);
  akce(*n, "Tl_Otevrit")->trigger();
  akce(*n, "Tl_Otevrit")->trigger();
  ASSERT_EQ(person.messages.size(), 2u);
  EXPECT_EQ(person.messages[0].icon, QMessageBox::Critical);
  EXPECT_EQ(person.messages[0].text, QStringLiteral("Soubor \"%1\" je poškozen.").arg(text(dir / "ulozene" / "pulka.sesp")));
  EXPECT_EQ(person.messages[1].text,
            QStringLiteral("Soubor \"%1\" není připravená sestava.").arg(text(dir / "ulozene" / "cizi.sesp")));
  EXPECT_EQ(ZapisPripravenou(n->Pripravena()), puvodni);
  EXPECT_EQ(n->Strana(), 2);
  EXPECT_FALSE(n->Nacteno());
  EXPECT_TRUE(n->Akce_Upravit->isEnabled());
  // The dialog starts in the folder used last.
  EXPECT_EQ(person.fileRequests[1].directory, text(dir / "ulozene"));

  person.fileAnswers = {{text(dir / "ulozene" / "jina.sesp"), 0}};
  akce(*n, "Tl_Otevrit")->trigger();
  EXPECT_TRUE(n->Nacteno());
  EXPECT_EQ(ZapisPripravenou(n->Pripravena()), ZapisPripravenou(jina));
  EXPECT_EQ(n->Strana(), 0);
  EXPECT_EQ(n->La_Strana->text(), QStringLiteral(" z %1 ").arg(jina.strany.size()));
  EXPECT_TRUE(n->windowTitle().contains(QStringLiteral("Jiná ✓")));
  EXPECT_EQ(n->Osnova->topLevelItemCount(), int(jina.osnova.size()));
  EXPECT_TRUE(n->Osnova->isVisible());
  // Preparing the template again would throw the opened pages away.
  EXPECT_FALSE(n->Akce_Upravit->isEnabled());
  EXPECT_FALSE(n->Akce_Vzhled->isEnabled());
}

TEST_F(NahledTest, QuickExportWritesTheLastTypeToTheLastFolder) {
  auto n = ukaz();
  EXPECT_FALSE(n->Akce_RychlyExport->isEnabled());  // no export yet
  fs::create_directories(dir / "out");
  auto druh = [](const char* pripona) {
    for (int i = 0; i < int(DruhyVystupu().size()); ++i)
      if (DruhyVystupu()[i].pripona == QLatin1String(pripona)) return i;
    return -1;
  };
  const int csv = druh("csv"), pdf = druh("pdf");
  ASSERT_GE(csv, 0);
  ASSERT_GE(pdf, 0);
  const struct {
    int druh;
    const char* soubor;
  } pripady[] = {{csv, "Malá sestava.csv"}, {pdf, "Malá sestava.pdf"}};
  for (const auto& p : pripady) {
    SCOPED_TRACE(p.soubor);
    person.fileAnswers = {{text(dir / "out" / "prvni"), 0}};
    n->Exportuj(p.druh);
    ASSERT_TRUE(fs::exists(dir / "out" / "prvni"));
    fs::remove(dir / "out" / "prvni");
    ASSERT_TRUE(n->Akce_RychlyExport->isEnabled());
    EXPECT_TRUE(n->Akce_RychlyExport->toolTip().contains(DruhyVystupu()[p.druh].nazev));
    EXPECT_TRUE(n->Akce_RychlyExport->toolTip().contains(text(dir / "out")));
    // A cancelled export changes nothing.
    n->Exportuj(p.druh == pdf ? csv : pdf);

    const fs::path cil = dir / "out" / fs::path(std::u8string(reinterpret_cast<const char8_t*>(p.soubor)));
    files::writeFileAtomically(cil, "stary obsah");  // overwritten, as exports are
    const size_t dotazu = person.fileRequests.size();
    akce(*n, "Tl_RychlyExport")->trigger();
    EXPECT_EQ(person.fileRequests.size(), dotazu);  // no dialog
    EXPECT_TRUE(person.messages.empty());
    Vystup(p.druh, n->Pripravena(), dir / "cekany");
    if (p.druh == csv) EXPECT_EQ(files::readWholeFile(cil), files::readWholeFile(dir / "cekany"));
    else EXPECT_EQ(files::readWholeFile(cil).substr(0, 5), "%PDF-");
  }
  // The next preview offers it too.
  TNahledSestavy dalsi(okna, sestava, sestava.Priprav());
  EXPECT_TRUE(dalsi.Akce_RychlyExport->isEnabled());
}

TEST_F(NahledTest, PrintGivesThePagesShown) {
  auto n = ukaz(true);
  // This preview only: landscape A4, all on fewer pages than the template's sheet.
  n->ZmenList(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10)));
  const int stran = int(n->Pripravena().strany.size());
  QPrinter& tiskarna = okna.Tiskarna();
  tiskarna.setOutputFormat(QPrinter::PdfFormat);
  const fs::path pdf = dir / "tisk.pdf";
  tiskarna.setOutputFileName(text(pdf));
  auto tiskni = [&] {
    bool videno = false;
    QTimer::singleShot(0, [&] {
      auto* d = dynamic_cast<QPrintDialog*>(QApplication::activeModalWidget());
      if (d) videno = true, d->accept();
    });
    akce(*n, "Tl_Tisk")->trigger();
    EXPECT_TRUE(videno);
  };
  tiskni();
  auto pdftotext = [&] {
    QProcess p;
    p.start("pdftotext", {"-layout", text(pdf), "-"});
    EXPECT_TRUE(p.waitForFinished(10000)) << "pdftotext (poppler-utils) is needed";
    return QString::fromUtf8(p.readAllStandardOutput());
  };
  QString vytisk = pdftotext();
  EXPECT_EQ(vytisk.count(QChar('\f')), stran);
  EXPECT_TRUE(vytisk.contains(QStringLiteral("Záznam 40")));
  QProcess info;
  info.start("pdfinfo", {text(pdf)});
  ASSERT_TRUE(info.waitForFinished(10000));
  EXPECT_TRUE(QString::fromUtf8(info.readAllStandardOutput()).contains(QStringLiteral("842 x 595")));  // A4 lying

  // A prepared report opened from a file prints as opened.
  PripravenaSestava jina = n->Pripravena();
  jina.strany.resize(1);
  std::erase_if(jina.osnova, [](const BodOsnovy& b) { return b.strana > 0; });
  jina.strany[0].polozky.push_back({QRectF(10, 10, 100, 8), QStringLiteral("Jen v souboru"), 0});
  UlozPripravenou(jina, dir / "jina.sesp");
  n->Otevri(text(dir / "jina.sesp"));
  fs::remove(pdf);
  tiskni();
  vytisk = pdftotext();
  EXPECT_EQ(vytisk.count(QChar('\f')), 1);
  EXPECT_TRUE(vytisk.contains(QStringLiteral("Jen v souboru")));
}
