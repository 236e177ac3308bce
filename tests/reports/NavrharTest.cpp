// The report designer and the preview, driven without a person.
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

#include "../windows/FakeInteraction.h"
#include "FileLayer.h"
#include "Nahled_f.h"
#include "Navrhar_f.h"
#include "OknaSestavy.h"
#include "Pomocnici.h"
#include "Sestava.h"
#include "Vystupy.h"

using namespace sestavy;
namespace fs = std::filesystem;

namespace {

class NavrharTest : public ::testing::Test {
 protected:
  QTemporaryDir tmp;
  fs::path dir{tmp.path().toStdString()};
  FakeInteraction person;
  store::RecordStore data;
  TSestavaData link;
  TSestava sestava;
  TOknaSestavy okna;

  void SetUp() override {
    pomoc::napln(data, 12);
    link.data = &data;
    sestava.DataSet = &link;
    sestava.SouborNastaveni = dir / "Sestavy.ini";
    fs::create_directories(dir / "Ses");
    UlozSablonu(dir / "Ses" / "mala.ses", pomoc::malaSablona());
    sestava.NactiZeSouboru(dir / "Ses" / "mala.ses");
  }
};

}  // namespace

TEST_F(NavrharTest, DesignReadFromTheTemplate) {
  const Navrh n = NavrhZeSablony(sestava.sablona());
  EXPECT_EQ(n.nazev, QStringLiteral("Malá sestava"));
  EXPECT_EQ(n.titulek, QStringLiteral("Titulek sestavy"));
  ASSERT_EQ(n.sloupce.size(), 2u);
  EXPECT_EQ(n.sloupce[0].pole, "Nazev");
  EXPECT_EQ(n.sloupce[0].nadpis, QStringLiteral("Název"));
  EXPECT_EQ(n.sloupce[1].pole, "http");
  EXPECT_EQ(n.sloupce[1].sirka, 70);
  EXPECT_TRUE(n.skupina.isEmpty());
}

TEST_F(NavrharTest, ChangesSavedBackAndReadAgain) {
  TNavrharSestav d(sestava);
  d.Ed_Nazev->setText(QStringLiteral("Nový název"));
  d.Ed_Autor->setText(QStringLiteral("Jiný autor"));
  d.Ed_Popis->setPlainText(QStringLiteral("řádek 1\nřádek 2"));
  d.Rb_NaSirku->setChecked(true);
  d.Ed_Titulek->setText(QStringLiteral("Nový titulek"));
  // Columns: add Kod, move it first, drop http, widen Nazev.
  d.Tl_PridatClick();
  static_cast<QComboBox*>(d.Sloupce->cellWidget(2, 0))->setCurrentText("Kod");
  d.Sloupce->item(2, 1)->setText(QStringLiteral("Kód"));
  d.Sloupce->item(2, 2)->setText("25,5");
  d.Tl_NahoruClick();
  d.Tl_NahoruClick();
  d.Sloupce->selectRow(2);
  d.Tl_OdebratClick();
  d.Sloupce->item(1, 2)->setText("90");
  d.CBox_Skupina->setCurrentText("Kod");
  // Turned, the sheet of 150 x 100 prints 80 mm wide: the columns' 115.5 mm
  // are asked about first.
  person.answers = {QMessageBox::Yes};
  d.Tl_UlozitClick();
  EXPECT_EQ(person.texts().back(), QStringLiteral("Sloupce jsou širší než stránka. Uložit přesto?"));
  EXPECT_TRUE(d.Ulozeno());
  EXPECT_EQ(d.result(), QDialog::Accepted);

  const Sablona z = NactiSablonu(dir / "Ses" / "mala.ses");
  const Navrh n = NavrhZeSablony(z);
  EXPECT_EQ(n.nazev, QStringLiteral("Nový název"));
  EXPECT_EQ(n.autor, QStringLiteral("Jiný autor"));
  EXPECT_EQ(n.popis, (QStringList{QStringLiteral("řádek 1"), QStringLiteral("řádek 2")}));
  EXPECT_TRUE(n.naSirku);
  EXPECT_EQ(n.titulek, QStringLiteral("Nový titulek"));
  ASSERT_EQ(n.sloupce.size(), 2u);
  EXPECT_EQ(n.sloupce[0].pole, "Kod");
  EXPECT_EQ(n.sloupce[0].nadpis, QStringLiteral("Kód"));
  EXPECT_EQ(n.sloupce[0].sirka, 25.5);
  EXPECT_EQ(n.sloupce[1].pole, "Nazev");
  EXPECT_EQ(n.sloupce[1].sirka, 90);
  EXPECT_EQ(n.skupina, "Kod");
  // The saved template prepares: groups by code, Kod column first.
  const auto p = Priprav(z, data);
  const auto radky = p.radky(0);  // title, header, group, first row
  ASSERT_GE(radky.size(), 4u);
  EXPECT_EQ(radky[2][0]->text, "A");
  EXPECT_EQ(radky[3][0]->text, "A");
  EXPECT_EQ(radky[3][1]->text, QStringLiteral("Záznam 1"));
  EXPECT_EQ(sestava.Nazev(), QStringLiteral("Nový název"));
}

