// The code list dialog: the file read whole, long lines cut on Ok, the file
// rewritten with CR LF, and the file errors.
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "Ciselnik_f.h"
#include "FileLayer.h"
#include "Registr.h"

namespace {

using Ciselnik = Registr;

TEST_F(Ciselnik, OkCutsLongLinesAndRewritesTheFile) {
  THlavni& h = start();
  const std::string dvacet = "12345678901234567890";
  struct Pripad {
    std::string before;
    std::string after;
  } pripady[] = {
      {dvacet + "abcde\r\n" + dvacet + "\r\n", dvacet + "\r\n" + dvacet + "\r\n"},  // 25 cut, 20 whole
      {"abc" + std::string(19, ' ') + "\r\nx", "abc" + std::string(17, ' ') + "\r\nx"},  // spaces count
      {"abc\n\nxyz", "abc\r\n\r\nxyz"},                                                   // no final break
      {"b\ra\rb\r", "b\r\na\r\nb\r\n"},                                                    // duplicates, order
      {"\r\n", "\r\n"},
      {std::string("ok\r\nk\xF8\xED\x9E\0tail\r\n", 14), "ok\r\nk\xF8\xED\x9E"},         // NUL ends the text
      {"", ""},
      {"a\x81" "b\x83\r\n\x88\x90\x98\r\n", "a\x81" "b\x83\r\n\x88\x90\x98\r\n"},  // bytes the code page leaves undefined
  };
  for (const Pripad& p : pripady) {
    SCOPED_TRACE(p.before);
    writeFile(dir / "Seznam.txt", p.before);
    TCiselnik d(h.ClientDataSet1, h.SouborSeznamu(), &h);
    d.show();
    EXPECT_EQ(d.DelkaKodu, 20);
    EXPECT_TRUE(d.Tl_Ok->isEnabled());
    d.Tl_Ok->click();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(readFile(dir / "Seznam.txt"), p.after);
  }
  EXPECT_TRUE(person.messages.empty());
}

TEST_F(Ciselnik, TheTextAreaShowsTheCutLines) {
  THlavni& h = start();
  writeFile(dir / "Seznam.txt", "k\xF8\xED\x9E\r\n");
  TCiselnik d(h.ClientDataSet1, h.SouborSeznamu(), &h);
  d.show();
  EXPECT_EQ(d.windowTitle(), "Správa číselníku pro pole Kód");
  EXPECT_EQ(d.La_Pouceni->text(), "Výrazy s počtem znaků nad 20 budou oříznuty!");
  EXPECT_EQ(d.Memo1->toPlainText(), "kříž\n");
  d.Memo1->appendPlainText(QString::fromUtf8("ABCDEFGHIJKLMNOPQRSTUVWXYZ\u00A0😀"));
  files::injectFault({files::Step::Rename, 1, EACCES});
  d.Tl_Ok->click();
  // The write failed: the dialog stays, with the line cut already.
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(d.Memo1->toPlainText(), "kříž\n\nABCDEFGHIJKLMNOPQRST");
  ASSERT_EQ(person.messages.size(), 1u);
  EXPECT_TRUE(person.messages[0].text.startsWith(
      QStringLiteral("Cannot create file \"%1\". ").arg(QString::fromStdString((dir / "Seznam.txt").string()))))
      << person.messages[0].text.toStdString();
  EXPECT_EQ(readFile(dir / "Seznam.txt"), "k\xF8\xED\x9E\r\n");
  d.Tl_Ok->click();
  EXPECT_EQ(readFile(dir / "Seznam.txt"), "k\xF8\xED\x9E\r\n\r\nABCDEFGHIJKLMNOPQRST");
}

TEST_F(Ciselnik, NoBreakSpaceStaysOne) {
  THlavni& h = start();
  TCiselnik d(h.ClientDataSet1, h.SouborSeznamu(), &h);
  d.Memo1->setPlainText(QString::fromUtf8("a\u00A0b"));
  d.Tl_Ok->click();
  EXPECT_EQ(readFile(dir / "Seznam.txt"), "a\xA0" "b");
}

TEST_F(Ciselnik, StornoLeavesTheFileUntouched) {
  writeRegister(1);
  writeFile(dir / "Seznam.txt", "abc\nxyz\n");
  THlavni& h = start();
  withDialog<TCiselnik>(h.Akce_Ciselnik, [&](TCiselnik& d) {
    d.Memo1->setPlainText(QStringLiteral("new"));
    d.Tl_Storno->click();
  });
  EXPECT_EQ(readFile(dir / "Seznam.txt"), "abc\nxyz\n");
}

TEST_F(Ciselnik, AMissingFileIsCreatedEmpty) {
  THlavni& h = start();
  std::filesystem::remove(dir / "Seznam.txt");
  withDialog<TCiselnik>(h.Akce_Ciselnik, [&](TCiselnik& d) {
    EXPECT_EQ(d.Memo1->toPlainText(), "");
    EXPECT_TRUE(std::filesystem::exists(dir / "Seznam.txt"));
    EXPECT_EQ(std::filesystem::file_size(dir / "Seznam.txt"), 0u);
    d.Tl_Ok->click();
  });
  EXPECT_EQ(std::filesystem::file_size(dir / "Seznam.txt"), 0u);
  EXPECT_TRUE(person.messages.empty());
}

TEST_F(Ciselnik, TheWidthOfKodComesFromTheRegister) {
  writeRegister(1, 10);
  writeFile(dir / "Seznam.txt", "1234567890123\r\n");
  THlavni& h = start();
  TCiselnik d(h.ClientDataSet1, h.SouborSeznamu(), &h);
  EXPECT_EQ(d.La_Pouceni->text(), "Výrazy s počtem znaků nad 10 budou oříznuty!");
  d.Tl_Ok->click();
  EXPECT_EQ(readFile(dir / "Seznam.txt"), "1234567890\r\n");
}

// A write that fails at any step of the file layer, or meets a directory of
// the file's name: the error names the file, the dialog stays open with the
// text, the previous file stays whole and the register is untouched.
TEST_F(Ciselnik, AFailedWriteNamesTheFileAndKeepsThePreviousOne) {
  writeRegister(2);
  THlavni& h = start();
  const std::filesystem::path seznam = dir / "Seznam.txt";
  const struct {
    files::Step krok;
    int chyba;
  } pripady[] = {{files::Step::Create, EACCES}, {files::Step::Write, ENOSPC}, {files::Step::Sync, EIO},
                 {files::Step::Rename, EROFS}};
  for (const auto& p : pripady) {
    SCOPED_TRACE(static_cast<int>(p.krok));
    writeFile(seznam, "stary\r\nseznam\r\n");
    person.messages.clear();
    TCiselnik d(h.ClientDataSet1, h.SouborSeznamu(), &h);
    d.show();
    d.Memo1->setPlainText(QStringLiteral("novy"));
    files::injectFault({p.krok, 1, p.chyba});
    // Refused in place too.
    if (p.krok == files::Step::Create) files::injectFault({p.krok, 2, p.chyba});
    d.Tl_Ok->click();
    files::clearFaults();
    ASSERT_EQ(person.messages.size(), 1u);
    EXPECT_EQ(person.messages[0].text.toStdString(), files::cannotCreate(seznam, p.chyba) + ".");
    EXPECT_EQ(person.messages[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.Memo1->toPlainText(), "novy");
    EXPECT_EQ(readFile(seznam), "stary\r\nseznam\r\n");
  }

  std::filesystem::remove(seznam);
  std::filesystem::create_directory(seznam);
  TCiselnik d(h.ClientDataSet1, h.SouborSeznamu(), &h);
  d.show();
  person.messages.clear();
  d.Tl_Ok->click();
  ASSERT_EQ(person.messages.size(), 1u);
  EXPECT_EQ(person.messages[0].text.toStdString(), files::cannotCreate(seznam, EISDIR) + ".");
  EXPECT_TRUE(std::filesystem::is_directory(seznam));
  EXPECT_EQ(h.ClientDataSet1.recordCount(), 2);
}

TEST_F(Ciselnik, AFileThatCannotBeReadIsReportedAndTheDialogOpens) {
  THlavni& h = start();
  std::filesystem::remove(dir / "Seznam.txt");
  std::filesystem::create_directory(dir / "Seznam.txt");
  TCiselnik d(h.ClientDataSet1, h.SouborSeznamu(), &h);
  ASSERT_EQ(person.messages.size(), 1u);
  EXPECT_TRUE(person.messages[0].text.startsWith(
      QStringLiteral("Cannot open file \"%1\". ").arg(QString::fromStdString((dir / "Seznam.txt").string()))))
      << person.messages[0].text.toStdString();
  EXPECT_EQ(d.Memo1->toPlainText(), "");
  EXPECT_EQ(d.La_Pouceni->text(), "Výrazy s počtem znaků nad 20 budou oříznuty!");
  EXPECT_TRUE(d.Tl_Ok->isEnabled());
}

}  // namespace
