#pragma once
// The desktop layer: the built program, started from a fresh copy of its
// program directory on an X server of its own (Xvfb, 1024 x 768) under the
// openbox window manager, driven with xdotool as a person drives it. Keys,
// typed text and clicks go to whichever window has the focus; what the
// program did is read from the files it writes and from the clipboard
// (xclip). Every wait polls for a state with a generous limit, which only a
// hang reaches.
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <ostream>
#include <source_location>
#include <string>
#include <vector>

namespace desktop {

namespace fs = std::filesystem;

// How long the program may take to reach a state after a key, and to come
// up after it is started (a sanitizer build on a loaded machine is slow).
constexpr int kLimitMs = 60'000;
constexpr int kStartLimitMs = 120'000;

// Polls `ready` every few milliseconds until it holds or `limitMs` passes.
bool waitUntil(const std::function<bool()>& ready, int limitMs = kLimitMs);

struct ToolResult {
  int code = -1;  // -1: it did not start or did not end in time
  QByteArray out, err;
};

// An X server of its own, started with -displayfd so that tests running
// side by side each get a free display, and openbox on it with its default
// theme and configuration (HOME is a fresh directory).
class Display {
 public:
  Display();  // throws std::runtime_error when either does not come up
  ~Display();
  Display(const Display&) = delete;
  Display& operator=(const Display&) = delete;

  const QString& name() const { return name_; }  // ":N"
  const fs::path& home() const { return home_; }
  // The environment of a process on this display; nothing of the test's own
  // desktop comes along.
  QProcessEnvironment environment() const;
  // Runs a tool on this display to its end.
  ToolResult run(const QString& tool, const QStringList& args, int limitMs = 30'000) const;
  // Saves a picture of the whole screen; false when no tool for it is there.
  bool screenshot(const fs::path& withoutExtension) const;

 private:
  QTemporaryDir dir_;
  fs::path home_;
  QString name_;
  QProcess xvfb_, openbox_;
};

// A top-level window as the window manager sees it.
struct Window {
  QString id;  // decimal X window id; empty: no window has the focus
  QString title;
  bool dialog = false;  // a dialog (or message box), not a main window
  std::string describe() const;
};

// What a message box says, as it puts it on the clipboard on Ctrl+C.
struct Message {
  QString caption, text, buttons;
};

// One run of the stand-in for the desktop's opener.
struct OpenerCall {
  qint64 pid = 0;
  QStringList args;
};

// A record of the register, its texts in Windows-1250 bytes.
struct Record {
  std::string nazev, http, kod, popis;
  friend bool operator==(const Record&, const Record&) = default;
};
// Bytes outside printable ASCII as \xNN.
void PrintTo(const Record& r, std::ostream* os);

std::string readFile(const fs::path& p);
void writeFile(const fs::path& p, const std::string& bytes);
// Writes the register Odkaznik.xml of `dir` with the program's own store.
void writeRegister(const fs::path& dir, const std::vector<Record>& records);
// The records of the register Odkaznik.xml of `dir`, in natural order.
std::vector<Record> readRegister(const fs::path& dir);

// A test on the desktop: a display, a fresh program directory `dir` (a copy
// of the built one), a working directory elsewhere, and a stand-in for the
// desktop's opener first in the program's PATH.
class DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // --- the program ---------------------------------------------------------
  fs::path dir;      // the program directory (canonical path)
  fs::path workDir;  // the program's working directory, not `dir`
  // Starts the program of `dir` from `workDir`.
  void start();
  // Starts another process on the display in place of the program (its
  // output goes to the same log).
  void startProcess(const QString& program, const QStringList& args, const QProcessEnvironment& env,
                    const fs::path& workingDirectory);
  QProcessEnvironment programEnvironment() const;
  // Waits until the program has ended by itself with exit code 0.
  void waitForExit(int limitMs = kLimitMs, const std::source_location& where = std::source_location::current());
  // Ctrl+Q in the main window, then waitForExit.
  void quit(const std::source_location& where = std::source_location::current());

  // --- windows ---------------------------------------------------------------
  // The window with the focus; an empty id when no window has it.
  Window activeWindow() const;
  Window describeWindow(const QString& id) const;  // empty id: no such window
  // The main window, when it is the only window the program shows.
  std::optional<Window> mainWindowAlone() const;
  // Waits until the window with the focus has this title and kind; fails at
  // once when the program ends.
  Window waitForWindow(const QString& title, bool dialog, int limitMs = kLimitMs,
                       const std::source_location& where = std::source_location::current());
  Window waitForMainWindow(int limitMs = kLimitMs,
                           const std::source_location& where = std::source_location::current());
  // Waits until the window with the focus is no longer `w`.
  Window waitUntilGone(const Window& w, const std::source_location& where = std::source_location::current());
  // Ctrl+C in the message box that has the focus: what it says.
  Message readMessage(const std::source_location& where = std::source_location::current());
  // The first start in a directory without a register: the box saying a new
  // one will be made, answered with Enter; then the main window.
  Window answerFirstStart(int limitMs = kStartLimitMs,
                          const std::source_location& where = std::source_location::current());
  // Opens the code list dialog the way a person does without mnemonics: a
  // click on the first menu of the menu bar, Right to "Nástroje", Up to its
  // last item "Číselník", Enter.
  Window openCodeList(const std::source_location& where = std::source_location::current());

  // --- input -----------------------------------------------------------------
  // Key names as xdotool knows them ("Return", "shift+Insert", "ctrl+q").
  void keys(const QStringList& names);
  void key(const QString& name) { keys({name}); }
  void type(const QString& ascii);
  void click(const Window& w, int x, int y);
  void clickTitle(const Window& w);
  // Within one wait: clicks the main window's title when no window has had
  // the focus for a while and the main window is the only one shown.
  struct FocusRecovery {
    QElapsedTimer lost;
    bool clicked = false;
    void focus() { lost.invalidate(); }
    void noFocus(DesktopTest& test);
  };
  void clearClipboard();
  QString clipboard() const;
  // Ctrl+C in the main window: the current record as the program copies it.
  QString copyRecord(const std::source_location& where = std::source_location::current());

  // --- the desktop's opener --------------------------------------------------
  void setOpenerExitCode(int code);
  std::vector<OpenerCall> openerCalls() const;
  // Waits until the stand-in has been run and has ended.
  OpenerCall waitForOpener(const std::source_location& where = std::source_location::current());

  [[noreturn]] void fail(const std::string& what, const std::source_location& where) const;

  std::unique_ptr<Display> display;
  QProcess program;

 private:
  QTemporaryDir root_;
  fs::path openerDir_, callsDir_, runtimeDir_, log_;
  void writeOpener(int code);
  std::string logTail() const;
};

}  // namespace desktop

// Readable failures for Qt's texts.
void PrintTo(const QString& s, std::ostream* os);