TEST_F(NavrharTest, EnterOnAFocusedButtonPressesThatButtonNotSave) {
  const std::string pred = files::readWholeFile(dir / "Ses" / "mala.ses");
  TNavrharSestav d(sestava);
  d.show();
  auto* odebrat = d.findChild<QPushButton*>(QStringLiteral("Tl_Odebrat"));
  ASSERT_NE(odebrat, nullptr);
  d.Sloupce->selectRow(1);
  QTest::keyClick(odebrat, Qt::Key_Return);
  EXPECT_EQ(d.Sloupce->rowCount(), 1);
  EXPECT_TRUE(d.isVisible());
  QTest::keyClick(d.Tl_Storno, Qt::Key_Return);
  EXPECT_FALSE(d.isVisible());
  EXPECT_FALSE(d.Ulozeno());
  EXPECT_EQ(files::readWholeFile(dir / "Ses" / "mala.ses"), pred);
}

TEST_F(NavrharTest, SaveAsANewFileInSesAndRefusals) {
  {
    TNavrharSestav d(sestava);
    d.Sloupce->item(0, 2)->setText("nic");
    EXPECT_THROW(d.Tl_UlozitClick(), sestavy::ChybaSablony);  // the width is refused: nothing saved
  }
  EXPECT_EQ(NactiSablonu(dir / "Ses" / "mala.ses").nazev, QStringLiteral("Malá sestava"));
  {
    TNavrharSestav d(sestava);
    d.Ed_Titulek->setText(QStringLiteral("Titulek kopie"));
    person.inputAnswers = {QStringLiteral("../ven"), QStringLiteral("kopie"), QStringLiteral("Malá sestava"),
                           QStringLiteral("kopie"), QStringLiteral("Kopie")};
    d.Tl_UlozitJakoClick();
    EXPECT_EQ(person.texts().back(), QStringLiteral("Jméno souboru \"../ven\" není platné."));
    EXPECT_FALSE(d.Ulozeno());
    // The copy asks for its own report name, and not one already listed.
    d.Tl_UlozitJakoClick();
    EXPECT_EQ(person.inputs.back().prompt, QStringLiteral("Název nové sestavy:"));
    EXPECT_EQ(person.inputs.back().text, QStringLiteral("Malá sestava (kopie)"));
    EXPECT_EQ(person.texts().back(), QStringLiteral("Sestava s názvem \"Malá sestava\" již existuje. Zvolte jiný název."));
    EXPECT_FALSE(d.Ulozeno());
    d.Tl_UlozitJakoClick();
    EXPECT_TRUE(d.Ulozeno());
  }
  EXPECT_EQ(NactiSablonu(dir / "Ses" / "kopie.ses").nazev, QStringLiteral("Kopie"));
  EXPECT_EQ(NactiSablonu(dir / "Ses" / "kopie.ses").pasma[0].objekty[0].text, QStringLiteral("Titulek kopie"));
  EXPECT_EQ(NactiSablonu(dir / "Ses" / "mala.ses").nazev, QStringLiteral("Malá sestava"));
  // The report goes on with the template it had loaded: the catalogue's
  // selection still says what its commands act on.
  EXPECT_EQ(sestava.Soubor(), dir / "Ses" / "mala.ses");
  EXPECT_EQ(sestava.Nazev(), QStringLiteral("Malá sestava"));
  EXPECT_EQ(sestava.sablona().pasma[0].objekty[0].text, QStringLiteral("Titulek sestavy"));
  // An existing file is overwritten only after Yes.
  TNavrharSestav d(sestava);
  d.Ed_Nazev->setText(QStringLiteral("Přepsáno"));
  person.inputAnswers = {QStringLiteral("mala.ses")};
  person.answers = {QMessageBox::No};
  d.Tl_UlozitJakoClick();
  EXPECT_EQ(NactiSablonu(dir / "Ses" / "mala.ses").nazev, QStringLiteral("Malá sestava"));
}

