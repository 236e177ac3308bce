// The report catalogue "Generátor sestav" over a temporary program directory.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

#include "../windows/FakeInteraction.h"
#include "Hlavni_f.h"
#include "KatalogSestav_f.h"
#include "Nahled_f.h"
#include "Navrhar_f.h"
#include "Pomocnici.h"
#include "Vystupy.h"

namespace fs = std::filesystem;

namespace {

// Runs `akce` once the modal window on top is a T (shown by exec), polling,
// since the catalogue lets messages through while it lists its templates.
template <class T>
void azJeModalni(std::function<void(T*)> akce) {
  auto* casovac = new QTimer;
  casovac->setInterval(5);
  QObject::connect(casovac, &QTimer::timeout, [casovac, akce] {
    auto* w = dynamic_cast<T*>(QApplication::activeModalWidget());
    if (!w || !w->isVisible()) return;
    casovac->stop();
    casovac->deleteLater();
    akce(w);
  });
  casovac->start();
}

void zapis(const fs::path& p, const std::string& bajty) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << bajty;
}

// A template named `nazev` (UTF-8), through the engine's writer.
std::string sablona(const char* nazev) {
  auto s = pomoc::malaSablona();
  s.nazev = QString::fromUtf8(nazev);
  s.autor = QStringLiteral("Autor ") + s.nazev;
  return sestavy::ZapisSablonu(s);
}

class KatalogTest : public ::testing::Test {
 protected:
  QTemporaryDir tmp;
  fs::path dir{tmp.path().toStdString()};
  fs::path ses = dir / "Ses";
  FakeInteraction person;
  std::unique_ptr<THlavni> hlavni;

  void SetUp() override {
    store::RecordStore s;
    pomoc::napln(s, 3);
    s.saveToFile(dir / "Odkaznik.xml");
    fs::create_directories(ses);
  }

  std::unique_ptr<TKatalogSestav> otevri() {
    if (!hlavni) hlavni = std::make_unique<THlavni>(tmp.path());
    return std::make_unique<TKatalogSestav>(hlavni->ClientDataSet1, hlavni->AdresarProgramu, hlavni.get());
  }

  static QStringList uzly(const TKatalogSestav& k) {
    QStringList out;
    if (auto* koren = k.SeznamSestav->topLevelItem(0))
      for (int i = 0; i < koren->childCount(); ++i) out << koren->child(i)->text(0);
    return out;
  }
  static QStringList detaily(const TKatalogSestav& k) {
    return {k.La_Nazev->text(), k.La_Autor->text(), k.La_Soubor->text(), k.La_Popis->text()};
  }
  static bool povoleno(const TKatalogSestav& k) {
    const bool a = k.Tl_Tisk->isEnabled();
    EXPECT_EQ(k.Tl_Nahled->isEnabled(), a);
    EXPECT_EQ(k.Tl_Editace->isEnabled(), a);
    EXPECT_EQ(k.Akce_Nahled->isEnabled(), a);
    return a;
  }
  static void vyber(TKatalogSestav& k, int dite) {
    auto* koren = k.SeznamSestav->topLevelItem(0);
    k.SeznamSestav->setCurrentItem(dite < 0 ? koren : koren->child(dite));
  }
};

}  // namespace

