// What every run sets up before its main window (NastavAplikaci, called by
// this test program's main as by the program's).
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// The file dialogs' "Typ" column names every entry in Czech, also where
// Qt's own catalogue has no Czech text; that catalogue still answers for
// the rest of the dialog.
TEST(NastavAplikaci, FileDialogTypesSpeakCzech) {
  QTemporaryDir tmp;
  ASSERT_TRUE(QDir(tmp.path()).mkdir(QStringLiteral("slozka")));
  ASSERT_TRUE(QFile::link(tmp.filePath(QStringLiteral("nikam")), tmp.filePath(QStringLiteral("odkaz"))));
  ASSERT_EQ(::mkfifo(QFile::encodeName(tmp.filePath(QStringLiteral("roura"))).constData(), 0600), 0);

  const struct {
    QString cesta;
    const char* typ;
  } pripady[] = {
      {tmp.filePath(QStringLiteral("slozka")), "Složka"},
      {QDir::rootPath(), "Disková jednotka"},
      {tmp.filePath(QStringLiteral("odkaz")), "Zástupce"},  // a link to nothing
      {tmp.filePath(QStringLiteral("roura")), "Neznámý"},
  };
  const QFileIconProvider typy;
  for (const auto& p : pripady) EXPECT_EQ(typy.type(QFileInfo(p.cesta)).toStdString(), p.typ);

  EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:").toStdString(), "Hledat v:");
}

}  // namespace