TEST_F(NavrharTest, PreviewNavigationZoomFindAndExport) {
  TNahledSestavy n(okna, sestava, sestava.Priprav());
  EXPECT_EQ(n.Zvetseni(), 1.0);
  EXPECT_EQ(n.CBox_Zvetseni->currentText(), "100 %");
  EXPECT_EQ(n.Strana(), 0);
  EXPECT_EQ(n.La_Strana->text(), " z 3 ");
  n.JdiNaStranu(7);
  EXPECT_EQ(n.Strana(), 2);
  EXPECT_EQ(n.Ed_Strana->value(), 3);
  n.Ed_Strana->setValue(2);
  EXPECT_EQ(n.Strana(), 1);
  n.NastavZvetseni(2.0);
  EXPECT_EQ(n.CBox_Zvetseni->currentText(), "200 %");

  n.JdiNaStranu(0);
  ASSERT_TRUE(n.Najdi(QStringLiteral("záznam 1")));  // Záznam 1
  EXPECT_EQ(n.Nalezena()->text, QStringLiteral("Záznam 1"));
  ASSERT_TRUE(n.Najdi(QStringLiteral("záznam 1")));  // Záznam 10, on page 2
  EXPECT_EQ(n.Strana(), 1);
  EXPECT_EQ(n.Nalezena()->text, QStringLiteral("Záznam 10"));
  EXPECT_TRUE(n.Najdi(QStringLiteral("záznam 1")));   // 11
  EXPECT_TRUE(n.Najdi(QStringLiteral("záznam 1")));   // 12, page 3
  EXPECT_FALSE(n.Najdi(QStringLiteral("záznam 1")));
  EXPECT_EQ(person.texts().back(), QStringLiteral("Text \"záznam 1\" nebyl nalezen."));

  person.fileAnswers = {{QString::fromStdString((dir / "out" / "x.csv").string()), 0}};
  fs::create_directories(dir / "out");
  int csv = 0;
  while (DruhyVystupu()[csv].pripona != QStringLiteral("csv")) ++csv;
  n.Exportuj(csv);
  ASSERT_EQ(person.fileRequests.size(), 1u);
  // The first export opens in the program directory, where Sestavy.ini is.
  EXPECT_EQ(person.fileRequests[0].directory, QString::fromStdString(dir.string()));
  EXPECT_EQ(person.fileRequests[0].fileName, QStringLiteral("Malá sestava.csv"));
  EXPECT_TRUE(fs::exists(dir / "out" / "x.csv"));
  // The engine remembers the directory for the next export.
  EXPECT_NE(files::readWholeFile(dir / "Sestavy.ini").find("Adresar=" + (dir / "out").string()), std::string::npos);
  n.Exportuj(0);  // cancelled: nothing written
  EXPECT_EQ(person.fileRequests[1].directory, QString::fromStdString((dir / "out").string()));
}

TEST_F(NavrharTest, PageSetupLaysTheReportOutAgain) {
  const std::string soubor = files::readWholeFile(dir / "Ses" / "mala.ses");
  const Stranka puvodni = sestava.sablona().stranka;
  {
    TNahledSestavy n(okna, sestava, sestava.Priprav());
    n.ZmenList(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10)));
    EXPECT_EQ(n.Pripravena().strany.size(), 1u);
    EXPECT_EQ(n.Pripravena().sirka, 297);
    EXPECT_EQ(n.Pripravena().vyska, 210);
  }
  // That preview only: the template, its file and the next preview keep
  // the template's own sheet.
  EXPECT_TRUE(sestava.sablona().stranka == puvodni);
  EXPECT_EQ(files::readWholeFile(dir / "Ses" / "mala.ses"), soubor);
  TNahledSestavy dalsi(okna, sestava, sestava.Priprav());
  EXPECT_EQ(dalsi.Pripravena().sirka, 150);
  EXPECT_EQ(dalsi.Pripravena().vyska, 100);
  // A designer opened over the changed preview saves the template's sheet.
  TNavrharSestav d(sestava);
  d.Tl_UlozitClick();
  EXPECT_FALSE(NactiSablonu(dir / "Ses" / "mala.ses").stranka.naSirku);
}

