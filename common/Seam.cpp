#include "Seam.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "BusyCursor.h"
#include "DialogUlozeni.h"
#include "KlavesyDialogu.h"

namespace seam {
namespace {

#ifndef Q_OS_WIN
// How long the opener may take to say that it cannot open an address. An
// opener that is still running by then has handed the address on (some
// openers wait until the program they started ends) and is left to run.
constexpr int kCasOtevirace = 3000;

// Runs the desktop's opener on `url` and waits for its verdict: it reports
// a failure only through its exit code ("no method available"), after it
// has started. The window repaints meanwhile but takes no input.
bool spustOtevirac(const QString& program, const QUrl& url) {
  auto* proces = new QProcess(qApp);
  proces->setProgram(program);
  proces->setArguments({url.toString(QUrl::FullyEncoded)});
  proces->setWorkingDirectory(QCoreApplication::applicationDirPath());
  proces->setProcessChannelMode(QProcess::ForwardedChannels);
  proces->start(QIODevice::ReadOnly);
  if (!proces->waitForStarted()) {
    delete proces;
    return false;
  }
  bool skoncil = false, uspech = false;
  {
    QEventLoop smycka;
    QObject::connect(proces, &QProcess::finished, &smycka, [&](int kod, QProcess::ExitStatus stav) {
      skoncil = true;
      uspech = stav == QProcess::NormalExit && kod == 0;
      smycka.quit();
    });
    QTimer::singleShot(kCasOtevirace, &smycka, &QEventLoop::quit);
    KurzorCekani kurzor;
    if (proces->state() != QProcess::NotRunning) smycka.exec(QEventLoop::ExcludeUserInputEvents);
  }
  if (skoncil || proces->state() == QProcess::NotRunning) {
    if (!skoncil) uspech = proces->exitStatus() == QProcess::NormalExit && proces->exitCode() == 0;
    delete proces;
    return uspech;
  }
  QObject::connect(proces, &QProcess::finished, proces, &QObject::deleteLater);
  return true;
}
#endif

// A message box that puts what it says on the clipboard on Ctrl+C, laid out
// as a Windows message box lays it out (caption, text, buttons between
// dashed lines), so that a person can paste what the program told them.
class OknoZpravy final : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    if (!e->matches(QKeySequence::Copy)) {
      QMessageBox::keyPressEvent(e);
      return;
    }
    const QString line = QStringLiteral("---------------------------\r\n");
    // The buttons in the order the person sees them.
    QList<QAbstractButton*> shown = buttons();
    std::sort(shown.begin(), shown.end(), [](QAbstractButton* a, QAbstractButton* b) { return a->x() < b->x(); });
    QString buttonTexts;
    for (QAbstractButton* b : shown) buttonTexts += b->text().remove(u'&') + QStringLiteral("   ");
    QGuiApplication::clipboard()->setText(line + windowTitle() + QStringLiteral("\r\n") + line + text() +
                                          QStringLiteral("\r\n") + line + buttonTexts + QStringLiteral("\r\n") + line);
  }
};

class RealInteraction final : public Interaction {
 public:
  QMessageBox::StandardButton message(QWidget* parent, const MessageRequest& r) override {
    OknoZpravy box(r.icon, r.caption, r.text, r.buttons, parent);
    if (r.defaultButton != QMessageBox::NoButton) box.setDefaultButton(r.defaultButton);
    if (r.buttons & QMessageBox::Cancel) box.setEscapeButton(QMessageBox::Cancel);
    const auto answer = static_cast<QMessageBox::StandardButton>(box.exec());
    VratZamer(parent);
    return answer;
  }

  std::optional<QString> input(QWidget* parent, const InputRequest& r) override {
    QDialog dialog(parent);
    dialog.setWindowTitle(r.caption);
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(r.prompt, &dialog);
    label->setWordWrap(true);
    auto* edit = new QLineEdit(r.text, &dialog);
    edit->setMaxLength(r.maxLength);
    if (r.hidden) edit->setEchoMode(QLineEdit::Password);
    edit->selectAll();
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(edit);
    layout->addWidget(buttons);
    edit->setFocus();
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return edit->text();
  }

  QString openFileName(QWidget* parent, FileRequest& r) override { return runFileDialog(parent, r, QFileDialog::AcceptOpen); }
  QString saveFileName(QWidget* parent, FileRequest& r) override { return runFileDialog(parent, r, QFileDialog::AcceptSave); }

  bool openUrl(const QUrl& url) override {
#ifdef Q_OS_WIN
    // The shell's "open" answers at once whether it took the address.
    return QDesktopServices::openUrl(url);
#else
#ifdef Q_OS_MACOS
    return spustOtevirac(QStringLiteral("open"), url);
#else
    return spustOtevirac(QStringLiteral("xdg-open"), url);
#endif
#endif
  }

  void setClipboardText(const QString& text) override { QGuiApplication::clipboard()->setText(text); }

  QRect primaryScreen() override {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
  }

 private:
  static QString runFileDialog(QWidget* parent, FileRequest& r, QFileDialog::AcceptMode mode) {
    // The save dialog refuses a name in a folder that does not exist; the
    // open dialog's ExistingFile mode already refuses a missing file.
    std::unique_ptr<QFileDialog> okno = mode == QFileDialog::AcceptSave
                                            ? std::make_unique<DialogUlozeni>(parent, r.caption, r.directory)
                                            : std::make_unique<QFileDialog>(parent, r.caption, r.directory);
    QFileDialog& dialog = *okno;
    // Qt's own dialog: it speaks Czech with the program's translation, and
    // the commands ask their own overwrite question.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!r.filters.isEmpty()) {
      dialog.setNameFilters(r.filters);
      if (r.filterIndex >= 0 && r.filterIndex < r.filters.size()) dialog.selectNameFilter(r.filters[r.filterIndex]);
    }
    if (!r.fileName.isEmpty()) dialog.selectFile(r.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    r.filterIndex = r.filters.indexOf(dialog.selectedNameFilter());
    return dialog.selectedFiles().first();
  }
};

Interaction* installed = nullptr;

}  // namespace

Interaction& real() {
  static RealInteraction skutecna;
  return skutecna;
}

Interaction& interaction() { return installed ? *installed : real(); }

void install(Interaction* replacement) { installed = replacement; }

}  // namespace seam