TEST_F(KatalogTest, OpensWithTheFirstTemplateInNameOrderSelected) {
  zapis(ses / "b.ses", sablona("Druhá"));
  zapis(ses / "A.ses", sablona("První"));
  zapis(ses / "c.SES", sablona("Třetí"));
  zapis(ses / ".skryta.ses", sablona("Skrytá"));
  zapis(ses / "jiny.txt", sablona("Text"));
  fs::create_directories(ses / "pod");
  zapis(ses / "pod" / "d.ses", sablona("Vnořená"));
  fs::create_directories(ses / "adresar.ses");
  auto k = otevri();

  EXPECT_EQ(k->windowTitle(), QStringLiteral("Generátor sestav"));
  EXPECT_EQ(k->size(), QSize(555, 378));
  EXPECT_TRUE(k->windowFlags() & Qt::WindowStaysOnTopHint);
  ASSERT_EQ(k->SeznamSestav->topLevelItemCount(), 1);
  auto* koren = k->SeznamSestav->topLevelItem(0);
  EXPECT_EQ(koren->text(0), QStringLiteral("Základní sestavy"));
  EXPECT_TRUE(koren->isExpanded());
  EXPECT_EQ(uzly(*k), (QStringList{"První", "Druhá", "Třetí"}));
  EXPECT_EQ(k->SeznamSestav->currentItem(), koren->child(0));
  EXPECT_EQ(detaily(*k), (QStringList{"První", "Autor První", "A.ses", "První řádek\nDruhý řádek"}));
  EXPECT_TRUE(povoleno(*k));
  // Bold for the node with children only.
  QFont f;
  k->SeznamSestavCustomDrawItem(k->SeznamSestav->model()->index(0, 0), f);
  EXPECT_TRUE(f.bold());
  k->SeznamSestavCustomDrawItem(k->SeznamSestav->model()->index(0, 0, k->SeznamSestav->model()->index(0, 0)), f);
  EXPECT_FALSE(f.bold());
  EXPECT_TRUE(person.messages.empty());

  vyber(*k, -1);  // the top node
  EXPECT_EQ(detaily(*k), (QStringList{"", "", "", ""}));
  EXPECT_FALSE(povoleno(*k));
  vyber(*k, 2);
  EXPECT_EQ(k->La_Soubor->text(), "c.SES");
  EXPECT_TRUE(povoleno(*k));
}

TEST_F(KatalogTest, NamesAsTheRawTextShowsThem) {
  zapis(ses / "1.ses", sablona("Stejná"));
  zapis(ses / "2.ses", sablona("Stejná"));
  zapis(ses / "3.ses", "<Sestava ReportOptions.Author=\"bez jm\xE9na\"/>");
  zapis(ses / "4.ses", "<Sestava ReportOptions.Author=\"také bez jména\"/>");
  zapis(ses / "5.ses", "<?xml version=\"1.0\" encoding=\"windows-1250\"?>\r\n"
                       "<Sestava ReportOptions.Name=\"Ceny &amp; akce &#8596;\"/>");
  auto k = otevri();
  EXPECT_EQ(uzly(*k), (QStringList{"Stejná", "Stejná", "", "", "Ceny &amp; akce &#8596;"}));
  vyber(*k, 1);  // the second of the same name loads the first
  EXPECT_EQ(k->La_Soubor->text(), "1.ses");
  vyber(*k, 3);  // the second without a name loads the first without one
  EXPECT_EQ(k->La_Soubor->text(), "3.ses");
  EXPECT_EQ(k->La_Autor->text(), QStringLiteral("bez jména"));
  vyber(*k, 4);
  EXPECT_EQ(k->La_Nazev->text(), QStringLiteral("Ceny & akce ↔"));
}

TEST_F(KatalogTest, NazevSestavyReadsTheRawName) {
  const struct {
    const char* text;
    QString nazev;
  } pripady[] = {
      {"<Sestava ReportOptions.Name=\"Adresy\" x=\"y\"/>", "Adresy"},
      {"<Sestava ReportOptions.Name=\"neukon\xE8" "eny\nr\xE1" "dek\rdal\x9A\xED", QStringLiteral("neukončeny\r\nrádek\r\ndalší")},
      {"<Sestava reportoptions.name=\"mal\xE1\"/>", ""},
      {"<Sestava ReportOptions.Name='jednoduch\xE9'/>", ""},
      {"ReportOptions.Name=\"prvn\xED\" ReportOptions.Name=\"druh\xFD\"", QStringLiteral("první")},
  };
  int i = 0;
  for (const auto& p : pripady) {
    const fs::path f = dir / (std::to_string(i++) + ".ses");
    zapis(f, p.text);
    EXPECT_EQ(NazevSestavy(f), p.nazev) << p.text;
  }
  std::string snul("<Sestava ReportOptions.Name=\"p\xF8\0ed\"/>", 36);
  zapis(dir / "nul.ses", snul);
  EXPECT_EQ(NazevSestavy(dir / "nul.ses"), QStringLiteral("př"));
  EXPECT_EQ(NazevSestavy(dir / "chybi.ses"), "");
}