TEST_F(NavrharTest, AGroupChangeRelabelsTheGroupHeader) {
  Sablona s = pomoc::malaSablona(true);
  Navrh n = NavrhZeSablony(s);
  n.sloupce[0].pole = QStringLiteral("Nazev");
  n.sloupce[0].nadpis = QStringLiteral("Název");
  n.skupina = QStringLiteral("Nazev");
  PouzijNavrh(s, n);
  const Pasmo* g = s.pasmo(DruhPasma::HlavickaSkupiny);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->objekty[0].text, QStringLiteral("Název: [SestavaData1.\"Nazev\"]"));
  // A field without a column title: its name.
  n.skupina = QStringLiteral("Popis");
  PouzijNavrh(s, n);
  EXPECT_EQ(s.pasmo(DruhPasma::HlavickaSkupiny)->objekty[0].text, QStringLiteral("Popis: [SestavaData1.\"Popis\"]"));
}

TEST_F(NavrharTest, AReportHandedNoWindowsRefusesToPrintPreviewOrDesign) {
  ASSERT_EQ(sestava.Okna, nullptr);
  EXPECT_THROW(sestava.Tiskni(nullptr), ChybaSablony);
  EXPECT_THROW(sestava.Nahled(nullptr), ChybaSablony);
  EXPECT_THROW(sestava.Navrh(nullptr), ChybaSablony);
}

TEST_F(NavrharTest, TheExportDialogStartsInTheLastDirectoryOrTheProgramDirectory) {
  const QString predtim = QDir::currentPath();
  QDir::setCurrent(QDir::tempPath());  // never where the dialog opens
  EXPECT_EQ(AdresarExportu(sestava), QString::fromStdString(dir.string()));  // no Sestavy.ini yet
  files::writeFileAtomically(dir / "Sestavy.ini", "[Export]\r\nAdresar=/jinde/exporty\r\n");
  EXPECT_EQ(AdresarExportu(sestava), QStringLiteral("/jinde/exporty"));
  files::writeFileAtomically(dir / "Sestavy.ini", "[Export]\r\nAdresar=\r\n");
  EXPECT_EQ(AdresarExportu(sestava), QString::fromStdString(dir.string()));
  TSestava bezNastaveni;  // a report with no settings file: the running program's directory
  EXPECT_EQ(AdresarExportu(bezNastaveni), QCoreApplication::applicationDirPath());
  QDir::setCurrent(predtim);
}

