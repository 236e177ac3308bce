// Export and import commands driven offscreen through the seam.
#include <QAction>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>

#include "DataPacket.h"
#include "FakeInteraction.h"
#include "FileLayer.h"
#include "Registr.h"
#include "Hlavni_f.h"

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& p) { return nactiSoubor(p); }

class VymenaTest : public ::testing::Test {
 protected:
  QTemporaryDir tmp;
  fs::path dir{tmp.path().toStdString()};
  FakeInteraction person;

  std::unique_ptr<THlavni> start(int n) {
    zapisRegistr(dir, n, false);
    return spustHlavni(tmp);
  }

  QString path(const fs::path& p) const { return QString::fromStdString(p.string()); }
};

TEST(OpravPriponu, TheTypeDecidesTheExtension) {
  const struct {
    const char* jmeno;
    int typ;
    const char* vysledek;
  } pripady[] = {
      {"/d/seznam", 6, "/d/seznam.csv"},
      {"/d/seznam.txt", 1, "/d/seznam.html"},
      {"/d/seznam.", 1, "/d/seznam.html"},
      {"/d/SEZNAM.HTML", 1, "/d/SEZNAM.HTML"},
      {"/d/Nový soubor", 2, "/d/Nový soubor.xml"},
      {"/d/data.xml", 3, "/d/data.xml"},
      {"/d/data.Xml", 2, "/d/data.Xml"},
      {"/d/data.xml", 5, "/d/data.cds"},
      {"/d.v1/seznam", 4, "/d.v1/seznam.xls"},
      {"/d/seznam.csv.bak", 6, "/d/seznam.csv.csv"},
      {"/d/seznam", 7, "/d/seznam"},
  };
  for (const auto& p : pripady)
    EXPECT_EQ(THlavni::OpravPriponu(QString::fromUtf8(p.jmeno), p.typ).toStdString(), p.vysledek) << p.jmeno;
}

TEST_F(VymenaTest, SaveDialogKeepsTheTypeChosenLast) {
  auto w = start(2);
  person.fileAnswers = {{path(dir / "seznam"), 5}, {"", 0}};
  ASSERT_TRUE(THlavni::Spust(w->Akce_ExportDat));
  ASSERT_TRUE(THlavni::Spust(w->Akce_ExportDat));
  ASSERT_EQ(person.fileRequests.size(), 2u);
  const seam::FileRequest& r = person.fileRequests[0];
  EXPECT_EQ(r.caption, "Uložit databázi do souboru ...");
  EXPECT_EQ(r.fileName, "Nový soubor");
  EXPECT_EQ(r.filters, (QStringList{"Document HTML (*.html)", "Document XML (*.xml)", "Document XML (UTF8) (*.xml)",
                                    "Document MS Excel (*.xls)", "Database CDS (*.cds)", "Database CSV (*.csv)"}));
  EXPECT_EQ(r.filterIndex, 0);
  EXPECT_EQ(person.fileRequests[1].filterIndex, 5);
  EXPECT_EQ(readFile(dir / "seznam.csv"),
            "Nazev;Http;Kod;Popis;\r\nZ\xE1znam 1;http://www.example.cz/1;;;\r\nZ\xE1znam 2;http://www.example.cz/2;;;\r\n");
  EXPECT_TRUE(person.messages.empty());
}

