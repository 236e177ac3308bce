// The five bytes Windows-1250 leaves undefined (81, 83, 88, 90 and 98 hex)
// pass through the record editor and the code list as they came: a person
// who never touched them finds them unchanged in the files.
#include <chrono>

#include "Desktop.h"

using namespace desktop;

namespace {

const std::string kUndefined = "a\x81" "b\x83" "c\x88" "d\x90" "e\x98" "f";

}  // namespace

class DesktopUndefinedBytes : public DesktopTest {};

TEST_F(DesktopUndefinedBytes, EditorKeepsThemInANameItDidNotChange) {
  writeRegister(dir, {{kUndefined, "http://www.example.cz/", "K1", "stary popis"}});
  ASSERT_TRUE(readFile(dir / "Odkaznik.xml").find("Nazev=\"" + kUndefined + "\"") != std::string::npos)
      << "the register written for the test holds other bytes";
  start();
  waitForMainWindow(kStartLimitMs);
  key("shift+Insert");
  waitForWindow("Editace aktuálního záznamu", true);
  keys({"Tab", "Tab", "Tab"});  // to "Popis", its text selected
  type("novy popis");
  key("Return");
  waitForWindow("V textu byly provedeny změny", true);
  key("alt+a");  // "Ano"
  waitForMainWindow();
  quit();
  EXPECT_EQ(readRegister(dir), (std::vector<Record>{{kUndefined, "http://www.example.cz/", "K1", "novy popis"}}));
  EXPECT_TRUE(readFile(dir / "Odkaznik.xml").find("Nazev=\"" + kUndefined + "\"") != std::string::npos)
      << "Odkaznik.xml does not hold the name's bytes as they were";
}

TEST_F(DesktopUndefinedBytes, CodeListWritesThemBackAsTheyWere) {
  const std::string codes = "K1\r\n" + kUndefined + "\r\nK3\r\n";
  writeRegister(dir, {});
  writeFile(dir / "Seznam.txt", codes);
  // An old time, so that the file shows whether Ok wrote it.
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24 * 365);
  fs::last_write_time(dir / "Seznam.txt", old);
  start();
  waitForMainWindow(kStartLimitMs);
  const Window list = openCodeList();
  keys({"Tab", "Return"});  // Ok
  ASSERT_EQ(waitUntilGone(list).describe(), "the main window \"Odkaznik\"");
  EXPECT_NE(fs::last_write_time(dir / "Seznam.txt"), old) << "Ok did not write the code list";
  EXPECT_EQ(readFile(dir / "Seznam.txt"), codes);
  quit();
}
