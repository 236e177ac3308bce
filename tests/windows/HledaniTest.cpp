// Sorting, search and filter driven offscreen through the main window and
// its three dialogs.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "CodePage.h"
#include "DataPacket.h"
#include "FakeInteraction.h"
#include "Registr.h"
#include "FiltrZaznamu_f.h"
#include "Hledat_f.h"
#include "Hlavni_f.h"
#include "Mrizka.h"
#include "TrideniRazeni_f.h"
#include "VyberPole.h"

namespace fs = std::filesystem;

namespace {

// Nazev, Http, Kod, Popis in UTF-8.
using Radek = std::vector<std::string>;

class HledaniTest : public ::testing::Test {
 protected:
  QTemporaryDir tmp;
  fs::path dir{tmp.path().toStdString()};
  FakeInteraction person;

  // Writes the register as it stands in the file: values are not trimmed.
  void writeRegister(const std::vector<Radek>& rows) {
    store::RecordTable table(store::addressFieldDefs());
    for (const Radek& r : rows) {
      std::vector<std::string> ansi;
      for (const std::string& v : r) ansi.push_back(cp1250::fromUtf8(v));
      std::vector<store::Value> values(ansi.begin(), ansi.end());
      table.append(values);
    }
    store::savePacket(table, dir / "Odkaznik.xml", store::PacketForm::Xml);
  }

  void writeCodes(const std::string& bytes) { zapisSoubor(dir / "Seznam.txt", bytes); }

  std::unique_ptr<THlavni> start() { return spustHlavni(tmp); }

  // The value of `field` in the current record, in UTF-8.
  static std::string current(THlavni& w, const char* field) {
    return cp1250::toUtf8(w.ClientDataSet1.text(std::string_view(field)));
  }

  // Nazev of every record of the view, in view order.
  static std::vector<std::string> view(THlavni& w) {
    std::vector<std::string> out;
    auto& d = w.ClientDataSet1;
    for (int row = 0; row < d.displayRowCount(); ++row)
      out.push_back(cp1250::toUtf8(d.displayText(row, d.findField("nazev"))));
    return out;
  }
};

const std::vector<Radek> kPet = {
    {"Cyril", "http://c", "WEB", "třetí"},
    {"Alena", "http://e", "PDF", "první"},
    {"Emil", "http://a", "MAIL", "druhý"},
    {"Bedřich", "http://d", "WEB", "páté"},
    {"Dana", "http://b", "DOC", "čtvrté"},
};

// The grey levels of the marker, rows from the top.
const int kZnacka[6][7] = {
    {245, 245, 245, 245, 245, 245, 245}, {48, 37, 37, 40, 60, 102, 140},     {245, 85, 95, 121, 165, 191, 245},
    {242, 245, 117, 169, 204, 245, 243}, {240, 243, 245, 172, 245, 243, 240}, {241, 241, 244, 246, 244, 241, 241},
};

// Whether the title row shows the marker with its top-left pixel at `x`,
// 5 in the grid's client area.
bool markerAt(THlavni& w, int x) {
  QApplication::processEvents();
  const QImage image = w.DBGrid1->titulky()->grab().toImage();
  const QPoint o = w.DBGrid1->pocatekTitulku();
  for (int r = 0; r < 6; ++r)
    for (int c = 0; c < 7; ++c) {
      const QPoint p(x - o.x() + c, 5 - o.y() + r);
      if (!image.rect().contains(p) || image.pixel(p) != qRgb(kZnacka[r][c], kZnacka[r][c], kZnacka[r][c]))
        return false;
    }
  return true;
}

bool markerAnywhere(THlavni& w) {
  for (int x : {141, 442, 523, 664})
    if (markerAt(w, x)) return true;
  return false;
}

// --- sorting --------------------------------------------------------------------------

TEST_F(HledaniTest, TitleClickSortsAscendingAndAgainMovesToTheFirst) {
  writeRegister(kPet);
  auto w = start();
  QHeaderView* header = w->DBGrid1->horizontalHeader();
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    w->ClientDataSet1.setRecNo(4);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(0) + 20, header->height() / 2));
    EXPECT_EQ(view(*w), (std::vector<std::string>{"Alena", "Bedřich", "Cyril", "Dana", "Emil"}));
    EXPECT_EQ(w->StavPohledu.SetridenoPodle(), 0);
    EXPECT_EQ(w->ClientDataSet1.recNo(), 1);
    EXPECT_EQ(w->PopiskaSetrideno->text(), "Setříděno podle : Nazev");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  }
  w->DBGrid1TitleClick(2);
  EXPECT_EQ(w->PopiskaSetrideno->text(), "Setříděno podle : Kod");
  EXPECT_EQ(current(*w, "kod"), "DOC");
}

