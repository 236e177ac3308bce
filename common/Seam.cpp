#include "Seam.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <memory>

#include "DialogUlozeni.h"

namespace seam {
namespace {

class RealInteraction final : public Interaction {
 public:
  QMessageBox::StandardButton message(QWidget* parent, const MessageRequest& r) override {
    QMessageBox box(r.icon, r.caption, r.text, r.buttons, parent);
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

Interaction& interaction() {
  static RealInteraction real;
  return installed ? *installed : real;
}

void install(Interaction* replacement) { installed = replacement; }

}  // namespace seam