TEST_F(KatalogTest, NoTemplatesAndAMissingDirectory) {
  fs::remove_all(ses);
  auto k = otevri();
  EXPECT_TRUE(fs::is_directory(ses));  // created
  EXPECT_EQ(k->SeznamSestav->topLevelItemCount(), 0);
  EXPECT_EQ(detaily(*k), (QStringList{"", "", "", ""}));
  EXPECT_FALSE(povoleno(*k));
  EXPECT_TRUE(k->Tl_Konec->isEnabled());
  k->Akce_Tisk->setEnabled(true);  // even if it ran, no node is selected
  k->Akce_Tisk->trigger();
  k->Akce_Nahled->setEnabled(true);
  k->Akce_Nahled->trigger();
  EXPECT_EQ(person.texts(), (QStringList{"Není vybrána žádná sestava", "Není vybrána žádná sestava"}));
}

TEST_F(KatalogTest, DeletedAndBrokenTemplates) {
  zapis(ses / "a.ses", sablona("Dobrá"));
  zapis(ses / "b.ses", sablona("Smazaná"));
  zapis(ses / "c.ses", "<Sestava ReportOptions.Name=\"Rozbitá\"><Pasmo Druh=\"?\"/></Sestava>");
  auto k = otevri();
  fs::remove(ses / "b.ses");
  vyber(*k, 1);
  EXPECT_EQ(detaily(*k), (QStringList{"", "", "", ""}));
  EXPECT_FALSE(povoleno(*k));
  EXPECT_TRUE(person.messages.empty());

  vyber(*k, 0);
  EXPECT_TRUE(povoleno(*k));
  vyber(*k, 2);  // shown in the error box; nothing stays loaded
  ASSERT_EQ(person.messages.size(), 1u);
  EXPECT_EQ(person.messages[0].icon, QMessageBox::Critical);
  EXPECT_TRUE(person.messages[0].text.contains("c.ses")) << person.messages[0].text.toStdString();
  EXPECT_FALSE(povoleno(*k));
  EXPECT_EQ(k->La_Nazev->text(), "");
}

TEST_F(KatalogTest, CommandOpensTheCatalogueAndThePreviewShowsTheRegister) {
  zapis(ses / "a.ses", sablona("Malá"));
  hlavni = std::make_unique<THlavni>(tmp.path());
  fs::remove(dir / "Sestavy.ini");
  QStringList videno;
  // The catalogue opens modally; from inside it run the preview, look at it, close both.
  azJeModalni<TKatalogSestav>([&](TKatalogSestav* k) {
    videno << k->La_Nazev->text();
    azJeModalni<sestavy::TNahledSestavy>([&](sestavy::TNahledSestavy* n) {
      videno << QString::number(n->Pripravena().strany.size());
      for (const auto& p : n->Pripravena().strany[0].polozky) videno << p.text;
      n->reject();
    });
    k->Tl_Nahled->click();
    k->Tl_Konec->click();
  });
  ASSERT_TRUE(THlavni::Spust(hlavni->Akce_Sestavy));
  ASSERT_GE(videno.size(), 3);
  EXPECT_EQ(videno[0], QStringLiteral("Malá"));
  EXPECT_EQ(videno[1], "1");
  EXPECT_TRUE(videno.contains(QStringLiteral("Záznam 3")));
  EXPECT_EQ(hlavni->findChildren<TKatalogSestav*>().size(), 0);  // destroyed on close
  EXPECT_EQ(hlavni->ClientDataSet1.recNo(), 1);
}

