// The save dialog: a name in a folder that does not exist is refused in the
// dialog, which stays open for the person to correct it.
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "DialogUlozeni.h"
#include "FakeInteraction.h"

namespace {

const QString kTitulek = QStringLiteral("Uložit databázi do souboru ...");

class DialogUlozeniTest : public ::testing::Test {
 protected:
  QTemporaryDir tmp;
  FakeInteraction person;
  DialogUlozeni dialog{nullptr, kTitulek, tmp.path()};

  // Types the name into the dialog's name box, as the person would: with
  // the focus there, the dialog keeps in step with what is typed.
  void napis(const QString& jmeno) {
    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    ASSERT_TRUE(edit->hasFocus());
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, jmeno);
  }
};

TEST_F(DialogUlozeniTest, NameInAMissingFolderIsRefusedUntilCorrected) {
  QFile soubor(tmp.filePath(QStringLiteral("soubor.txt")));
  ASSERT_TRUE(soubor.open(QIODevice::WriteOnly));
  soubor.close();
  dialog.open();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog, 2000));

  const struct {
    QString napsano;
    QString cesta;  // the full path the message names
  } pripady[] = {
      {tmp.filePath(QStringLiteral("chybi/seznam.csv")), tmp.filePath(QStringLiteral("chybi/seznam.csv"))},
      {QStringLiteral("chybi/hloubeji/seznam"), tmp.filePath(QStringLiteral("chybi/hloubeji/seznam"))},
      {QStringLiteral("soubor.txt/seznam.csv"), tmp.filePath(QStringLiteral("soubor.txt/seznam.csv"))},
  };
  for (const auto& p : pripady) {
    SCOPED_TRACE(p.napsano.toStdString());
    person.messages.clear();
    napis(p.napsano);
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(person.messages.size(), 1u);
    EXPECT_EQ(person.messages[0].icon, QMessageBox::Warning);
    EXPECT_EQ(person.messages[0].caption, kTitulek);
    EXPECT_EQ(person.messages[0].text.toStdString(),
              (QDir::toNativeSeparators(p.cesta) + "\nCesta neexistuje.\nZkontrolujte, zda byla zadána správná cesta.")
                  .toStdString());
  }

  person.messages.clear();
  napis(QStringLiteral("seznam.csv"));
  dialog.accept();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.selectedFiles(), QStringList{tmp.filePath(QStringLiteral("seznam.csv"))});
  EXPECT_TRUE(person.messages.empty());
}

}  // namespace
