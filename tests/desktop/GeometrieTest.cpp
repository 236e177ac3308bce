// The window geometry the program remembers, with the window manager's
// frame around the window.
#include "Desktop.h"

using namespace desktop;

class DesktopGeometry : public DesktopTest {};

// The window opens centred on the 1024 x 768 screen at its designed outer
// size and is closed where it opened, so every close writes the same four
// keys, however many times the program starts from what it wrote before.
TEST_F(DesktopGeometry, FourStartsAndClosesKeepTheCentredDesignedSize) {
  const std::string expected = "[Formular]\r\nZleva=154\r\nZhora=130\r\nSirka=716\r\nVyska=507\r\n";
  for (int run = 1; run <= 4; ++run) {
    SCOPED_TRACE("start " + std::to_string(run));
    start();
    if (run == 1)
      answerFirstStart();
    else
      waitForMainWindow(kStartLimitMs);
    quit();
    EXPECT_EQ(readFile(dir / "Odkaznik.ini"), expected);
  }
}