TEST_F(KatalogTest, EditaceOpensTheDesignerAndTheCatalogueKeepsWhatItShowed) {
  zapis(ses / "a.ses", sablona("Malá"));
  auto k = otevri();
  azJeModalni<sestavy::TNavrharSestav>([](sestavy::TNavrharSestav* d) {
    d->Ed_Nazev->setText(QStringLiteral("Jiná"));
    d->Tl_Ulozit->click();
  });
  k->Tl_Editace->click();
  EXPECT_EQ(sestavy::NactiSablonu(ses / "a.ses").nazev, QStringLiteral("Jiná"));
  EXPECT_EQ(uzly(*k), QStringList{QStringLiteral("Malá")});
  EXPECT_EQ(k->La_Nazev->text(), QStringLiteral("Malá"));
  EXPECT_TRUE(person.messages.empty());
  // Read anew the next time the catalogue opens.
  EXPECT_EQ(uzly(*otevri()), QStringList{QStringLiteral("Jiná")});
}

TEST_F(KatalogTest, AfterSaveAsTheCommandsActOnWhatTheSelectionLoaded) {
  zapis(ses / "a.ses", sablona("Malá"));
  auto k = otevri();
  azJeModalni<sestavy::TNavrharSestav>([&](sestavy::TNavrharSestav* d) {
    d->Ed_Titulek->setText(QStringLiteral("Titulek kopie"));
    person.inputAnswers = {QStringLiteral("kopie"), QStringLiteral("Kopie")};
    d->Tl_UlozitJako->click();
  });
  k->Tl_Editace->click();
  EXPECT_EQ(sestavy::NactiSablonu(ses / "kopie.ses").nazev, QStringLiteral("Kopie"));
  EXPECT_EQ(k->La_Soubor->text(), QStringLiteral("a.ses"));
  // Náhled shows the selected template, not the copy.
  QStringList texty;
  azJeModalni<sestavy::TNahledSestavy>([&](sestavy::TNahledSestavy* n) {
    for (const auto& p : n->Pripravena().strany[0].polozky) texty << p.text;
    n->reject();
  });
  k->Tl_Nahled->click();
  EXPECT_TRUE(texty.contains(QStringLiteral("Titulek sestavy")));
  EXPECT_FALSE(texty.contains(QStringLiteral("Titulek kopie")));
  EXPECT_EQ(uzly(*otevri()), (QStringList{QStringLiteral("Malá"), QStringLiteral("Kopie")}));
}

TEST_F(KatalogTest, OpensOnTiskAndEnterPressesOnlyAFocusedButton) {
  // With a template the first button takes the focus; without one the
  // three are disabled and Storno takes it.
  zapis(ses / "a.ses", sablona("První"));
  auto k = otevri();
  k->show();
  EXPECT_EQ(k->focusWidget(), k->Tl_Tisk);
  // No default button: Enter in the list presses nothing.
  QTest::keyClick(k->SeznamSestav, Qt::Key_Return);
  EXPECT_TRUE(k->isVisible());
  QTest::keyClick(k->Tl_Konec, Qt::Key_Return);
  EXPECT_FALSE(k->isVisible());
  EXPECT_TRUE(person.messages.empty());

  fs::remove(ses / "a.ses");
  auto prazdny = otevri();
  prazdny->show();
  EXPECT_EQ(prazdny->focusWidget(), prazdny->Tl_Konec);
}

