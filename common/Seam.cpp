#include "Seam.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace seam {
namespace {

// A message box that puts what it says on the clipboard on Ctrl+C, laid out
// as a Windows message box lays it out (caption, text, buttons between
// dashed lines), so that a person can paste what the program told them.
class MessageBox final : public QMessageBox {
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
    MessageBox box(r.icon, r.caption, r.text, r.buttons, parent);
    if (r.defaultButton != QMessageBox::NoButton) box.setDefaultButton(r.defaultButton);
    if (r.buttons & QMessageBox::Cancel) box.setEscapeButton(QMessageBox::Cancel);
    return static_cast<QMessageBox::StandardButton>(box.exec());
  }

  std::optional<QString> input(QWidget* parent, const InputRequest& r) override {
    QDialog dialog(parent);
    dialog.setWindowTitle(r.caption);
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(r.prompt, &dialog);
    label->setWordWrap(true);
    auto* edit = new QLineEdit(r.text, &dialog);
    edit->setMaxLength(r.maxLength);
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

  bool openUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }

  void setClipboardText(const QString& text) override { QGuiApplication::clipboard()->setText(text); }

  QRect primaryScreen() override {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
  }

 private:
  static QString runFileDialog(QWidget* parent, FileRequest& r, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent, r.caption, r.directory);
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

Interaction& interaction() {
  static RealInteraction real;
  return installed ? *installed : real;
}

void install(Interaction* replacement) { installed = replacement; }

}  // namespace seam