struct SortCase {
  const char* name;
  int sortedBefore;   // -1 natural order, else the title clicked first
  int select;         // item chosen in the dialog (-2: leave as opened)
  bool vychozi;       // press Výchozí instead of Ok
  int selectedAtOpen;
  bool staysOpen;
  int sortedAfter;
  const char* label;
  const char* first;  // Nazev of the current record afterwards
  friend void PrintTo(const SortCase& c, std::ostream* os) { *os << c.name; }
};

class SortDialogTest : public HledaniTest, public ::testing::WithParamInterface<SortCase> {};

TEST_P(SortDialogTest, OkAndVychozi) {
  const SortCase& c = GetParam();
  writeRegister(kPet);
  auto w = start();
  if (c.sortedBefore >= 0) w->DBGrid1TitleClick(c.sortedBefore);
  w->ClientDataSet1.setRecNo(3);
  const std::string before = current(*w, "nazev");

  TTrideniRazeni dialog(w->StavPohledu, w.get());
  dialog.show();
  EXPECT_EQ(dialog.VybranePole->ItemIndex(), c.selectedAtOpen);
  if (c.select != -2) dialog.VybranePole->setItemIndex(c.select);
  (c.vychozi ? dialog.Tl_Vychozi : dialog.Tl_Ok)->click();

  EXPECT_EQ(dialog.isVisible(), c.staysOpen);
  EXPECT_EQ(w->StavPohledu.SetridenoPodle(), c.sortedAfter);
  EXPECT_EQ(w->PopiskaSetrideno->text(), QString::fromUtf8(c.label));
  EXPECT_EQ(current(*w, "nazev"), c.staysOpen ? before : std::string(c.first));
  if (c.vychozi) {
    EXPECT_EQ(dialog.VybranePole->ItemIndex(), -1);
  }
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(person.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SortDialogTest,
    ::testing::Values(
        SortCase{"OkOnTheSortedField", 2, -2, false, 2, true, 2, "Setříděno podle : Kod", ""},
        SortCase{"OkInNaturalOrderWithNothingSelected", -1, -2, false, -1, true, -1, "Setříděno podle : výchozí", ""},
        SortCase{"VychoziInNaturalOrder", -1, -2, true, -1, true, -1, "Setříděno podle : výchozí", ""},
        SortCase{"VychoziAfterHttp", 1, -2, true, 1, false, -1, "Setříděno podle : výchozí", "Cyril"},
        SortCase{"OkOnPopis", -1, 3, false, -1, false, 3, "Setříděno podle : Popis", "Dana"},
        SortCase{"OkOnAnotherField", 0, 1, false, 0, false, 1, "Setříděno podle : Http", "Emil"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HledaniTest, SortThatTheStoreRefusesLeavesTheStateAndTheDialogOpen) {
  writeRegister(kPet);
  auto w = start();
  TTrideniRazeni dialog(w->StavPohledu, w.get());
  dialog.show();
  w->ClientDataSet1.append();  // no sorting while a record is being appended
  dialog.VybranePole->setItemIndex(1);
  dialog.Tl_Ok->click();
  ASSERT_EQ(person.messages.size(), 1u);
  EXPECT_EQ(person.messages[0].icon, QMessageBox::Critical);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(w->StavPohledu.SetridenoPodle(), -1);
  EXPECT_EQ(w->PopiskaSetrideno->text(), "Setříděno podle : výchozí");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  w->ClientDataSet1.cancel();
}

TEST_F(HledaniTest, MarkerPixelsAndPlaces) {
  writeRegister(kPet);
  auto w = start();
  w->resize(900, w->height());
  EXPECT_FALSE(markerAnywhere(*w));

  // The grid's geometry: the title row starts after the indicator and its
  // line, and each column is followed by its line.
  EXPECT_EQ(w->DBGrid1->pocatekTitulku(), QPoint(12, 0));
  QHeaderView* header = w->DBGrid1->horizontalHeader();
  const int expected[] = {141, 442, 523, 664};
  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    w->DBGrid1TitleClick(k);
    EXPECT_TRUE(markerAt(*w, expected[k]));
    for (int other : expected) {
      if (other != expected[k]) {
        EXPECT_FALSE(markerAt(*w, other));
      }
    }
    // The picture's right edge lies 4 pixels inside the title cell's last pixel.
    const int lastPixel = 12 + header->sectionViewportPosition(k) + w->DBGrid1->columnWidth(k) - 1;
    EXPECT_EQ(expected[k] + 6, lastPixel - 4);
  }

  // Scrolled to the right, the marker stays at the unscrolled place.
  w->DBGrid1TitleClick(0);
  w->DBGrid1->setColumnWidth(3, 900);
  QApplication::processEvents();
  w->DBGrid1->horizontalScrollBar()->setValue(w->DBGrid1->horizontalScrollBar()->maximum());
  ASSERT_GT(header->offset(), 0);
  EXPECT_TRUE(markerAt(*w, 141));

  // Výchozí: no marker any more.
  TTrideniRazeni dialog(w->StavPohledu, w.get());
  dialog.Tl_Vychozi->click();
  EXPECT_EQ(w->StavPohledu.SetridenoPodle(), -1);
  EXPECT_FALSE(markerAnywhere(*w));
}

TEST_F(HledaniTest, NoMarkerOnAnEmptyView) {
  writeRegister(kPet);
  auto w = start();
  w->DBGrid1TitleClick(0);
  EXPECT_TRUE(markerAt(*w, 141));
  w->StavPohledu.NastavFiltr(0, "nic takového");
  w->ClientDataSet1.setFiltered(true);
  EXPECT_FALSE(markerAt(*w, 141));
  w->DBGrid1TitleClick(1);
  EXPECT_FALSE(markerAt(*w, 442));
}

TEST_F(HledaniTest, DraggedColumnTakesSortAndFilterFieldAlong) {
  writeRegister(kPet);
  auto w = start();
  w->DBGrid1TitleClick(2);  // Kod
  TFiltrZaznamu filtr(w->StavPohledu, w->AdresarProgramu / "Seznam.txt", w.get());
  filtr.Rg_VybranePole->setItemIndex(3);  // Popis
  filtr.Ed_PodminkaFiltru->setText("t");
  filtr.Tl_Filtr->click();
  ASSERT_EQ(view(*w), (std::vector<std::string>{"Dana", "Cyril", "Bedřich"}));

  // Popis dragged to the front: Popis, Nazev, Http, Kod.
  w->DBGrid1->horizontalHeader()->moveSection(3, 0);
  EXPECT_EQ(w->ClientDataSet1.fieldName(3), "Kod");
  EXPECT_EQ(w->StavPohledu.SetridenoPodle(), 3);
  EXPECT_EQ(w->StavPohledu.FiltrPole(), 0);
  EXPECT_TRUE(markerAt(*w, 664));  // the widths travel too: 140, 140, 300, 80
  // The filter still tests Popis when it is evaluated again.
  w->ClientDataSet1.setFiltered(true);
  EXPECT_EQ(view(*w), (std::vector<std::string>{"Dana", "Cyril", "Bedřich"}));
  EXPECT_EQ(w->PopiskaSetrideno->text(), "Setříděno podle : Kod");
}

TEST_F(HledaniTest, FieldChoiceListIsTheSameInAllThreeDialogs) {
  writeRegister(kPet);
  auto w = start();
  TTrideniRazeni trideni(w->StavPohledu, w.get());
  THledat hledat(w->StavPohledu, w.get());
  TFiltrZaznamu filtr(w->StavPohledu, w->AdresarProgramu / "Seznam.txt", w.get());
  const struct {
    TVyberPole* list;
    QRect geometry;
    int selected;
  } rows[] = {{trideni.VybranePole, {8, 8, 217, 105}, -1},
              {hledat.VybranePole, {8, 8, 153, 105}, 0},
              {filtr.Rg_VybranePole, {8, 8, 153, 105}, 0}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.list->objectName().toStdString());
    EXPECT_EQ(r.list->title(), "Výběr pole");
    EXPECT_EQ(r.list->geometry(), r.geometry);
    EXPECT_EQ(r.list->ItemIndex(), r.selected);
    QStringList items;
    for (int i = 0; i < r.list->Pocet(); ++i) items << r.list->Polozka(i);
    EXPECT_EQ(items, (QStringList{"Nazev", "Http", "Kod", "Popis"}));
  }
}

// --- search ---------------------------------------------------------------------------

const std::vector<Radek> kHledani = {
    {"xabcx", "", "A", ""},  {"český web", "", "x", ""}, {"Web", "", "", ""},
    {"web ", "", "x", ""},   {"muj web", "", "b", ""},  {"Konec", "", "", ""},
};

struct SearchCase {
  const char* name;
  int from;
  const char* field;
  const char* text;
  bool whole;
  bool found;
  int recNoAfter;
  friend void PrintTo(const SearchCase& c, std::ostream* os) { *os << c.name; }
};

class NajdiZaznamTest : public HledaniTest, public ::testing::WithParamInterface<SearchCase> {};

TEST_P(NajdiZaznamTest, WalksForwardFromTheNextRecord) {
  const SearchCase& c = GetParam();
  writeRegister(kHledani);
  auto w = start();
  w->ClientDataSet1.setRecNo(c.from);
  int notifications = 0;
  const int id = w->ClientDataSet1.addDataChangeListener([&] { ++notifications; });
  EXPECT_EQ(w->NajdiZaznam(c.field, cp1250::fromUtf8(c.text), c.whole), c.found);
  w->ClientDataSet1.removeDataChangeListener(id);
  EXPECT_EQ(w->ClientDataSet1.recNo(), c.recNoAfter);
  EXPECT_EQ(notifications, 1);  // the walk itself is frozen
  EXPECT_EQ(w->DBGrid1->currentIndex().row(), c.recNoAfter - 1);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NajdiZaznamTest,
    ::testing::Values(SearchCase{"CurrentRecordNeverExamined", 1, "Nazev", "abc", false, false, 6},
                      SearchCase{"FromTheLastRecord", 6, "Nazev", "web", false, false, 6},
                      SearchCase{"CaseFoldsWithDiacritics", 1, "Nazev", "ČESKÝ", false, true, 2},
                      SearchCase{"WholeValueIgnoresCase", 1, "Nazev", "web", true, true, 3},
                      SearchCase{"WholeValueNotWithASpaceOrInside", 3, "Nazev", "web", true, false, 6},
                      SearchCase{"Substring", 3, "Nazev", "web", false, true, 4},
                      SearchCase{"LoneSpaceIsNotTrimmed", 2, "Nazev", " ", false, true, 4},
                      SearchCase{"FieldByLowerCaseName", 1, "kod", "X", false, true, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HledaniTest, SearchAnEmptyRegisterFindsNothing) {
  writeRegister({});
  auto w = start();
  EXPECT_FALSE(w->NajdiZaznam("Nazev", "a", false));
  EXPECT_EQ(w->ClientDataSet1.recNo(), 0);
}

TEST_F(HledaniTest, DialogStepsThroughHitsThenZpetAndF3Repeats) {
  writeRegister(kHledani);
  auto w = start();
  EXPECT_FALSE(w->Akce_HledatZaznamDalsi->isEnabled());
  w->ClientDataSet1.setRecNo(2);

  THledat dialog(w->StavPohledu, w.get());
  dialog.show();
  EXPECT_FALSE(dialog.HledatVyraz->isEnabled());
  EXPECT_FALSE(dialog.Celevyrazy->isChecked());

  // An empty text after an edit: the message, nothing stored, no move.
  dialog.Hledany->setText("w");
  dialog.Hledany->clear();
  EXPECT_TRUE(dialog.HledatVyraz->isEnabled());
  dialog.HledatVyraz->click();
  EXPECT_EQ(person.texts(), QStringList{"Není zadaný hledaný výraz ..."});
  EXPECT_TRUE(w->StavPohledu.HledParam().HledanyVyraz.empty());
  EXPECT_EQ(w->ClientDataSet1.recNo(), 2);

  person.messages.clear();
  dialog.Hledany->setText("WEB");
  for (int expected : {3, 4, 5}) {
    dialog.HledatVyraz->click();
    EXPECT_EQ(w->ClientDataSet1.recNo(), expected);
  }
  EXPECT_TRUE(person.messages.empty());
  dialog.HledatVyraz->click();
  EXPECT_EQ(person.texts(), QStringList{"Hledaný výraz: WEB nebyl nalezen."});
  EXPECT_EQ(w->ClientDataSet1.recNo(), 6);
  EXPECT_TRUE(dialog.isVisible());
  dialog.Zpet->click();
  EXPECT_EQ(w->ClientDataSet1.recNo(), 2);
  EXPECT_EQ(w->CisloZaznamu->text(), "2 z 6");

  // The parameters of the last press: Kod, x.
  dialog.VybranePole->setItemIndex(2);
  dialog.Hledany->setText("x");
  dialog.HledatVyraz->click();
  EXPECT_EQ(w->ClientDataSet1.recNo(), 4);
  EXPECT_EQ(w->StavPohledu.HledParam().NazevPole, "Kod");
  EXPECT_EQ(w->StavPohledu.HledParam().HledanyVyraz, "x");
  EXPECT_FALSE(w->StavPohledu.HledParam().CeleVyrazy);
  dialog.Storno->click();
  EXPECT_FALSE(dialog.isVisible());

  // F3 repeats it from the record after the current one.
  person.messages.clear();
  EXPECT_TRUE(w->Akce_HledatZaznamDalsi->isEnabled());
  w->ClientDataSet1.setRecNo(1);
  EXPECT_TRUE(THlavni::Spust(w->Akce_HledatZaznamDalsi));
  EXPECT_EQ(w->ClientDataSet1.recNo(), 2);
  QTest::keyClick(w.get(), Qt::Key_F3);
  EXPECT_EQ(w->ClientDataSet1.recNo(), 4);
  QTest::keyClick(w.get(), Qt::Key_F3);
  EXPECT_EQ(person.texts(), QStringList{"Hledaný výraz: x nebyl nalezen."});
  EXPECT_EQ(w->ClientDataSet1.recNo(), 6);
}

TEST_F(HledaniTest, SearchVisitsOnlyTheFilteredViewInSortOrder) {
  writeRegister(kPet);
  auto w = start();
  w->DBGrid1TitleClick(0);  // Alena, Bedřich, Cyril, Dana, Emil
  w->StavPohledu.NastavFiltr(2, "web");    // Cyril, Bedřich
  w->ClientDataSet1.setFiltered(true);
  EXPECT_EQ(current(*w, "nazev"), "Bedřich");
  EXPECT_TRUE(w->NajdiZaznam("Kod", "W", false));
  EXPECT_EQ(current(*w, "nazev"), "Cyril");
  EXPECT_FALSE(w->NajdiZaznam("Nazev", "Dana", false));
}

// --- filter ---------------------------------------------------------------------------

TEST_F(HledaniTest, FilterIsContainmentIgnoringCaseAndTrimsTheCondition) {
  writeRegister({{"seznam zpráv", "", "", ""},
                 {"", "", "", ""},
                 {"Můj SEZNAM", "", "", ""},
                 {"jiné", "seznam", "", ""},
                 {"xseznamx", "", "", ""}});
  auto w = start();
  w->ClientDataSet1.setRecNo(3);
  TFiltrZaznamu dialog(w->StavPohledu, w->AdresarProgramu / "Seznam.txt", w.get());
  dialog.show();
  EXPECT_FALSE(dialog.Tl_Filtr->isEnabled());
  dialog.Ed_PodminkaFiltru->setText(" \t Seznam  ");
  EXPECT_TRUE(dialog.Tl_Filtr->isEnabled());
  dialog.Tl_Filtr->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.Ed_PodminkaFiltru->text(), "Seznam");
  EXPECT_EQ(view(*w), (std::vector<std::string>{"seznam zpráv", "Můj SEZNAM", "xseznamx"}));
  EXPECT_EQ(w->ClientDataSet1.recNo(), 1);
  EXPECT_EQ(w->StavPohledu.FiltrPole(), 0);
  EXPECT_EQ(w->StavPohledu.FiltrVyraz(), "seznam");
  EXPECT_EQ(w->ParametrFiltru->text(), "Filtr : Seznam v poli Nazev");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // A record stored later is tested by the same condition.
  w->ClientDataSet1.append();
  w->ClientDataSet1.setText("nazev", cp1250::fromUtf8("ŠKOLA"));
  w->ClientDataSet1.post();
  EXPECT_EQ(w->ClientDataSet1.recordCount(), 3);
}

TEST_F(HledaniTest, SecondFilterReplacesTheFirstAndZrusitShowsAll) {
  writeRegister({{"1", "", "A", "x"}, {"2", "", "A", "b"}, {"3", "", "c", "b"}, {"4", "", "a", "y"}});
  auto w = start();
  auto filtr = [&](int field, const char* text) {
    TFiltrZaznamu dialog(w->StavPohledu, w->AdresarProgramu / "Seznam.txt", w.get());
    dialog.Rg_VybranePole->setItemIndex(field);
    dialog.Ed_PodminkaFiltru->setText(text);
    dialog.Tl_Filtr->click();
  };
  filtr(2, "A");
  EXPECT_EQ(view(*w), (std::vector<std::string>{"1", "2", "4"}));
  filtr(3, "b");
  EXPECT_EQ(view(*w), (std::vector<std::string>{"2", "3"}));
  EXPECT_EQ(w->ParametrFiltru->text(), "Filtr : b v poli Popis");

  w->ClientDataSet1.setRecNo(2);
  EXPECT_TRUE(THlavni::Spust(w->Akce_ZrusitFiltr));
  EXPECT_EQ(view(*w).size(), 4u);
  EXPECT_EQ(w->ClientDataSet1.recNo(), 1);
  EXPECT_EQ(w->ParametrFiltru->text(), "Filtr : není zadán");
  // Without a filter it still makes the first record current.
  w->ClientDataSet1.setRecNo(3);
  EXPECT_TRUE(THlavni::Spust(w->Akce_ZrusitFiltr));
  EXPECT_EQ(w->ClientDataSet1.recNo(), 1);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(HledaniTest, CodeListShownOnlyForTheThirdField) {
  writeRegister(kPet);
  writeCodes(cp1250::fromUtf8("WEB\r\n\r\nÚŘAD\n"));
  auto w = start();
  TFiltrZaznamu dialog(w->StavPohledu, w->AdresarProgramu / "Seznam.txt", w.get());
  dialog.show();
  QStringList codes;
  for (int i = 0; i < dialog.CBox_Seznam->count(); ++i) codes << dialog.CBox_Seznam->itemText(i);
  EXPECT_EQ(codes, (QStringList{"WEB", "", "ÚŘAD"}));
  EXPECT_FALSE(dialog.CBox_Seznam->isEditable());

  for (int field : {0, 1, 2, 3, 2}) {
    dialog.Rg_VybranePole->setItemIndex(field);
    EXPECT_EQ(dialog.CBox_Seznam->isVisible(), field == 2) << field;
    EXPECT_EQ(dialog.CBox_Seznam->isEnabled(), field == 2) << field;
  }
  // Picking a code fills the condition and enables Filtr.
  EXPECT_FALSE(dialog.Tl_Filtr->isEnabled());
  dialog.CBox_Seznam->setCurrentIndex(2);
  emit dialog.CBox_Seznam->activated(2);
  EXPECT_EQ(dialog.Ed_PodminkaFiltru->text(), "ÚŘAD");
  EXPECT_TRUE(dialog.Tl_Filtr->isEnabled());
  dialog.Rg_VybranePole->setItemIndex(0);
  EXPECT_FALSE(dialog.CBox_Seznam->isVisible());
  EXPECT_EQ(dialog.Ed_PodminkaFiltru->text(), "ÚŘAD");

  // The empty entry empties the condition; Filtr then refuses.
  dialog.Rg_VybranePole->setItemIndex(2);
  emit dialog.CBox_Seznam->activated(1);
  EXPECT_EQ(dialog.Ed_PodminkaFiltru->text(), "");
  dialog.Tl_Filtr->click();
  EXPECT_EQ(person.texts(), QStringList{"Není zadán výraz podmínky"});
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_FALSE(w->ClientDataSet1.filtered());
  EXPECT_EQ(w->ParametrFiltru->text(), "Filtr : není zadán");
}

TEST_F(HledaniTest, UnreadableCodeListIsReportedAndTheDialogStillOpens) {
  writeRegister(kPet);
  auto w = start();
  fs::remove(dir / "Seznam.txt");
  fs::create_directory(dir / "Seznam.txt");
  TFiltrZaznamu dialog(w->StavPohledu, w->AdresarProgramu / "Seznam.txt", w.get());
  ASSERT_EQ(person.messages.size(), 1u);
  EXPECT_EQ(person.messages[0].icon, QMessageBox::Critical);
  EXPECT_EQ(dialog.CBox_Seznam->count(), 0);
  EXPECT_FALSE(dialog.Tl_Filtr->isEnabled());
  EXPECT_EQ(dialog.Rg_VybranePole->ItemIndex(), 0);
}

TEST_F(HledaniTest, FilterThatCannotBeSwitchedOnKeepsTheConditionInForce) {
  writeRegister(kPet);
  auto w = start();
  TFiltrZaznamu dialog(w->StavPohledu, w->AdresarProgramu / "Seznam.txt", w.get());
  dialog.show();
  dialog.Ed_PodminkaFiltru->setText("web");
  w->ClientDataSet1.append();  // no filtering while a record is being appended
  dialog.Tl_Filtr->click();
  w->ClientDataSet1.cancel();
  ASSERT_EQ(person.messages.size(), 1u);
  EXPECT_EQ(person.messages[0].icon, QMessageBox::Critical);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(w->StavPohledu.FiltrVyraz(), "");
  EXPECT_EQ(w->ParametrFiltru->text(), "Filtr : není zadán");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(HledaniTest, SortAndFilterAreIndependent) {
  writeRegister(kPet);
  auto w = start();
  w->DBGrid1TitleClick(0);
  TFiltrZaznamu dialog(w->StavPohledu, w->AdresarProgramu / "Seznam.txt", w.get());
  dialog.Rg_VybranePole->setItemIndex(1);
  dialog.Ed_PodminkaFiltru->setText("http://");
  dialog.Tl_Filtr->click();
  EXPECT_EQ(view(*w), (std::vector<std::string>{"Alena", "Bedřich", "Cyril", "Dana", "Emil"}));
  w->DBGrid1TitleClick(1);
  EXPECT_EQ(view(*w), (std::vector<std::string>{"Emil", "Dana", "Cyril", "Bedřich", "Alena"}));
  EXPECT_TRUE(w->ClientDataSet1.filtered());
  EXPECT_EQ(w->ParametrFiltru->text(), "Filtr : http:// v poli Http");
  EXPECT_TRUE(THlavni::Spust(w->Akce_ZrusitFiltr));
  EXPECT_EQ(w->StavPohledu.SetridenoPodle(), 1);
  EXPECT_EQ(w->PopiskaSetrideno->text(), "Setříděno podle : Http");
  EXPECT_EQ(view(*w).front(), "Emil");
}

TEST_F(HledaniTest, FilterThatPassesNothing) {
  writeRegister(kPet);
  auto w = start();
  TFiltrZaznamu dialog(w->StavPohledu, w->AdresarProgramu / "Seznam.txt", w.get());
  dialog.Ed_PodminkaFiltru->setText("qqq");
  dialog.Tl_Filtr->click();
  EXPECT_EQ(w->DBGrid1->model()->rowCount(), 0);
  EXPECT_EQ(w->CisloZaznamu->text(), "0 z 0");
  EXPECT_EQ(w->ParametrFiltru->text(), "Filtr : qqq v poli Nazev");
  EXPECT_FALSE(w->NajdiZaznam("Nazev", "a", false));
}

// --- the commands open their dialogs modally ---------------------------------------

TEST_F(HledaniTest, CommandsOpenTheirDialogsModallyAndDestroyThem) {
  writeRegister(kPet);
  auto w = start();
  const struct {
    QAction* akce;
    const char* objectName;
    const char* caption;
    QSize client;
    const char* storno;
  } rows[] = {{w->Akce_Trideni, "TrideniRazeni", "Třídění a řazení", {341, 149}, "Tl_Storno"},
              {w->Akce_HledatZaznam, "Hledat", "Hledat", {408, 154}, "Storno"},
              {w->Akce_Filtr, "FiltrZaznamu", "Filtr", {408, 165}, "Storno"}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.objectName);
    QString seen, caption, focus;
    QSize client;
    QTimer::singleShot(0, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal) return;
      seen = modal->objectName();
      caption = modal->windowTitle();
      client = modal->size();
      if (modal->focusWidget()) focus = modal->focusWidget()->objectName();
      modal->findChild<QPushButton*>(r.storno)->click();
    });
    EXPECT_TRUE(THlavni::Spust(r.akce));
    EXPECT_EQ(seen, r.objectName);
    EXPECT_EQ(caption, QString::fromUtf8(r.caption));
    EXPECT_EQ(client, r.client);
    if (QString(r.objectName) == "Hledat") {
      EXPECT_EQ(focus, "Hledany");
    }
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w->findChildren<QDialog*>().isEmpty());
  }
  EXPECT_EQ(w->ClientDataSet1.recNo(), 1);
  EXPECT_EQ(w->StavPohledu.SetridenoPodle(), -1);
  EXPECT_FALSE(w->ClientDataSet1.filtered());
}

TEST_F(HledaniTest, InputsRefuseCharactersWindows1250Lacks) {
  writeRegister(kPet);
  auto w = start();
  THledat hledat(w->StavPohledu, w.get());
  TFiltrZaznamu filtr(w->StavPohledu, w->AdresarProgramu / "Seznam.txt", w.get());
  for (QLineEdit* edit : {hledat.Hledany, filtr.Ed_PodminkaFiltru}) {
    SCOPED_TRACE(edit->objectName().toStdString());
    for (char32_t cp : QString::fromUtf8("č😀ř中€").toUcs4()) {
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUcs4(&cp, 1));
      QApplication::sendEvent(edit, &press);
    }
    EXPECT_EQ(edit->text(), QString::fromUtf8("čř€"));
  }
}

}  // namespace
