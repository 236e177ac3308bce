#pragma once
// TNavrharSestav: the report designer over the loaded template.
#include <QDialog>

#include "Navrh.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace sestavy {

class TSestava;

class TNavrharSestav : public QDialog {
 public:
  TNavrharSestav(TSestava& sestava, QWidget* parent = nullptr);

  bool Ulozeno() const { return ulozeno_; }
  // The design as the inputs hold it now.
  Navrh Formular() const;
  void NastavFormular(const Navrh& n);

  // Handlers.
  void Tl_PridatClick();
  void Tl_OdebratClick();
  void Tl_NahoruClick();
  void Tl_DoluClick();
  void Tl_UlozitClick();      // back to the template's file
  void Tl_UlozitJakoClick();  // a new file in "Ses", its name asked

  QLineEdit* Ed_Nazev = nullptr;
  QLineEdit* Ed_Autor = nullptr;
  QPlainTextEdit* Ed_Popis = nullptr;
  QRadioButton* Rb_NaVysku = nullptr;
  QRadioButton* Rb_NaSirku = nullptr;
  QLineEdit* Ed_Titulek = nullptr;
  QTableWidget* Sloupce = nullptr;
  QComboBox* CBox_Skupina = nullptr;
  // The sheet: a named paper or "Vlastní" with its own sizes, and margins (mm).
  QComboBox* CBox_Papir = nullptr;
  QDoubleSpinBox* Ed_SirkaPapiru = nullptr;
  QDoubleSpinBox* Ed_VyskaPapiru = nullptr;
  QDoubleSpinBox* Ed_Levy = nullptr;
  QDoubleSpinBox* Ed_Horni = nullptr;
  QDoubleSpinBox* Ed_Pravy = nullptr;
  QDoubleSpinBox* Ed_Dolni = nullptr;
  // Red, shown while the columns are wider than the printable width.
  QLabel* La_Varovani = nullptr;
  // The columns of the table Sloupce.
  enum { kPole, kNadpis, kSirka, kPismo, kVelikost, kTucne, kZarovnani, kRoztahovat, kTucnyNadpis, kSloupcu };
  QPushButton* Tl_Ulozit = nullptr;
  QPushButton* Tl_UlozitJako = nullptr;
  QPushButton* Tl_Storno = nullptr;

 private:
  void pridejRadek(const Sloupec& c);
  // Shows or hides La_Varovani as the inputs stand now.
  void zkontrolujSirku();
  void papirZmenen();
  void presun(int o);
  // Saves the design to `soubor`, under the report name `nazev` when one is
  // given (a copy), and closes.
  void uloz(const std::filesystem::path& soubor, const QString* nazev = nullptr);

  TSestava& sestava_;
  QStringList pole_;
  bool ulozeno_ = false;
};

}  // namespace sestavy