TEST_F(KatalogTest, LongNamesAreCutInTheListTheLabelsAndThePreviewsTitle) {
  using sestavy::kNejdelsiText;
  using sestavy::kNejdelsiTextVOkne;
  const QChar tecky(0x2026);
  // 10 MB of "ž": the list shows it cut, the reader refuses it with a
  // short message.
  zapis(ses / "a.ses", "<Sestava ReportOptions.Name=\"" + std::string(10 << 20, '\x9e') + "\"/>");
  // The longest name the reader takes, and one that differs from it only
  // past what the list shows.
  auto s = pomoc::malaSablona();
  s.nazev = QString(kNejdelsiText, QChar(u'ř'));
  s.autor = QStringLiteral("Autor ") + QString(500, QChar(u'á'));
  s.popis = QStringList{QStringLiteral("Úvod"), QString(3000, QLatin1Char('x')), QStringLiteral("Konec")};
  zapis(ses / "b.ses", sestavy::ZapisSablonu(s));
  s.nazev[kNejdelsiText - 1] = QLatin1Char('!');
  s.autor = QStringLiteral("Druhý");
  zapis(ses / "c.ses", sestavy::ZapisSablonu(s));
  auto k = otevri();

  const QStringList u = uzly(*k);
  ASSERT_EQ(u.size(), 3);
  for (const QString& t : u) {
    EXPECT_EQ(t.size(), kNejdelsiTextVOkne);
    EXPECT_TRUE(t.endsWith(tecky));
  }
  EXPECT_EQ(u[1], u[2]);
  EXPECT_EQ(person.messages.size(), 1u);  // the first, selected at opening, refused
  EXPECT_TRUE(person.messages[0].text.contains(QStringLiteral("je delší než 65536 znaků"))) << person.messages[0].text.toStdString();
  EXPECT_LT(person.messages[0].text.size(), 300);
  EXPECT_EQ(detaily(*k), (QStringList{"", "", "", ""}));

  // Each node still finds its own file by the whole name.
  vyber(*k, 2);
  EXPECT_EQ(k->La_Soubor->text(), "c.ses");
  vyber(*k, 1);
  EXPECT_EQ(k->La_Soubor->text(), "b.ses");
  EXPECT_TRUE(k->La_Soubor->toolTip().isEmpty());  // fits
  // One line each: elided at the label's width, the tooltip the text cut.
  for (QLabel* l : {k->La_Nazev, k->La_Autor}) {
    EXPECT_TRUE(l->text().endsWith(tecky)) << l->objectName().toStdString();
    EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->width());
    QTextDocument bublina;
    bublina.setHtml(l->toolTip());
    EXPECT_EQ(bublina.toPlainText().size(), kNejdelsiTextVOkne);
  }
  // The description: the lines its area holds, the last one elided.
  const QStringList radky = k->La_Popis->text().split(QLatin1Char('\n'));
  EXPECT_EQ(radky.front(), QStringLiteral("Úvod"));
  EXPECT_TRUE(radky.back().endsWith(tecky));
  EXPECT_GE(radky.size(), 5);
  EXPECT_LE(k->La_Popis->heightForWidth(k->La_Popis->width()), k->La_Popis->height());
  QTextDocument popis;
  popis.setHtml(k->La_Popis->toolTip());
  EXPECT_TRUE(popis.toPlainText().startsWith(QStringLiteral("Úvod")));

  // The preview's title shows the name cut.
  QString titulek;
  azJeModalni<sestavy::TNahledSestavy>([&](sestavy::TNahledSestavy* n) {
    titulek = n->windowTitle();
    const auto& druhy = sestavy::DruhyVystupu();
    const auto csv = std::find_if(druhy.begin(), druhy.end(), [](const auto& d) { return d.pripona == "csv"; });
    n->Exportuj(static_cast<int>(csv - druhy.begin()));  // cancelled: only the name offered is looked at
    n->reject();
  });
  k->Tl_Nahled->click();
  EXPECT_TRUE(titulek.startsWith(QStringLiteral("Náhled sestavy - řřř")));
  // The export offers a file name a file system takes.
  ASSERT_EQ(person.fileRequests.size(), 1u);
  EXPECT_EQ(person.fileRequests[0].fileName, QString(99, QChar(u'ř')) + QStringLiteral("….csv"));
  EXPECT_EQ(titulek.size(), QStringLiteral("Náhled sestavy - ").size() + kNejdelsiTextVOkne);
  EXPECT_EQ(person.messages.size(), 1u);
}

TEST_F(KatalogTest, ShortTextsShowWholeWithoutTooltips) {
  auto s = pomoc::malaSablona();
  s.popis = QStringList{QStringLiteral("Jeden"), QString(), QStringLiteral("Tři")};
  zapis(ses / "a.ses", sestavy::ZapisSablonu(s));
  auto k = otevri();
  EXPECT_EQ(detaily(*k), (QStringList{QStringLiteral("Malá sestava"), "Tester", "a.ses", QStringLiteral("Jeden\n\nTři")}));
  for (QLabel* l : {k->La_Nazev, k->La_Autor, k->La_Soubor, k->La_Popis}) EXPECT_TRUE(l->toolTip().isEmpty());
}
