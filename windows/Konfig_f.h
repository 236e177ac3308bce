#pragma once
// TKonfig: the settings dialog. It shows the two user settings of the run
// and writes them to the settings file when confirmed.
#include <QDialog>
#include <filesystem>

class QCheckBox;
class QGroupBox;
class QPushButton;

class TKonfig : public QDialog {
  Q_OBJECT
 public:
  // Shows and changes the run's two settings, written to the settings file
  // `ini` when confirmed; `parent` owns the dialog.
  TKonfig(bool& zobrazDialogUloz, bool& ukladatPozici, std::filesystem::path ini, QWidget* parent);

  QGroupBox* Ram_Edit = nullptr;
  QCheckBox* ChB_ZobrazDialogUloz = nullptr;
  QGroupBox* Ram_Form = nullptr;
  QCheckBox* ChB_UkladatPozici = nullptr;
  QPushButton* Tl_Ok = nullptr;  // enabled = the settings were changed
  QPushButton* Tl_Storno = nullptr;

  void FormCreate();
  void ChB_ZobrazDialogUlozClick();
  // Writes both keys, then takes them over for the run and closes. A write
  // the file refuses ends it there: the run's settings stay as they were and
  // the dialog stays open.
  void Tl_OkClick();
  void Tl_StornoClick();

 private:
  bool& zobrazDialogUloz_;
  bool& ukladatPozici_;
  std::filesystem::path ini_;
};
