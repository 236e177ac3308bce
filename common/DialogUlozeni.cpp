#include "DialogUlozeni.h"

#include <QDir>
#include <QFileInfo>

#include "Seam.h"

DialogUlozeni::DialogUlozeni(QWidget* parent, const QString& caption, const QString& directory)
    : QFileDialog(parent, caption, directory) {
  // accept() below is only asked by Qt's own dialog, never by a native one.
  setOption(QFileDialog::DontUseNativeDialog);
  setAcceptMode(QFileDialog::AcceptSave);
  setFileMode(QFileDialog::AnyFile);
}

void DialogUlozeni::accept() {
  const QStringList soubory = selectedFiles();
  if (!soubory.isEmpty()) {
    const QFileInfo soubor(soubory.first());
    // An existing folder typed as the name is opened by QFileDialog itself.
    if (!soubor.isDir() && !soubor.absoluteDir().exists()) {
      seam::MessageRequest zprava;
      zprava.icon = QMessageBox::Warning;
      zprava.caption = windowTitle();
      zprava.text = QDir::toNativeSeparators(soubor.absoluteFilePath()) +
                    QStringLiteral("\nCesta neexistuje.\nZkontrolujte, zda byla zadána správná cesta.");
      seam::interaction().message(this, zprava);
      return;
    }
  }
  QFileDialog::accept();
}
