// The main window driven offscreen: start-up, commands, grid and shut-down.
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTimer>
#include <QToolTip>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

#include "FakeInteraction.h"
#include "FileLayer.h"
#include "Hlavni_f.h"
#include "Mrizka.h"
#include "Registr.h"

namespace fs = std::filesystem;

namespace {

const std::string kEmptyPacket =
    "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
    "<FIELD attrname=\"Nazev\" fieldtype=\"string\" WIDTH=\"80\"/>"
    "<FIELD attrname=\"Http\" fieldtype=\"string\" WIDTH=\"255\"/>"
    "<FIELD attrname=\"Kod\" fieldtype=\"string\" WIDTH=\"20\"/>"
    "<FIELD attrname=\"Popis\" fieldtype=\"string\" WIDTH=\"255\"/>"
    "</FIELDS><PARAMS/></METADATA><ROWDATA></ROWDATA></DATAPACKET>";

std::string readFile(const fs::path& p) { return nactiSoubor(p); }
void writeFile(const fs::path& p, const std::string& bytes) { zapisSoubor(p, bytes); }

ino_t inode(const fs::path& p) {
  struct stat st{};
  return ::stat(p.c_str(), &st) == 0 ? st.st_ino : 0;
}

class HlavniTest : public ::testing::Test {
 protected:
  QTemporaryDir tmp;
  fs::path dir{tmp.path().toStdString()};
  FakeInteraction person;

  void TearDown() override { files::clearFaults(); }

  std::unique_ptr<THlavni> start() { return spustHlavni(tmp); }

  // A register of `n` records named "Záznam 1".. with addresses, no codes.
  void writeRegister(int n) { zapisRegistr(dir, n, false); }

