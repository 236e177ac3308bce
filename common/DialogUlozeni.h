#pragma once
// The save dialog of the program's commands: Qt's own file dialog that
// refuses a name in a folder that does not exist. It says so and stays
// open, so the person corrects the name there instead of meeting the error
// only when the file is written.
#include <QFileDialog>

class DialogUlozeni : public QFileDialog {
  Q_OBJECT

 public:
  DialogUlozeni(QWidget* parent, const QString& caption, const QString& directory);

  // Refuses a name whose folder does not exist with a warning through the
  // seam, captioned with the dialog's title; otherwise as QFileDialog.
  void accept() override;
};
