// The report designer and the preview, driven without a person.
#include <QComboBox>
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
  d.Tl_UlozitClick();
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