TEST_F(NavrharTest, ColumnStylesSetInTheTableAreSavedForTheTextAndItsTitle) {
  const struct {
    const char* pismo;
    const char* velikost;
    bool tucne;
    int zarovnani;  // the combo's row: Vlevo, Na střed, Vpravo
    bool roztahovat, tucnyNadpis;
  } pripady[] = {
      {"Times New Roman", "12", true, 1, true, false},
      {"Courier New", "7,5", false, 2, false, true},
      {"Liberation Serif", "30", false, 0, true, true},  // typed, not offered: taller than the rows
  };
  for (const auto& p : pripady) {
    UlozSablonu(dir / "Ses" / "mala.ses", pomoc::malaSablona());
    sestava.NactiZeSouboru(dir / "Ses" / "mala.ses");
    TNavrharSestav d(sestava);
    static_cast<QComboBox*>(d.Sloupce->cellWidget(1, TNavrharSestav::kPismo))->setCurrentText(p.pismo);
    d.Sloupce->item(1, TNavrharSestav::kVelikost)->setText(p.velikost);
    d.Sloupce->item(1, TNavrharSestav::kTucne)->setCheckState(p.tucne ? Qt::Checked : Qt::Unchecked);
    static_cast<QComboBox*>(d.Sloupce->cellWidget(1, TNavrharSestav::kZarovnani))->setCurrentIndex(p.zarovnani);
    d.Sloupce->item(1, TNavrharSestav::kRoztahovat)->setCheckState(p.roztahovat ? Qt::Checked : Qt::Unchecked);
    d.Sloupce->item(1, TNavrharSestav::kTucnyNadpis)->setCheckState(p.tucnyNadpis ? Qt::Checked : Qt::Unchecked);
    d.Tl_UlozitClick();
    ASSERT_TRUE(d.Ulozeno()) << p.pismo;

    const Sablona z = NactiSablonu(dir / "Ses" / "mala.ses");
    const double velikost = QString::fromLatin1(p.velikost).replace(',', '.').toDouble();
    const Pasmo& data = *z.pasmo(DruhPasma::Data);
    const Pasmo& hlavicka = *z.pasmo(DruhPasma::HlavickaStranky);
    ASSERT_EQ(data.objekty.size(), 2u);
    ASSERT_EQ(hlavicka.objekty.size(), 2u);
    const TextovyObjekt& t = data.objekty[1];
    const TextovyObjekt& n = hlavicka.objekty[1];
    EXPECT_EQ(t.text, QStringLiteral("[SestavaData1.\"http\"]"));
    for (const TextovyObjekt* o : {&t, &n}) {
      EXPECT_EQ(o->pismo, QString::fromUtf8(p.pismo));
      EXPECT_EQ(o->velikost, velikost);
      EXPECT_EQ(static_cast<int>(o->zarovnani), p.zarovnani);
      EXPECT_EQ(o->roztahovat, p.roztahovat);
      // One line of the font fits the text, and the band holds the text.
      EXPECT_GE(o->vyska, velikost * 25.4 / 72);
    }
    EXPECT_GE(data.vyska, t.y + t.vyska);
    EXPECT_EQ(t.tucne, p.tucne);
    EXPECT_EQ(n.tucne, p.tucnyNadpis);
    // The other column keeps its style.
    EXPECT_EQ(data.objekty[0].pismo, QStringLiteral("Arial"));
    EXPECT_EQ(data.objekty[0].velikost, 9);
    EXPECT_FALSE(hlavicka.objekty[0].tucne);  // as the template had it
    // And the designer shows what was saved.
    sestava.NactiZeSouboru(dir / "Ses" / "mala.ses");
    TNavrharSestav znovu(sestava);
    EXPECT_EQ(static_cast<QComboBox*>(znovu.Sloupce->cellWidget(1, TNavrharSestav::kPismo))->currentText(), p.pismo);
    EXPECT_EQ(znovu.Sloupce->item(1, TNavrharSestav::kRoztahovat)->checkState() == Qt::Checked, p.roztahovat);
    EXPECT_EQ(static_cast<QComboBox*>(znovu.Sloupce->cellWidget(1, TNavrharSestav::kZarovnani))->currentIndex(), p.zarovnani);
  }
}

TEST_F(NavrharTest, PaperOrientationAndMarginsAreSaved) {
  const struct {
    const char* papir;
    double sirka, vyska;  // for "Vlastní"; the paper's own otherwise
    bool naSirku;
    double levy, horni, pravy, dolni;
  } pripady[] = {
      {"A4", 210, 297, false, 20, 15, 10, 25},
      {"A5", 148, 210, true, 5, 5, 5, 5},
      {"A3", 297, 420, false, 0, 0, 0, 0},
      {"Letter", 215.9, 279.4, true, 12.7, 12.7, 12.7, 12.7},
      {"Legal", 215.9, 355.6, false, 10, 10, 10, 10},
      {"Vlastní", 123.45, 321, false, 1, 2, 3, 4},
  };
  for (const auto& p : pripady) {
    TNavrharSestav d(sestava);
    d.CBox_Papir->setCurrentText(QString::fromUtf8(p.papir));
    const bool vlastni = std::string(p.papir) == "Vlastní";
    EXPECT_EQ(d.Ed_SirkaPapiru->isEnabled(), vlastni) << p.papir;
    if (vlastni) {
      d.Ed_SirkaPapiru->setValue(p.sirka);
      d.Ed_VyskaPapiru->setValue(p.vyska);
    }
    (p.naSirku ? d.Rb_NaSirku : d.Rb_NaVysku)->setChecked(true);
    d.Ed_Levy->setValue(p.levy);
    d.Ed_Horni->setValue(p.horni);
    d.Ed_Pravy->setValue(p.pravy);
    d.Ed_Dolni->setValue(p.dolni);
    person.answers = {QMessageBox::Yes};  // A5 turned is narrower than the columns
    d.Tl_UlozitClick();
    ASSERT_TRUE(d.Ulozeno()) << p.papir;
    const Stranka st = NactiSablonu(dir / "Ses" / "mala.ses").stranka;
    EXPECT_EQ(st, (Stranka{p.sirka, p.vyska, p.naSirku, p.levy, p.horni, p.pravy, p.dolni})) << p.papir;
    // Opened again, the designer names the paper.
    TNavrharSestav znovu(sestava);
    EXPECT_EQ(znovu.CBox_Papir->currentText(), QString::fromUtf8(p.papir));
  }
}

