#pragma once
// TFiltrZaznamu: the filter dialog. Filtr keeps the records whose chosen
// field contains the condition, ignoring case; for the third field the
// codes of the code list can be picked into the condition.
#include <QDialog>
#include <filesystem>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TVyberPole;
namespace store { class ViewState; }

class TFiltrZaznamu : public QDialog {
  Q_OBJECT
 public:
  // Filters the view of `stav`; the codes come from the code list file
  // `seznam`; `parent` owns the dialog.
  TFiltrZaznamu(store::ViewState& stav, std::filesystem::path seznam, QWidget* parent);

  TVyberPole* Rg_VybranePole = nullptr;
  QLabel* PopiskaVyrazu = nullptr;
  QLineEdit* Ed_PodminkaFiltru = nullptr;
  QPushButton* Tl_Filtr = nullptr;
  QPushButton* Storno = nullptr;
  QComboBox* CBox_Seznam = nullptr;

  void FormCreate();
  void Rg_VybranePoleClick();
  void Ed_PodminkaFiltruChange();
  void CBox_SeznamSelect(int index);
  void Tl_FiltrClick();
  void StornoClick();

 private:
  store::ViewState& stav_;
  std::filesystem::path seznam_;
};

// The condition without the characters of code 32 or below at either end.
QString OrizniPodminku(const QString& text);
