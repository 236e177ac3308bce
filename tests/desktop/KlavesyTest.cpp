// Enter in the record editor and in the code list: where the focus is when
// they open, what Enter does in an input, and what it does on a focused
// "Storno" (the cancel button, which closes without storing and without a
// question however the default button is set).
#include "Desktop.h"

using namespace desktop;

class DesktopDialogKeys : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    if (HasFatalFailure()) return;
    writeRegister(dir, {});
  }

  // Starts the program and waits for its main window.
  void startMain() {
    start();
    waitForMainWindow(kStartLimitMs);
  }

  // What took the focus after `dialog` closed: the main window, or else a
  // message box with what it says.
  std::string afterClosing(const Window& dialog) {
    const Window w = waitUntilGone(dialog);
    if (!w.dialog) return w.describe();
    const Message m = readMessage();
    return w.describe() + " asking \"" + m.text.toStdString() + "\"";
  }
};

TEST_F(DesktopDialogKeys, EditorOpensInNazevAndEnterInAnInputStoresAfterTheQuestion) {
  startMain();
  key("Insert");
  waitForWindow("Nový záznam", true);
  type("Seznam");  // into "Název", where the editor opens
  key("Tab");
  type("http://www.seznam.cz/");
  key("Return");  // in an input: the default button, OK
  waitForWindow("V textu byly provedeny změny", true);
  const Message question = readMessage();
  EXPECT_EQ(question.text, "Chcete tyto změny uložit?");
  key("alt+a");  // "Ano"
  waitForMainWindow();
  quit();
  EXPECT_EQ(readRegister(dir), (std::vector<Record>{{"Seznam", "http://www.seznam.cz/", "", ""}}));
}

TEST_F(DesktopDialogKeys, EnterOnAFocusedStornoClosesTheEditorWithoutStoring) {
  startMain();
  key("Insert");
  const Window editor = waitForWindow("Nový záznam", true);
  type("Zahodit");
  keys({"Tab", "Tab", "Tab", "Tab", "Tab"});  // HTTP, Kód, Popis, OK, Storno
  key("Return");
  ASSERT_EQ(afterClosing(editor), "the main window \"Odkaznik\"");
  quit();
  EXPECT_EQ(readRegister(dir), std::vector<Record>{});
}

TEST_F(DesktopDialogKeys, CodeListOpensInItsTextAreaAndEnterThereStartsANewLine) {
  startMain();
  const Window list = openCodeList();
  type("AB");  // into the text area, where the dialog opens
  key("Return");
  type("CD");
  keys({"Tab", "Return"});  // Ok
  ASSERT_EQ(afterClosing(list), "the main window \"Odkaznik\"");
  EXPECT_EQ(readFile(dir / "Seznam.txt"), "AB\r\nCD");
  quit();
}

TEST_F(DesktopDialogKeys, EnterOnAFocusedStornoClosesTheCodeListWithoutWriting) {
  writeFile(dir / "Seznam.txt", "K1\r\nK2\r\n");
  startMain();
  const Window list = openCodeList();
  type("X");
  keys({"Tab", "Tab"});  // Ok, Storno
  key("Return");
  ASSERT_EQ(afterClosing(list), "the main window \"Odkaznik\"");
  EXPECT_EQ(readFile(dir / "Seznam.txt"), "K1\r\nK2\r\n");
  quit();
}