  static bool enabled(THlavni& w, QAction* THlavni::*a) { return (w.*a)->isEnabled(); }
};

TEST_F(HlavniTest, FirstStartInAnEmptyDirectory) {
  auto w = start();
  ASSERT_EQ(person.messages.size(), 1u);
  EXPECT_EQ(person.messages[0].text, "Nebyl nalezen soubor databáze Odkaznik.xml, bude založen nový.");
  EXPECT_EQ(person.messages[0].caption, "Odkaznik");
  EXPECT_EQ(person.messages[0].icon, QMessageBox::Information);

  EXPECT_TRUE(fs::exists(dir / "Seznam.txt"));
  EXPECT_EQ(fs::file_size(dir / "Seznam.txt"), 0u);
  EXPECT_EQ(readFile(dir / "Odkaznik.xml"), kEmptyPacket);
  EXPECT_FALSE(fs::exists(dir / "Odkaznik.ini"));

  EXPECT_EQ(w->frameGeometry(), QRect(154, 130, 716, 507));
  EXPECT_EQ(w->CisloZaznamu->text(), "0 z 0");
  EXPECT_EQ(w->PopiskaSetrideno->text(), "Setříděno podle : výchozí");
  EXPECT_EQ(w->ParametrFiltru->text(), "Filtr : není zadán");
  EXPECT_FALSE(w->ClientDataSet1.logChanges());

  for (auto a : {&THlavni::Akce_EditZaznamu, &THlavni::Akce_OdstranitZaznam, &THlavni::Akce_PrvniZaznam,
                 &THlavni::Akce_PredchazejiciZaznam, &THlavni::Akce_NasledujiciZaznam, &THlavni::Akce_PosledniZaznam,
                 &THlavni::Akce_HledatZaznamDalsi})
    EXPECT_FALSE(enabled(*w, a));
  for (auto a : {&THlavni::Akce_NovyZaznam, &THlavni::Akce_UlozitSoubor, &THlavni::Akce_Trideni,
                 &THlavni::Akce_Konec, &THlavni::Akce_Zalohovani, &THlavni::Akce_OProgramu})
    EXPECT_TRUE(enabled(*w, a));
}

TEST_F(HlavniTest, CloseAfterFirstStartWritesSettingsButNotTheDatabase) {
  auto w = start();
  const ino_t before = inode(dir / "Odkaznik.xml");
  QTest::keyClick(w.get(), Qt::Key_Q, Qt::ControlModifier);
  QApplication::processEvents();
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(readFile(dir / "Odkaznik.ini"), "[Formular]\r\nZleva=154\r\nZhora=130\r\nSirka=716\r\nVyska=507\r\n");
  EXPECT_EQ(inode(dir / "Odkaznik.xml"), before);
  EXPECT_EQ(readFile(dir / "Odkaznik.xml"), kEmptyPacket);
}

TEST_F(HlavniTest, ChangeThenCloseRewritesTheDatabase) {
  writeRegister(2);
  auto w = start();
  EXPECT_TRUE(person.messages.empty());
  EXPECT_EQ(w->CisloZaznamu->text(), "1 z 2");
  // A record added and deleted again still counts as a change.
  w->ClientDataSet1.append();
  w->ClientDataSet1.setText("nazev", "Nový");
  w->ClientDataSet1.post();
  w->ClientDataSet1.deleteRecord();
  const std::string before = readFile(dir / "Odkaznik.xml");
  const ino_t inodeBefore = inode(dir / "Odkaznik.xml");
  w->close();
  EXPECT_NE(inode(dir / "Odkaznik.xml"), inodeBefore);
  EXPECT_EQ(readFile(dir / "Odkaznik.xml"), before);
}

TEST_F(HlavniTest, DeletedDatabaseIsWrittenAgainAtClose) {
  writeRegister(1);
  auto w = start();
  fs::remove(dir / "Odkaznik.xml");
  w->close();
  store::RecordStore s;
  s.setFileName(dir / "Odkaznik.xml");
  s.open();
  EXPECT_EQ(s.recordCount(), 1);
}

TEST_F(HlavniTest, DamagedDatabaseIsReportedAndLeftUntouched) {
  const std::string damaged = "<?xml version=\"1.0\"?><DATAPACKET Version=\"2.0\"><METADATA><FIE";
  writeFile(dir / "Odkaznik.xml", damaged);
  auto w = start();
  ASSERT_EQ(person.messages.size(), 1u);
  EXPECT_EQ(person.messages[0].icon, QMessageBox::Critical);
  EXPECT_TRUE(person.messages[0].text.contains("Odkaznik.xml")) << person.messages[0].text.toStdString();
  EXPECT_FALSE(w->ClientDataSet1.active());
  EXPECT_EQ(w->CisloZaznamu->text(), "0");
  for (auto a : {&THlavni::Akce_NovyZaznam, &THlavni::Akce_UlozitSoubor, &THlavni::Akce_ExportDat,
                 &THlavni::Akce_EditZaznamu, &THlavni::Akce_KopirovatText})
    EXPECT_FALSE(enabled(*w, a));
  EXPECT_TRUE(enabled(*w, &THlavni::Akce_Konec));
  w->close();
  w.reset();
  EXPECT_EQ(readFile(dir / "Odkaznik.xml"), damaged);
}

TEST_F(HlavniTest, InterruptedSaveLeavesTheOldFileWhole) {
  writeRegister(3);
  const std::string old = readFile(dir / "Odkaznik.xml");
  auto w = start();
  w->ClientDataSet1.setRecNo(2);
  w->ClientDataSet1.deleteRecord();
  for (files::Step step : {files::Step::Create, files::Step::Write, files::Step::Sync, files::Step::Rename}) {
    person.messages.clear();
    files::injectFault({step, 1, ENOSPC});
    EXPECT_TRUE(THlavni::Spust(w->Akce_UlozitSoubor));
    ASSERT_EQ(person.messages.size(), 1u);
    EXPECT_EQ(person.messages[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(person.messages[0].text.contains((dir / "Odkaznik.xml").c_str()));
    EXPECT_EQ(readFile(dir / "Odkaznik.xml"), old);
    EXPECT_EQ(w->ClientDataSet1.recordCount(), 2);
    files::clearFaults();
  }
  for (const auto& entry : fs::directory_iterator(dir)) EXPECT_FALSE(files::isTemporaryName(entry.path()));
}

TEST_F(HlavniTest, FailedSaveAtCloseAsksAndNoKeepsTheWindowOpen) {
  writeRegister(1);
  const std::string old = readFile(dir / "Odkaznik.xml");
  auto w = start();
  w->ClientDataSet1.deleteRecord();
  w->UkladatPozici = false;  // only the register goes through the file layer

  files::injectFault({files::Step::Rename, 1, EACCES});
  person.answers = {QMessageBox::Ok, QMessageBox::No};
  EXPECT_FALSE(w->close());
  ASSERT_EQ(person.messages.size(), 2u);
  EXPECT_EQ(person.messages[0].icon, QMessageBox::Critical);
  EXPECT_EQ(person.messages[1].caption, "Odkaznik");
  EXPECT_EQ(person.messages[1].icon, QMessageBox::Warning);
  EXPECT_EQ(person.messages[1].text,
            "Databázi se nepodařilo uložit. Chcete program přesto ukončit? Neuložené změny budou ztraceny.");
  EXPECT_EQ(person.messages[1].defaultButton, QMessageBox::No);
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->ClientDataSet1.recordCount(), 0);
  EXPECT_EQ(readFile(dir / "Odkaznik.xml"), old);

  // The second try succeeds.
  files::clearFaults();
  EXPECT_TRUE(w->close());
  store::RecordStore s;
  s.setFileName(dir / "Odkaznik.xml");
  s.open();
  EXPECT_EQ(s.recordCount(), 0);
}

TEST_F(HlavniTest, FailedSaveAtCloseAnsweredYesEndsWithoutSaving) {
  writeRegister(1);
  const std::string old = readFile(dir / "Odkaznik.xml");
  auto w = start();
  w->ClientDataSet1.deleteRecord();
  w->UkladatPozici = false;
  files::injectFault({files::Step::Write, 1, ENOSPC});
  person.answers = {QMessageBox::Ok, QMessageBox::Yes};
  EXPECT_TRUE(w->close());
  w.reset();
  EXPECT_EQ(readFile(dir / "Odkaznik.xml"), old);
}

TEST_F(HlavniTest, SettingsFileThatCannotBeWrittenStillEndsTheProgram) {
  writeRegister(1);
  auto w = start();
  w->ClientDataSet1.deleteRecord();
  fs::create_directory(dir / "Odkaznik.ini");  // a directory in the settings file's place
  EXPECT_TRUE(w->close());
  ASSERT_EQ(person.messages.size(), 1u);
  EXPECT_EQ(person.messages[0].icon, QMessageBox::Critical);
  EXPECT_TRUE(person.messages[0].text.startsWith("Unable to write to ")) << person.messages[0].text.toStdString();
  EXPECT_TRUE(person.messages[0].text.endsWith("Odkaznik.ini."));
  store::RecordStore s;  // the register was saved all the same
  s.setFileName(dir / "Odkaznik.xml");
  s.open();
  EXPECT_EQ(s.recordCount(), 0);
}

TEST_F(HlavniTest, ProgramDirectoryThatCannotBeWrittenStillOpensTheRegister) {
  writeRegister(2);
  const std::string old = readFile(dir / "Odkaznik.xml");
  // Every file the program tries to create is refused.
  for (int n = 1; n <= 10; ++n) files::injectFault({files::Step::Create, n, EACCES});
  auto w = start();
  EXPECT_TRUE(person.messages.empty());  // the code list's creation fails silently
  EXPECT_FALSE(fs::exists(dir / "Seznam.txt"));
  EXPECT_EQ(w->CisloZaznamu->text(), "1 z 2");
  EXPECT_EQ(w->DBGrid1->model()->rowCount(), 2);

  EXPECT_TRUE(THlavni::Spust(w->Akce_UlozitSoubor));
  ASSERT_EQ(person.messages.size(), 1u);
  EXPECT_EQ(person.messages[0].text,
            QString("Cannot create file \"%1\". Permission denied.").arg((dir / "Odkaznik.xml").c_str()));
  EXPECT_TRUE(w->close());  // the settings file is refused too, and reported; the program still ends
  EXPECT_EQ(person.messages.size(), 2u);
  EXPECT_FALSE(fs::exists(dir / "Odkaznik.ini"));
  EXPECT_EQ(readFile(dir / "Odkaznik.xml"), old);
}

TEST_F(HlavniTest, StartRemovesTheTemporaryFilesOfKilledSaves) {
  writeRegister(2);
  fs::create_directories(dir / "Ses");
  for (const char* name : {".Odkaznik.xml.0123abcd.tmp", ".Odkaznik.ini.ffffffff.tmp", "Ses/.Adresy.ses.00000001.tmp",
                           "poznamka.tmp", ".Odkaznik.xml.tmp"})
    writeFile(dir / name, "x");
  auto w = start();
  EXPECT_EQ(w->CisloZaznamu->text(), "1 z 2");
  for (const char* gone : {".Odkaznik.xml.0123abcd.tmp", ".Odkaznik.ini.ffffffff.tmp", "Ses/.Adresy.ses.00000001.tmp"})
    EXPECT_FALSE(fs::exists(dir / gone)) << gone;
  for (const char* kept : {"poznamka.tmp", ".Odkaznik.xml.tmp"}) EXPECT_TRUE(fs::exists(dir / kept)) << kept;
}

TEST_F(HlavniTest, ShortcutsWorkWhileTheGridHasTheFocus) {
  writeRegister(2);
  auto w = start();
  w->DBGrid1->setFocus();

  // Ctrl+C copies the record, not the grid's cell.
  QTest::keyClick(w->DBGrid1, Qt::Key_C, Qt::ControlModifier);
  EXPECT_TRUE(person.clipboard.contains("Záznam 1")) << person.clipboard.toStdString();

  // Shift+Del asks before deleting; No keeps the record.
  person.answers = {QMessageBox::No};
  QTest::keyClick(w->DBGrid1, Qt::Key_Delete, Qt::ShiftModifier);
  ASSERT_EQ(person.messages.size(), 1u);
  EXPECT_EQ(person.messages[0].caption, "Mazání záznamu");
  EXPECT_EQ(w->ClientDataSet1.recordCount(), 2);

  // Ins opens the record editor.
  QString caption;
  QTimer::singleShot(0, [&] {
    if (QWidget* dialog = QApplication::activeModalWidget()) {
      caption = dialog->windowTitle();
      dialog->close();
    }
  });
  QTest::keyClick(w->DBGrid1, Qt::Key_Insert);
  EXPECT_EQ(caption, "Nový záznam");
  EXPECT_EQ(w->ClientDataSet1.recordCount(), 2);

  // A disabled command's shortcut does nothing.
  w->ClientDataSet1.deleteRecord();
  w->ClientDataSet1.deleteRecord();
  person.messages.clear();
  QTest::keyClick(w->DBGrid1, Qt::Key_Delete, Qt::ShiftModifier);
  EXPECT_TRUE(person.messages.empty());
}

struct GeometryCase {
  const char* name;
  std::string ini;
  QRect expected;
  friend void PrintTo(const GeometryCase& c, std::ostream* os) { *os << c.name; }
};

class GeometryTest : public HlavniTest, public ::testing::WithParamInterface<GeometryCase> {};

TEST_P(GeometryTest, RestoredFromTheSettingsFile) {
  writeRegister(0);
  writeFile(dir / "Odkaznik.ini", GetParam().ini);
  auto w = start();
  EXPECT_EQ(w->frameGeometry(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GeometryTest,
    ::testing::Values(
        GeometryCase{"Stored", "[Formular]\r\nZleva=10\r\nZhora=20\r\nSirka=800\r\nVyska=600\r\n", {10, 20, 800, 600}},
        GeometryCase{"TooNarrowRaisedToMinimum", "[Formular]\r\nSirka=300\r\n", {154, 130, 716, 507}},
        GeometryCase{"BadWidthGivesDesigned", "[Formular]\r\nSirka=abc\r\nZleva=0x20\r\n", {32, 130, 716, 507}},
        GeometryCase{"OffScreenKept", "[Formular]\r\nZleva=5000\r\nZhora=3000\r\n", {5000, 3000, 716, 507}},
        GeometryCase{"RememberingOff", "[Formular]\r\nUkladatPozici=0\r\nZleva=10\r\nSirka=900\r\n", {154, 130, 716, 507}},
        GeometryCase{"SwitchInWrongSectionIgnored", "[Nastaveni]\r\nUkladatPozici=0\r\n[Formular]\r\nZleva=10\r\n",
                     {10, 130, 716, 507}},
        GeometryCase{"OddDifferenceRoundsDown", "[Formular]\r\nSirka=717\r\nVyska=510\r\n",
                     {153, 129, 717, 510}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HlavniTest, GeometryNotWrittenWhenRememberingIsOffOrMaximized) {
  const std::string ini = "[Formular]\r\nUkladatPozici=0\r\nZleva=1\r\n";
  writeFile(dir / "Odkaznik.ini", ini);
  writeRegister(0);
  auto w = start();
  EXPECT_FALSE(w->UkladatPozici);
  w->close();
  EXPECT_EQ(readFile(dir / "Odkaznik.ini"), ini);

  const std::string ini2 = "[Formular]\r\nZleva=1\r\n";
  writeFile(dir / "Odkaznik.ini", ini2);
  auto w2 = start();
  w2->showMaximized();
  QApplication::processEvents();
  w2->close();
  EXPECT_EQ(readFile(dir / "Odkaznik.ini"), ini2);
}

TEST_F(HlavniTest, SaveAndBackupCommands) {
  writeRegister(2);
  auto w = start();
  const std::string saved = readFile(dir / "Odkaznik.xml");
  EXPECT_TRUE(THlavni::Spust(w->Akce_UlozitSoubor));
  EXPECT_TRUE(person.messages.empty());
  EXPECT_EQ(readFile(dir / "Odkaznik.xml"), saved);

  EXPECT_TRUE(THlavni::Spust(w->Akce_Zalohovani));
  ASSERT_EQ(person.messages.size(), 1u);
  EXPECT_EQ(person.messages[0].text,
            "Byla úpěšně vytvořena záloha databáze do souboru Odkaznik.bak. Pokud budete chtít obnovit databázi ze "
            "zálohy, smažte soubor Odkaznik.xml a změňte příponu záložního souboru z .BAK na .XML.");
  const std::string backup = readFile(dir / "Odkaznik.bak");
  EXPECT_EQ(backup.substr(0, 4), std::string("\x8FODK", 4));

  files::injectFault({files::Step::Flush, 1, ENOSPC});
  EXPECT_TRUE(THlavni::Spust(w->Akce_Zalohovani));
  ASSERT_EQ(person.messages.size(), 2u);
  EXPECT_EQ(person.messages[1].text, "Zálohový soubor Odkaznik.bak se nepodařilo vytvořit!");
  EXPECT_EQ(readFile(dir / "Odkaznik.bak"), backup);
  w->close();
  w.reset();

  // The backup given the database's name opens, and the next save is XML.
  fs::rename(dir / "Odkaznik.bak", dir / "Odkaznik.xml");
  person.messages.clear();
  auto again = start();
  EXPECT_TRUE(person.messages.empty());
  EXPECT_EQ(again->CisloZaznamu->text(), "1 z 2");
  EXPECT_TRUE(THlavni::Spust(again->Akce_UlozitSoubor));
  EXPECT_EQ(readFile(dir / "Odkaznik.xml"), saved);
}

TEST_F(HlavniTest, CommandStatesFollowThePosition) {
  writeRegister(3);
  auto w = start();
  struct Row {
    int recNo;
    bool first, prior, next, last;
  };
  for (Row r : {Row{1, false, false, true, true}, Row{2, true, true, true, true}, Row{3, true, true, false, false}}) {
    w->ClientDataSet1.setRecNo(r.recNo);
    SCOPED_TRACE(r.recNo);
    EXPECT_EQ(w->CisloZaznamu->text(), QString("%1 z 3").arg(r.recNo));
    EXPECT_EQ(w->Akce_PrvniZaznam->isEnabled(), r.first);
    EXPECT_EQ(w->Akce_PredchazejiciZaznam->isEnabled(), r.prior);
    EXPECT_EQ(w->Akce_NasledujiciZaznam->isEnabled(), r.next);
    EXPECT_EQ(w->Akce_PosledniZaznam->isEnabled(), r.last);
    EXPECT_EQ(w->DBGrid1->currentIndex().row(), r.recNo - 1);
  }
  // Appending: 0 z 3, and the step commands of an unplaced record.
  w->ClientDataSet1.append();
  EXPECT_EQ(w->CisloZaznamu->text(), "0 z 3");
  EXPECT_FALSE(w->Akce_NasledujiciZaznam->isEnabled());
  w->ClientDataSet1.cancel();

  // One record: edit and delete enabled, no step anywhere.
  w->ClientDataSet1.setRecNo(1);
  w->ClientDataSet1.deleteRecord();
  w->ClientDataSet1.deleteRecord();
  EXPECT_EQ(w->CisloZaznamu->text(), "1 z 1");
  EXPECT_TRUE(w->Akce_EditZaznamu->isEnabled());
  EXPECT_TRUE(w->Akce_OdstranitZaznam->isEnabled());
  for (QAction* a : {w->Akce_PrvniZaznam, w->Akce_PredchazejiciZaznam, w->Akce_NasledujiciZaznam, w->Akce_PosledniZaznam})
    EXPECT_FALSE(a->isEnabled());
}

TEST_F(HlavniTest, StatusLabelsStandAtTheirPlacesAndGrowWithTheirText) {
  writeRegister(3);
  auto w = start();
  w->SpodniNastrojPanel->layout()->activate();
  EXPECT_EQ(w->PopiskaZaznam->pos(), QPoint(8, 6));
  EXPECT_EQ(w->CisloZaznamu->pos(), QPoint(56, 6));
  EXPECT_EQ(w->CisloZaznamu->width(), 57);
  EXPECT_EQ(w->PopiskaSetrideno->pos(), QPoint(120, 6));
  EXPECT_EQ(w->ParametrFiltru->pos(), QPoint(272, 6));

  // The position in a large register: shown whole, the labels after it
  // moved along, none covering another.
  w->CisloZaznamu->setText("1000000 z 1000000");
  w->ParametrFiltru->setText(QStringLiteral("Filtr : dlouhá podmínka filtru v poli Popis"));
  w->SpodniNastrojPanel->layout()->activate();
  EXPECT_GE(w->CisloZaznamu->width(), w->CisloZaznamu->sizeHint().width());
  EXPECT_GT(w->PopiskaSetrideno->x(), w->CisloZaznamu->geometry().right());
  EXPECT_GT(w->ParametrFiltru->x(), w->PopiskaSetrideno->x() + w->PopiskaSetrideno->sizeHint().width() - 1);
  EXPECT_GE(w->ParametrFiltru->width(), w->ParametrFiltru->sizeHint().width());
  EXPECT_EQ(w->PopiskaZaznam->pos(), QPoint(8, 6));
}

TEST_F(HlavniTest, CommandsMenuAndToolbar) {
  auto w = start();
  struct Row {
    const char* name;
    const char* caption;
    const char* hint;
    int icon;
    QKeySequence shortcut;
  };
  const Row rows[] = {
      {"Akce_UlozitSoubor", "Uložit soubor", "Uložit soubor", 2, QKeySequence("Ctrl+S")},
      {"Akce_Spustit", "Spustit ", "Spustit program asociovaný s adresou", 31, QKeySequence("F5")},
      {"Akce_Sestavy", "Tisk a prohližení sestavy", "Tisk a prohližení sestavy", 9, QKeySequence("Ctrl+P")},
      {"Akce_Konec", "Konec", "Ukončení programu", 7, QKeySequence("Ctrl+Q")},
      {"Akce_KopirovatText", "Kopírovat text", "Kopírovat text do schránky", 11, QKeySequence("Ctrl+C")},
      {"Akce_HledatZaznamDalsi", "Hledat další", "Hledat další", -1, QKeySequence("F3")},
      {"Akce_EditZaznamu", "Editovat záznam", "Editovat záznam", 19, QKeySequence("Shift+Ins")},
      {"Akce_OdstranitZaznam", "Odstranit záznam", "Odstranit záznam", 20, QKeySequence("Shift+Del")},
      {"Akce_OProgramu", "O programu", "O programu", -1, QKeySequence()},
      {"Akce_PrejitNaZaznam", "Přejít na záznam ...", "Přejít na záznam ...", 14, QKeySequence("Ctrl+G")},
      {"Akce_Ciselnik", "Číselník", "", 29, QKeySequence()},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    auto* a = w->findChild<QAction*>(r.name);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->text(), QString::fromUtf8(r.caption));
    EXPECT_EQ(a->property("napoveda").toString(), QString::fromUtf8(r.hint));
    EXPECT_EQ(a->property("ikona").toInt(), r.icon);
    EXPECT_EQ(a->icon().isNull(), r.icon < 0);
    EXPECT_EQ(a->shortcut(), r.shortcut);
  }

  // The menu tree: every command exactly once; separators where listed.
  QStringList tree;
  for (QAction* top : w->menuBar()->actions()) {
    QStringList items;
    for (QAction* a : top->menu()->actions()) items << (a->isSeparator() ? "-" : a->objectName());
    tree << top->text() + ": " + items.join(' ');
  }
  EXPECT_EQ(tree.join('\n').toStdString(),
            "Soubor: Akce_UlozitSoubor - Akce_ImportDat Akce_ExportDat - Akce_Zalohovani - Akce_Spustit - "
            "Akce_Sestavy - Akce_Konec\n"
            "Úpravy: Akce_KopirovatText - Akce_HledatZaznam Akce_HledatZaznamDalsi Akce_PrejitNaZaznam\n"
            "Data: Akce_Trideni - Akce_Filtr Akce_ZrusitFiltr - Akce_NovyZaznam Akce_EditZaznamu "
            "Akce_OdstranitZaznam - Akce_PrvniZaznam Akce_PredchazejiciZaznam Akce_NasledujiciZaznam "
            "Akce_PosledniZaznam\n"
            "Nástroje: Akce_Konfig - Akce_Ciselnik\n"
            "Nápověda: Akce_Napoveda - Akce_OProgramu");

  QStringList bar;
  for (QAction* a : w->ToolBar1->actions()) bar << (a->isSeparator() ? "|" : w->ToolBar1->widgetForAction(a)->objectName());
  EXPECT_EQ(bar.join(' ').toStdString(),
            "TB_Konec | TB_UlozitSoubor | TB_Spustit | TB_Sestavy | TB_KopirovatText TB_HledatZaznam TB_Trideni | "
            "TB_Filtr TB_ZrusitFiltr | TB_NovyZaznam TB_EditZaznamu TB_OdstranitZaznam | TB_PrvniZaznam "
            "TB_PredchazejiciZaznam TB_NasledujiciZaznam TB_PosledniZaznam | TB_Konfig TB_Ciselnik | TB_Napoveda");
  EXPECT_EQ(w->ToolBar1->height(), 29);

  // A disabled command shows greyed out and runs nothing.
  auto* first = qobject_cast<QToolButton*>(w->findChild<QWidget*>("TB_PrvniZaznam"));
  ASSERT_TRUE(first);
  EXPECT_FALSE(first->isEnabled());
  EXPECT_FALSE(THlavni::Spust(w->Akce_PrvniZaznam));

  // The code list button shows no tooltip; the others show their hints.
  auto tooltipOf = [](QWidget* button) {
    QToolTip::hideText();
    QHelpEvent tip(QEvent::ToolTip, QPoint(2, 2), button->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(button, &tip);
    return QToolTip::text();
  };
  EXPECT_EQ(tooltipOf(w->findChild<QWidget*>("TB_Ciselnik")), "");
  EXPECT_EQ(tooltipOf(w->findChild<QWidget*>("TB_Konec")), "Ukončení programu");
}

TEST_F(HlavniTest, GridShowsTheViewAndMovesFieldsWithColumns) {
  writeRegister(3);
  auto w = start();
  QAbstractItemModel* m = w->DBGrid1->model();
  ASSERT_EQ(m->rowCount(), 3);
  ASSERT_EQ(m->columnCount(), 4);
  EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), "Nazev");
  EXPECT_EQ(m->index(1, 0).data().toString(), "Záznam 2");
  EXPECT_EQ(w->DBGrid1->columnWidth(0), 140);
  EXPECT_EQ(w->DBGrid1->columnWidth(1), 300);
  EXPECT_EQ(w->DBGrid1->columnWidth(2), 80);
  EXPECT_EQ(w->DBGrid1->columnWidth(3), 140);
  EXPECT_EQ(w->DBGrid1->verticalHeader()->width(), 12);  // the indicator and its line

  // A click on a row makes its record current.
  QTest::mouseClick(w->DBGrid1->viewport(), Qt::LeftButton, {},
                    w->DBGrid1->visualRect(m->index(2, 1)).center());
  EXPECT_EQ(w->ClientDataSet1.recNo(), 3);
  EXPECT_EQ(w->CisloZaznamu->text(), "3 z 3");

  // Dragging "Http" before "Nazev" moves the field; column k stays field k.
  w->DBGrid1->horizontalHeader()->moveSection(1, 0);
  EXPECT_EQ(w->ClientDataSet1.fieldName(0), "Http");
  EXPECT_EQ(w->ClientDataSet1.fieldName(1), "Nazev");
  EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), "Http");
  EXPECT_EQ(m->index(0, 1).data().toString(), "Záznam 1");
  EXPECT_EQ(w->DBGrid1->horizontalHeader()->logicalIndex(0), 0);
  EXPECT_EQ(w->DBGrid1->columnWidth(0), 300);
  EXPECT_EQ(w->DBGrid1->columnWidth(1), 140);
  // The file keeps the definition order.
  EXPECT_TRUE(THlavni::Spust(w->Akce_UlozitSoubor));
  EXPECT_NE(readFile(dir / "Odkaznik.xml").find("<ROW Nazev=\"Z\xE1znam 1\" Http="), std::string::npos);
}

TEST_F(HlavniTest, FrozenNotificationsKeepTheGridAsItWas) {
  writeRegister(3);
  auto w = start();
  w->ClientDataSet1.freezeNotifications();
  w->ClientDataSet1.last();
  w->ClientDataSet1.deleteRecord();
  EXPECT_EQ(w->DBGrid1->model()->rowCount(), 3);
  EXPECT_EQ(w->CisloZaznamu->text(), "1 z 3");
  w->DBGrid1->viewport()->repaint();  // painting a stale row must be harmless
  w->ClientDataSet1.releaseNotifications();
  EXPECT_EQ(w->DBGrid1->model()->rowCount(), 2);
  EXPECT_EQ(w->CisloZaznamu->text(), "2 z 2");
}

}  // namespace
