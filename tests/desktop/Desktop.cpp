#include "Desktop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QThread>
#include <csignal>
#include <fstream>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <sys/prctl.h>

#include "RecordStore.h"
#include "RecordTable.h"

namespace desktop {
namespace {

QString q(const fs::path& p) { return QString::fromStdString(p.string()); }

// Children end with the test: a test killed at its timeout leaves no X
// server holding a display and no program behind.
void endWithTest(QProcess& p) {
  p.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

void stop(QProcess& p) {
  if (p.state() == QProcess::NotRunning) return;
  p.terminate();
  if (!p.waitForFinished(5000)) {
    p.kill();
    p.waitForFinished(5000);
  }
}

std::string at(const std::source_location& where) {
  return fs::path(where.file_name()).filename().string() + ":" + std::to_string(where.line());
}

std::string tail(const std::string& text, std::size_t n = 6000) {
  return text.size() <= n ? text : "..." + text.substr(text.size() - n);
}

}  // namespace

bool waitUntil(const std::function<bool()>& ready, int limitMs) {
  QElapsedTimer clock;
  clock.start();
  for (;;) {
    if (ready()) return true;
    if (clock.elapsed() > limitMs) return false;
    QCoreApplication::processEvents();
    QThread::msleep(50);
  }
}

std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void writeFile(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << bytes;
}

void writeRegister(const fs::path& dir, const std::vector<Record>& records) {
  store::RecordStore s;
  s.createEmpty(store::addressFieldDefs());
  for (const Record& r : records) {
    s.append();
    s.setText("nazev", r.nazev);
    s.setText("http", r.http);
    s.setText("kod", r.kod);
    s.setText("popis", r.popis);
    s.post();
  }
  s.saveToFile(dir / "Odkaznik.xml");
}

void PrintTo(const Record& r, std::ostream* os) {
  auto bytes = [os](const std::string& s) {
    *os << '"';
    for (unsigned char c : s) {
      if (c >= 0x20 && c < 0x7F && c != '\\') {
        *os << c;
      } else {
        static const char hex[] = "0123456789ABCDEF";
        *os << "\\x" << hex[c >> 4] << hex[c & 15];
      }
    }
    *os << '"';
  };
  *os << '{';
  bytes(r.nazev);
  *os << ", ";
  bytes(r.http);
  *os << ", ";
  bytes(r.kod);
  *os << ", ";
  bytes(r.popis);
  *os << '}';
}

std::vector<Record> readRegister(const fs::path& dir) {
  store::RecordStore s;
  s.setFileName(dir / "Odkaznik.xml");
  s.open();
  std::vector<Record> records;
  for (int i = 1; i <= s.recordCount(); ++i) {
    s.setRecNo(i);
    records.push_back({std::string(s.text("nazev")), std::string(s.text("http")), std::string(s.text("kod")),
                       std::string(s.text("popis"))});
  }
  return records;
}

// --- Display -------------------------------------------------------------------

Display::Display() {
  if (!dir_.isValid()) throw std::runtime_error("no temporary directory for the display");
  const fs::path d = dir_.path().toStdString();
  home_ = d / "home";
  fs::create_directories(home_);
  fs::create_directories(d / "runtime");
  fs::permissions(d / "runtime", fs::perms::owner_all, fs::perm_options::replace);

  // Xvfb writes the number of the display it found free to its standard
  // output once it accepts connections.
  const fs::path number = d / "display";
  xvfb_.setStandardOutputFile(q(number));
  xvfb_.setStandardErrorFile(q(d / "xvfb.log"));
  endWithTest(xvfb_);
  xvfb_.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"});
  if (!xvfb_.waitForStarted(30'000))
    throw std::runtime_error("Xvfb does not start (scripts/install-deps.sh installs it): " +
                             xvfb_.errorString().toStdString());
  std::string text;
  waitUntil([&] {
    text = readFile(number);
    return (!text.empty() && text.back() == '\n') || xvfb_.state() == QProcess::NotRunning;
  }, kStartLimitMs);
  if (text.empty() || text.back() != '\n')
    throw std::runtime_error("Xvfb gave no display: " + tail(readFile(d / "xvfb.log")));
  text.pop_back();
  name_ = QStringLiteral(":") + QString::fromStdString(text);

  // The window manager is up once it has claimed the screen.
  openbox_.setProcessEnvironment(environment());
  openbox_.setStandardOutputFile(q(d / "openbox.log"));
  openbox_.setStandardErrorFile(q(d / "openbox.log"), QIODevice::Append);
  endWithTest(openbox_);
  openbox_.start(QStringLiteral("openbox"), {});
  if (!openbox_.waitForStarted(30'000))
    throw std::runtime_error("openbox does not start (scripts/install-deps.sh installs it): " +
                             openbox_.errorString().toStdString());
  const bool managing = waitUntil([&] {
    if (openbox_.state() == QProcess::NotRunning) return true;
    return run(QStringLiteral("xprop"), {"-root", "_NET_SUPPORTING_WM_CHECK"}).out.contains("window id");
  }, kStartLimitMs);
  if (!managing || openbox_.state() == QProcess::NotRunning)
    throw std::runtime_error("openbox did not take the screen: " + tail(readFile(d / "openbox.log")));
}

Display::~Display() {
  stop(openbox_);
  stop(xvfb_);
}

QProcessEnvironment Display::environment() const {
  const QProcessEnvironment outer = QProcessEnvironment::systemEnvironment();
  QProcessEnvironment env;
  env.insert(QStringLiteral("PATH"), outer.value(QStringLiteral("PATH"), QStringLiteral("/usr/local/bin:/usr/bin:/bin")));
  env.insert(QStringLiteral("HOME"), q(home_));
  env.insert(QStringLiteral("DISPLAY"), name_);
  env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.filePath(QStringLiteral("runtime")));
  return env;
}

ToolResult Display::run(const QString& tool, const QStringList& args, int limitMs) const {
  QProcess p;
  p.setProcessEnvironment(environment());
  p.setStandardInputFile(QProcess::nullDevice());
  endWithTest(p);
  p.start(tool, args);
  ToolResult r;
  if (!p.waitForStarted(limitMs)) {
    r.err = (tool + QStringLiteral(" does not start: ") + p.errorString()).toUtf8();
    return r;
  }
  if (!p.waitForFinished(limitMs)) {
    p.kill();
    p.waitForFinished(5000);
    r.err = (tool + QStringLiteral(" did not end")).toUtf8();
    return r;
  }
  r.out = p.readAllStandardOutput();
  r.err = p.readAllStandardError();
  r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  return r;
}

bool Display::screenshot(const fs::path& withoutExtension) const {
  if (!QStandardPaths::findExecutable(QStringLiteral("import")).isEmpty())
    return run(QStringLiteral("import"), {"-window", "root", q(withoutExtension) + ".png"}).code == 0;
  if (!QStandardPaths::findExecutable(QStringLiteral("xwd")).isEmpty())
    return run(QStringLiteral("xwd"), {"-root", "-silent", "-out", q(withoutExtension) + ".xwd"}).code == 0;
  return false;
}

std::string Window::describe() const {
  if (id.isEmpty()) return "no window";
  return (dialog ? "the dialog \"" : "the main window \"") + title.toStdString() + "\"";
}

// --- DesktopTest ------------------------------------------------------------------

namespace {

// Where a failing test leaves the picture of its screen, without extension.
fs::path failurePicture() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return fs::path(ODK_FAILURE_DIR) / (std::string(info->test_suite_name()) + "." + info->name());
}

}  // namespace

void DesktopTest::SetUp() {
  ASSERT_TRUE(root_.isValid());
  // A picture from an earlier failure would tell about another run.
  for (const char* ext : {".png", ".xwd"}) {
    std::error_code ec;
    fs::remove(failurePicture().string() + ext, ec);
  }
  display = std::make_unique<Display>();

  const fs::path r = fs::canonical(root_.path().toStdString());
  dir = r / "program";
  workDir = r / "work";
  openerDir_ = r / "opener";
  callsDir_ = r / "opener-calls";
  log_ = r / "program.log";
  for (const fs::path& d : {dir, workDir, openerDir_, callsDir_}) fs::create_directories(d);

  // A fresh copy of what the build lays out, without any files a run of the
  // built program left there.
  const fs::path built = ODK_PROGRAM_DIR;
  fs::copy_file(built / "Odkaznik", dir / "Odkaznik");
  for (const char* sub : {"Ses", "translations"})
    if (fs::exists(built / sub)) fs::copy(built / sub, dir / sub, fs::copy_options::recursive);
  writeOpener(0);
}

void DesktopTest::TearDown() {
  if (HasFailure() && display) {
    const fs::path shot = failurePicture();
    fs::create_directories(shot.parent_path());
    if (display->screenshot(shot))
      std::cerr << "The screen at the failure: " << shot.string() << ".*\n";
    else
      std::cerr << "No picture of the screen: neither import (ImageMagick) nor xwd is installed.\n";
    std::cerr << "The program's output:\n" << logTail() << "\n";
  }
  stop(program);
  display.reset();
}

QProcessEnvironment DesktopTest::programEnvironment() const {
  QProcessEnvironment env = display->environment();
  const QProcessEnvironment outer = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("PATH"), q(openerDir_) + QLatin1Char(':') + env.value(QStringLiteral("PATH")));
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  // A sanitizer build reports as the rest of the suite asks it to; the
  // leaks of the desktop's own libraries at exit are not the program's.
  for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS"})
    if (outer.contains(QLatin1String(name))) env.insert(QLatin1String(name), outer.value(QLatin1String(name)));
  QString lsan = outer.value(QStringLiteral("LSAN_OPTIONS"));
  if (!lsan.isEmpty()) lsan += QLatin1Char(':');
  lsan += QStringLiteral("suppressions=" ODK_LSAN_SUPPRESSIONS ":print_suppressions=0");
  env.insert(QStringLiteral("LSAN_OPTIONS"), lsan);
  return env;
}

void DesktopTest::start() { startProcess(q(dir / "Odkaznik"), {}, programEnvironment(), workDir); }

void DesktopTest::startProcess(const QString& executable, const QStringList& args, const QProcessEnvironment& env,
                               const fs::path& workingDirectory) {
  program.setProgram(executable);
  program.setArguments(args);
  program.setProcessEnvironment(env);
  program.setWorkingDirectory(q(workingDirectory));
  program.setStandardInputFile(QProcess::nullDevice());
  program.setStandardOutputFile(q(log_), QIODevice::Append);
  program.setStandardErrorFile(q(log_), QIODevice::Append);
  endWithTest(program);
  program.start();
  if (!program.waitForStarted(kLimitMs))
    fail(executable.toStdString() + " does not start: " + program.errorString().toStdString(),
         std::source_location::current());
}

std::string DesktopTest::logTail() const { return tail(readFile(log_)); }

void DesktopTest::waitForExit(int limitMs, const std::source_location& where) {
  waitUntil([&] { return program.state() == QProcess::NotRunning; }, limitMs);
  if (program.state() != QProcess::NotRunning) fail("the program did not end", where);
  if (program.exitStatus() != QProcess::NormalExit || program.exitCode() != 0)
    fail((program.exitStatus() == QProcess::NormalExit ? "the program ended with exit code " +
                                                             std::to_string(program.exitCode())
                                                       : std::string("the program crashed")) +
             "; its output:\n" + logTail(),
         where);
}

void DesktopTest::quit(const std::source_location& where) {
  waitForMainWindow(kLimitMs, where);
  key(QStringLiteral("ctrl+q"));
  waitForExit(kLimitMs, where);
}

Window DesktopTest::describeWindow(const QString& id) const {
  Window w;
  const ToolResult n = display->run(QStringLiteral("xdotool"), {"getwindowname", id});
  if (n.code != 0) return w;  // gone
  w.id = id;
  w.title = QString::fromUtf8(n.out);
  if (w.title.endsWith(QLatin1Char('\n'))) w.title.chop(1);
  const ToolResult t = display->run(QStringLiteral("xprop"), {"-id", id, "-notype", "_NET_WM_WINDOW_TYPE"});
  w.dialog = t.out.contains("_NET_WM_WINDOW_TYPE_DIALOG");
  return w;
}

Window DesktopTest::activeWindow() const {
  const ToolResult a = display->run(QStringLiteral("xdotool"), {"getactivewindow"});
  const QString id = QString::fromUtf8(a.out).trimmed();
  // 0, or a window that no longer exists: no window has the focus.
  if (a.code != 0 || id.isEmpty() || id == QLatin1String("0")) return {};
  return describeWindow(id);
}

std::optional<Window> DesktopTest::mainWindowAlone() const {
  const ToolResult shown = display->run(QStringLiteral("xdotool"),
                                        {"search", "--onlyvisible", "--pid", QString::number(program.processId())});
  std::optional<Window> main;
  for (const QString& id : QString::fromUtf8(shown.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
    const Window w = describeWindow(id);
    if (w.dialog) return std::nullopt;
    if (w.title == QLatin1String("Odkaznik")) main = w;
  }
  return main;
}

void DesktopTest::FocusRecovery::noFocus(DesktopTest& test) {
  // When a message box and the dialog under it close at once, openbox can
  // leave no window with the focus for good. A person then clicks the
  // window that is left; so does the test, once, on its title bar. A moment
  // without focus while windows come and go is normal: only a second of it
  // counts.
  if (clicked) return;
  if (!lost.isValid()) lost.start();
  if (lost.elapsed() < 1000) return;
  if (const std::optional<Window> main = test.mainWindowAlone()) {
    clicked = true;
    std::cerr << "No window had the focus, the main window alone shown: a click on its title bar.\n";
    test.clickTitle(*main);
  }
}

Window DesktopTest::waitForWindow(const QString& title, bool dialog, int limitMs, const std::source_location& where) {
  Window w;
  bool ended = false;
  FocusRecovery recovery;
  const bool there = waitUntil([&] {
    ended = program.state() == QProcess::NotRunning;
    if (ended) return true;
    w = activeWindow();
    if (!w.id.isEmpty()) {
      recovery.focus();
      return w.title == title && w.dialog == dialog;
    }
    if (!dialog) recovery.noFocus(*this);
    return false;
  }, limitMs);
  Window wanted{QStringLiteral("?"), title, dialog};
  if (ended)
    fail("the program ended while the test waited for " + wanted.describe() + "; its output:\n" + logTail(), where);
  if (!there) fail("the test waited for " + wanted.describe() + " to have the focus; " + w.describe() + " has it", where);
  return w;
}

Window DesktopTest::waitForMainWindow(int limitMs, const std::source_location& where) {
  return waitForWindow(QStringLiteral("Odkaznik"), false, limitMs, where);
}

Window DesktopTest::waitUntilGone(const Window& gone, const std::source_location& where) {
  Window w;
  FocusRecovery recovery;
  const bool changed = waitUntil([&] {
    if (program.state() == QProcess::NotRunning) return true;
    w = activeWindow();
    if (w.id.isEmpty()) {
      recovery.noFocus(*this);
      return false;
    }
    recovery.focus();
    return w.id != gone.id;
  });
  if (!changed) fail(gone.describe() + " did not close", where);
  return w;
}

Message DesktopTest::readMessage(const std::source_location& where) {
  const Window box = activeWindow();
  if (!box.dialog) fail("no message box has the focus but " + box.describe(), where);
  clearClipboard();
  key(QStringLiteral("ctrl+c"));
  QString copied;
  if (!waitUntil([&] { return !(copied = clipboard()).isEmpty(); }))
    fail("Ctrl+C in " + box.describe() + " put nothing on the clipboard", where);
  // ------\r\n caption \r\n ------\r\n text \r\n ------\r\n buttons \r\n ------\r\n
  const QStringList parts = copied.split(QStringLiteral("---------------------------\r\n"));
  auto line = [](QString s) {
    if (s.endsWith(QStringLiteral("\r\n"))) s.chop(2);
    return s;
  };
  if (parts.size() != 5 || !parts[0].isEmpty() || !parts[4].isEmpty())
    fail("Ctrl+C in " + box.describe() + " did not copy a message box: " + copied.toStdString(), where);
  return {line(parts[1]), line(parts[2]), line(parts[3])};
}

Window DesktopTest::answerFirstStart(int limitMs, const std::source_location& where) {
  waitForWindow(QStringLiteral("Odkaznik"), true, limitMs, where);
  const Message m = readMessage(where);
  if (m.text != QStringLiteral("Nebyl nalezen soubor databáze Odkaznik.xml, bude založen nový."))
    fail("the first start said \"" + m.text.toStdString() + "\"", where);
  key(QStringLiteral("Return"));
  return waitForMainWindow(kLimitMs, where);
}

Window DesktopTest::openCodeList(const std::source_location& where) {
  const Window main = waitForMainWindow(kLimitMs, where);
  // The first menu's title sits at the left end of the menu bar, the bar at
  // the top of the window.
  click(main, 24, 9);
  const QString pid = QString::number(program.processId());
  const bool open = waitUntil([&] {
    const ToolResult shown = display->run(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--pid", pid});
    for (const QString& id : QString::fromUtf8(shown.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
      if (display->run(QStringLiteral("xprop"), {"-id", id, "-notype", "_NET_WM_WINDOW_TYPE"})
              .out.contains("_MENU"))
        return true;
    return false;
  });
  if (!open) fail("a click on the menu bar opened no menu", where);
  // Soubor, Úpravy, Data, Nástroje: three to the right; "Číselník" is the
  // last item of "Nástroje", and Up reaches the last item from the first
  // as well as from none.
  keys({"Right", "Right", "Right", "Up", "Return"});
  return waitForWindow(QStringLiteral("Správa číselníku pro pole Kód"), true, kLimitMs, where);
}

void DesktopTest::keys(const QStringList& names) {
  const ToolResult r = display->run(QStringLiteral("xdotool"), QStringList{"key", "--delay", "40", "--"} + names);
  if (r.code != 0) fail("xdotool key " + names.join(' ').toStdString() + ": " + r.err.toStdString(),
                        std::source_location::current());
}

void DesktopTest::type(const QString& ascii) {
  const ToolResult r = display->run(QStringLiteral("xdotool"), {"type", "--delay", "40", "--", ascii});
  if (r.code != 0) fail("xdotool type: " + r.err.toStdString(), std::source_location::current());
}

void DesktopTest::click(const Window& w, int x, int y) {
  const ToolResult r = display->run(QStringLiteral("xdotool"), {"mousemove", "--sync", "--window", w.id,
                                                                QString::number(x), QString::number(y), "click", "1"});
  if (r.code != 0) fail("xdotool click: " + r.err.toStdString(), std::source_location::current());
}

void DesktopTest::clickTitle(const Window& w) {
  // The client area's place on the screen; the title bar is just above it.
  const ToolResult info = display->run(QStringLiteral("xwininfo"), {"-id", w.id});
  int x = -1, y = -1, width = 0;
  for (QString line : QString::fromUtf8(info.out).split(QLatin1Char('\n'))) {
    line = line.trimmed();
    const QString value = line.section(QLatin1Char(':'), 1).trimmed();
    if (line.startsWith(QLatin1String("Absolute upper-left X:"))) x = value.toInt();
    if (line.startsWith(QLatin1String("Absolute upper-left Y:"))) y = value.toInt();
    if (line.startsWith(QLatin1String("Width:"))) width = value.toInt();
  }
  if (info.code != 0 || x < 0 || y < 10) return;
  display->run(QStringLiteral("xdotool"),
               {"mousemove", "--sync", QString::number(x + width / 2), QString::number(y - 8), "click", "1"});
}

void DesktopTest::clearClipboard() {
  // xclip stays in the background owning an empty clipboard until the
  // program takes it over (or the display ends).
  QProcess p;
  p.setProcessEnvironment(display->environment());
  p.setStandardInputFile(QProcess::nullDevice());
  p.setStandardOutputFile(QProcess::nullDevice());
  p.setStandardErrorFile(QProcess::nullDevice());
  p.start(QStringLiteral("xclip"), {"-selection", "clipboard", "-i", "/dev/null"});
  if (!p.waitForFinished(30'000) || p.exitCode() != 0)
    fail("xclip could not empty the clipboard (scripts/install-deps.sh installs xclip)", std::source_location::current());
}

QString DesktopTest::clipboard() const {
  const ToolResult r = display->run(QStringLiteral("xclip"), {"-selection", "clipboard", "-o", "-t", "UTF8_STRING"});
  return r.code == 0 ? QString::fromUtf8(r.out) : QString();
}

QString DesktopTest::copyRecord(const std::source_location& where) {
  waitForMainWindow(kLimitMs, where);
  clearClipboard();
  key(QStringLiteral("ctrl+c"));
  QString copied;
  if (!waitUntil([&] { return !(copied = clipboard()).isEmpty(); }))
    fail("Ctrl+C in the main window put nothing on the clipboard", where);
  return copied;
}

void DesktopTest::writeOpener(int code) {
  const fs::path script = openerDir_ / "xdg-open";
  writeFile(script,
            "#!/bin/sh\n"
            "# Stands in for the desktop's opener: records how it was run, then exits\n"
            "# with the code the test chose.\n"
            "calls='" + callsDir_.string() + "'\n"
            "{ printf '%s\\n' \"$#\"; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > \"$calls/.$$\"\n"
            "mv \"$calls/.$$\" \"$calls/$$\"\n"
            "exit " + std::to_string(code) + "\n");
  fs::permissions(script, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
}

void DesktopTest::setOpenerExitCode(int code) { writeOpener(code); }

std::vector<OpenerCall> DesktopTest::openerCalls() const {
  std::vector<OpenerCall> calls;
  for (const auto& entry : fs::directory_iterator(callsDir_)) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    OpenerCall call;
    call.pid = std::stoll(name);
    QStringList lines = QString::fromUtf8(QByteArray::fromStdString(readFile(entry.path()))).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    if (!lines.isEmpty()) lines.removeFirst();  // the number of arguments
    call.args = lines;
    calls.push_back(call);
  }
  return calls;
}

OpenerCall DesktopTest::waitForOpener(const std::source_location& where) {
  std::vector<OpenerCall> calls;
  if (!waitUntil([&] { return !(calls = openerCalls()).empty(); }))
    fail("the program did not run the desktop's opener", where);
  // Ended: gone, or a zombie that nobody has reaped yet.
  const std::string stat = "/proc/" + std::to_string(calls.front().pid) + "/stat";
  const bool ended = waitUntil([&] {
    const std::string s = readFile(stat);
    const auto close = s.rfind(')');
    return s.empty() || (close != std::string::npos && close + 2 < s.size() && s[close + 2] == 'Z');
  });
  if (!ended) fail("the desktop's opener did not end", where);
  return calls.front();
}

void DesktopTest::fail(const std::string& what, const std::source_location& where) const {
  std::string message = what + " (" + at(where) + ")";
  if (display) message += "; the focus: " + activeWindow().describe();
  throw std::runtime_error(message);
}

}  // namespace desktop

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
