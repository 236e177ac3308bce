// Opening the current address and the help file with the desktop's opener
// (xdg-open, found through PATH), here a stand-in that records how it was
// run and exits with the code the test chose.
#include <QUrl>

#include "Desktop.h"

using namespace desktop;

namespace {

QString q(const fs::path& p) { return QString::fromStdString(p.string()); }

}  // namespace

class DesktopOpener : public DesktopTest {
 protected:
  void startWith(const std::vector<Record>& records) {
    writeRegister(dir, records);
    start();
    waitForMainWindow(kStartLimitMs);
  }
};

TEST_F(DesktopOpener, AnOpenerThatFailsIsReported) {
  setOpenerExitCode(3);
  startWith({{"Example", "http://www.example.cz/", "", ""}});
  key("F5");
  EXPECT_EQ(waitForOpener().args, QStringList{"http://www.example.cz/"});
  waitForWindow("Odkaznik", true);
  EXPECT_EQ(readMessage().text, "Chyba při spuštění programu ...");
  key("Return");
  quit();
}

TEST_F(DesktopOpener, AnOpenerThatSucceedsGetsTheAddressAndNothingIsShown) {
  startWith({{"Example", "http://www.example.cz/", "", ""}});
  key("F5");
  EXPECT_EQ(waitForOpener().args, QStringList{"http://www.example.cz/"});
  // The main window still has the keys: no message came in between (and
  // one coming later would keep Ctrl+Q from closing the program).
  EXPECT_EQ(copyRecord(), "Název: Example\r\nHTTP: http://www.example.cz/\r\nKód: \r\nPopis: ");
  quit();
}

TEST_F(DesktopOpener, ARelativeFilePathOpensAsAFileUrlInTheProgramDirectory) {
  // The same relative path under the working directory must not be taken.
  for (const fs::path& base : {dir, workDir}) {
    fs::create_directories(base / "docs");
    writeFile(base / "docs" / "my file.txt", base == dir ? "program directory" : "working directory");
  }
  startWith({{"Soubor", "docs/my file.txt", "", ""}});
  key("F5");
  const OpenerCall call = waitForOpener();
  const fs::path file = dir / "docs" / "my file.txt";
  ASSERT_EQ(call.args.size(), 1) << call.args.join(QLatin1Char('|')).toStdString();
  EXPECT_EQ(call.args[0], QStringLiteral("file://") + QUrl::toPercentEncoding(q(file), "/"));
  EXPECT_EQ(QUrl(call.args[0]).toLocalFile(), q(file));
  quit();
}

TEST_F(DesktopOpener, HelpThatCannotBeOpenedIsReportedWithItsFullPath) {
  writeFile(dir / "Odkaznik.chm", "");
  setOpenerExitCode(1);
  startWith({});
  key("F1");
  const OpenerCall call = waitForOpener();
  // The help file, as a path or as a file URL.
  ASSERT_EQ(call.args.size(), 1) << call.args.join(QLatin1Char('|')).toStdString();
  const QString help = call.args[0].startsWith(QLatin1String("file:")) ? QUrl(call.args[0]).toLocalFile() : call.args[0];
  EXPECT_EQ(help, q(dir / "Odkaznik.chm"));
  waitForWindow("Odkaznik", true);
  EXPECT_EQ(readMessage().text, "Chyba při spuštění nápovědy - soubor \"" + q(dir / "Odkaznik.chm") + "\".");
  key("Return");
  quit();
}