TEST_F(NavrharTest, ColumnsWiderThanThePageAreShownAndAskedAbout) {
  const std::string pred = files::readWholeFile(dir / "Ses" / "mala.ses");
  TNavrharSestav d(sestava);
  d.show();
  // 60 + 70 mm on 150 - 2 x 10 mm: exactly the printable width.
  EXPECT_FALSE(d.La_Varovani->isVisible());
  d.Sloupce->item(1, TNavrharSestav::kSirka)->setText("71");
  EXPECT_TRUE(d.La_Varovani->isVisible());
  EXPECT_EQ(d.La_Varovani->text(), QStringLiteral("Sloupce jsou širší než stránka: 131 mm, tisknutelná šířka je 130 mm."));
  EXPECT_EQ(d.La_Varovani->palette().color(QPalette::WindowText), QColor(Qt::red));
  d.Ed_Pravy->setValue(9);
  EXPECT_FALSE(d.La_Varovani->isVisible());
  d.Rb_NaSirku->setChecked(true);  // 100 mm wide now
  EXPECT_TRUE(d.La_Varovani->isVisible());
  d.Rb_NaVysku->setChecked(true);
  d.Tl_PridatClick();  // 40 mm more
  EXPECT_TRUE(d.La_Varovani->isVisible());
  d.Sloupce->selectRow(2);
  d.Tl_OdebratClick();
  EXPECT_FALSE(d.La_Varovani->isVisible());
  d.CBox_Papir->setCurrentText("A5");  // 148 mm
  d.Sloupce->item(0, TNavrharSestav::kSirka)->setText("100");
  EXPECT_TRUE(d.La_Varovani->isVisible());
  // Saving asks; No keeps the file as it was and the designer open.
  person.answers = {QMessageBox::No};
  d.Tl_UlozitClick();
  EXPECT_EQ(person.messages.back().icon, QMessageBox::Warning);
  EXPECT_EQ(person.texts().back(), QStringLiteral("Sloupce jsou širší než stránka. Uložit přesto?"));
  EXPECT_FALSE(d.Ulozeno());
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(files::readWholeFile(dir / "Ses" / "mala.ses"), pred);
}

TEST_F(NavrharTest, ASheetOrStyleTheTemplateCannotHoldIsNotSaved) {
  const std::string pred = files::readWholeFile(dir / "Ses" / "mala.ses");
  const std::function<void(TNavrharSestav&)> pripady[] = {
      [](TNavrharSestav& d) { d.Ed_Levy->setValue(80), d.Ed_Pravy->setValue(80); },    // margins wider than the sheet
      [](TNavrharSestav& d) { d.Ed_Horni->setValue(60), d.Ed_Dolni->setValue(50); },    // and taller
      [](TNavrharSestav& d) { d.Sloupce->item(0, TNavrharSestav::kVelikost)->setText("0"); },
      [](TNavrharSestav& d) { d.Sloupce->item(0, TNavrharSestav::kVelikost)->setText("velké"); },
      [](TNavrharSestav& d) { static_cast<QComboBox*>(d.Sloupce->cellWidget(0, TNavrharSestav::kPismo))->setCurrentText(" "); },
  };
  for (const auto& zmena : pripady) {
    TNavrharSestav d(sestava);
    zmena(d);
    person.answers = {QMessageBox::Yes};
    EXPECT_THROW(d.Tl_UlozitClick(), ChybaSablony);
    EXPECT_FALSE(d.Ulozeno());
  }
  EXPECT_EQ(files::readWholeFile(dir / "Ses" / "mala.ses"), pred);
}