TEST_F(VymenaTest, PacketTypesShareXmlAndTheNumberDecides) {
  auto w = start(1);
  w->ClientDataSet1.setFiltered(true);  // the packets hold every record whatever the view
  person.fileAnswers = {{path(dir / "a"), 1}, {path(dir / "b.XML"), 2}, {path(dir / "c.xml"), 4}};
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(THlavni::Spust(w->Akce_ExportDat));
  const std::string a = readFile(dir / "a.xml"), b = readFile(dir / "b.XML"), c = readFile(dir / "c.cds");
  EXPECT_EQ(a.rfind("<?xml version=\"1.0\" standalone=\"yes\"?>", 0), 0u);
  EXPECT_NE(a.find("Nazev=\"Z\xE1znam 1\""), std::string::npos);
  EXPECT_EQ(b.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>", 0), 0u);
  EXPECT_NE(b.find("Nazev=\"Z\xC3\xA1znam 1\""), std::string::npos);
  EXPECT_EQ(c.substr(0, 4), std::string(store::kBinarySignature, 4));
  EXPECT_FALSE(fs::exists(dir / "c.xml"));
}

TEST_F(VymenaTest, OverwriteQuestion) {
  auto w = start(1);
  std::ofstream(dir / "stary.html", std::ios::binary) << "puvodni";
  person.fileAnswers = {{path(dir / "stary.html"), 0}, {path(dir / "stary.html"), 0}};
  person.answers = {QMessageBox::No, QMessageBox::Yes};
  ASSERT_TRUE(THlavni::Spust(w->Akce_ExportDat));
  EXPECT_EQ(readFile(dir / "stary.html"), "puvodni");
  ASSERT_EQ(person.messages.size(), 1u);
  EXPECT_EQ(person.messages[0].caption, "Uložit databázi do souboru ...");
  EXPECT_EQ(person.messages[0].text, "Soubor \"" + path(dir / "stary.html") + "\" již existuje. Chcete jej přepsat?");
  EXPECT_EQ(person.messages[0].icon, QMessageBox::Warning);
  EXPECT_EQ(person.messages[0].defaultButton, QMessageBox::No);

  ASSERT_TRUE(THlavni::Spust(w->Akce_ExportDat));
  EXPECT_NE(readFile(dir / "stary.html").find("<a href=\"http://www.example.cz/1\">"), std::string::npos);
}

TEST_F(VymenaTest, TableExportErrorNamesTheFileAndKeepsTheRecord) {
  auto w = start(3);
  w->ClientDataSet1.setRecNo(2);
  const fs::path chybi = dir / "chybi" / "a.csv";
  person.fileAnswers = {{path(chybi), 5}};
  ASSERT_TRUE(THlavni::Spust(w->Akce_ExportDat));
  ASSERT_EQ(person.messages.size(), 1u);
  EXPECT_EQ(person.messages[0].icon, QMessageBox::Critical);
  EXPECT_TRUE(person.messages[0].text.startsWith("Cannot create file \"" + path(chybi) + "\"."));
  EXPECT_EQ(w->ClientDataSet1.recNo(), 2);
  EXPECT_EQ(w->CisloZaznamu->text(), "2 z 3");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// Every export type meeting a file it cannot write: a fault injected at a step
// of the file layer (the data packets), a full disk (the table writers write
// in place, so here the disk is a link to /dev/full) and a name that is a
// directory. The error names the file, the register stays in memory as it
// was, and the data packets leave the previous file whole.
TEST_F(VymenaTest, ExportFaultsNameTheFileAndKeepTheRegister) {
  auto w = start(3);
  auto& s = w->ClientDataSet1;
  s.setRecNo(2);
  s.edit();
  s.setText("kod", "ZMENA");
  s.post();
  const std::string databaze = readFile(dir / "Odkaznik.xml");
  const bool ulozit = s.needsSaveOnClose();
  fs::create_directory(dir / "slozka.xml");
  fs::create_directory(dir / "slozka.csv");
  for (const char* plny : {"plny.html", "plny.xls", "plny.csv"}) fs::create_symlink("/dev/full", dir / plny);

  const struct {
    int typ;
    const char* jmeno;
    files::Step krok;  // injected when `vlozena` is set
    bool vlozena;
    int chyba;          // the errno the message gives
    bool priZapisu;     // "Unable to write to ..." rather than "Cannot create file ..."
  } pripady[] = {
      {2, "a.xml", files::Step::Create, true, EACCES, false}, {2, "a.xml", files::Step::Write, true, ENOSPC, false},
      {3, "b.xml", files::Step::Flush, true, ENOSPC, false},  {3, "b.xml", files::Step::Sync, true, EIO, false},
      {5, "c.cds", files::Step::Rename, true, EROFS, false},  {5, "c.cds", files::Step::Write, true, EFBIG, false},
      {2, "slozka.xml", {}, false, EISDIR, false},            {6, "slozka.csv", {}, false, EISDIR, false},
      {1, "plny.html", {}, false, ENOSPC, true},              {4, "plny.xls", {}, false, ENOSPC, true},
      {6, "plny.csv", {}, false, ENOSPC, true},
  };
  for (const auto& p : pripady) {
    SCOPED_TRACE(std::string(p.jmeno) + " step " + std::to_string(static_cast<int>(p.krok)));
    const fs::path cil = dir / p.jmeno;
    if (p.vlozena) zapisSoubor(cil, "predchozi");
    person.messages.clear();
    person.fileAnswers = {{path(cil), p.typ - 1}};
    person.answers = {QMessageBox::Yes};  // overwrite
    if (p.vlozena) files::injectFault({p.krok, 1, p.chyba});
    // Refused in place too.
    if (p.vlozena && p.krok == files::Step::Create) files::injectFault({p.krok, 2, p.chyba});
    ASSERT_TRUE(THlavni::Spust(w->Akce_ExportDat));
    files::clearFaults();

    ASSERT_EQ(person.messages.size(), 2u);  // the question, then the error
    EXPECT_EQ(person.messages[1].icon, QMessageBox::Critical);
    const std::string text = p.priZapisu
                                 ? "Unable to write to \"" + cil.string() + "\". " + files::systemReason(p.chyba)
                                 : files::cannotCreate(cil, p.chyba);
    EXPECT_EQ(person.messages[1].text.toStdString(), text + ".");  // the message box ends the sentence
    if (p.vlozena) EXPECT_EQ(readFile(cil), "predchozi");
    EXPECT_EQ(s.recordCount(), 3);
    EXPECT_EQ(s.recNo(), 2);
    EXPECT_EQ(s.text("kod"), "ZMENA");
    EXPECT_EQ(s.needsSaveOnClose(), ulozit);
    EXPECT_EQ(readFile(dir / "Odkaznik.xml"), databaze);
  }
  for (const auto& e : fs::directory_iterator(dir)) EXPECT_FALSE(files::isTemporaryName(e.path())) << e.path();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(VymenaTest, WorksheetTooLongIsRefusedWithAMessage) {
  auto w = start(0);
  auto& s = w->ClientDataSet1;
  s.freezeNotifications();
  for (int i = 0; i < 65536; ++i) {
    s.append();
    s.post();
  }
  s.releaseNotifications();
  person.fileAnswers = {{path(dir / "list"), 3}};
  ASSERT_TRUE(THlavni::Spust(w->Akce_ExportDat));
  EXPECT_EQ(person.texts(), QStringList{"Sešit pojme nejvýše 65 536 řádků včetně záhlaví, export by jich "
                                        "potřeboval 65537. Soubor nebyl vytvořen."});
  EXPECT_EQ(person.messages[0].icon, QMessageBox::Information);
  EXPECT_FALSE(fs::exists(dir / "list.xls"));
}

TEST_F(VymenaTest, ImportThroughTheOpenDialog) {
  auto w = start(1);
  std::ofstream(dir / "vstup.csv", std::ios::binary) << "a;b;c;d;\r\nposledni;;;x\r\n";
  person.fileAnswers = {{"", 0}, {path(dir / "vstup.csv"), 0}};
  ASSERT_TRUE(THlavni::Spust(w->Akce_ImportDat));  // cancelled
  EXPECT_EQ(w->ClientDataSet1.recordCount(), 1);
  ASSERT_TRUE(THlavni::Spust(w->Akce_ImportDat));
  const seam::FileRequest& r = person.fileRequests[0];
  EXPECT_EQ(r.caption, "Otevřít soubor csv");
  EXPECT_EQ(r.filters, QStringList{"Databáze csv (*.csv)"});
  EXPECT_TRUE(r.fileName.isEmpty());
  EXPECT_EQ(w->CisloZaznamu->text(), "3 z 3");
  EXPECT_EQ(w->ClientDataSet1.text("nazev"), "posledni");
  EXPECT_TRUE(person.messages.empty());

  person.fileAnswers = {{path(dir / "chybi.csv"), 0}};
  ASSERT_TRUE(THlavni::Spust(w->Akce_ImportDat));
  ASSERT_EQ(person.messages.size(), 1u);
  EXPECT_TRUE(person.messages[0].text.startsWith("Cannot open file \"" + path(dir / "chybi.csv") + "\"."));
  EXPECT_EQ(w->ClientDataSet1.recordCount(), 3);
}

}  // namespace
