#pragma once
// TNovyEdit: the record editor. In new-record mode it appends records one
// after the other; in edit mode it edits the current record and steps
// through the register, saving each record before it moves. The mode is the
// caption; "changed" is the enabled state of OK.
#include <QDialog>
#include <QString>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QWidget;
class THlavni;

class TNovyEdit : public QDialog {
  Q_OBJECT
 public:
  static const QString kNovyZaznam;  // "Nový záznam"
  static const QString kEditace;     // "Editace aktuálního záznamu"

  explicit TNovyEdit(THlavni& hlavni);

  QLineEdit* Pole1 = nullptr;  // Nazev
  QLineEdit* Pole2 = nullptr;  // Http
  QComboBox* Pole3 = nullptr;  // Kod, the codes of Seznam.txt
  QLineEdit* Pole4 = nullptr;  // Popis
  QFrame* Bevel1 = nullptr;
  QLabel* Zaznam = nullptr;
  QLabel* Pocitadlo = nullptr;
  QWidget* ToolBar1 = nullptr;
  QToolButton* TBPrvniZaznam = nullptr;
  QToolButton* TBPredchazejiciZaznam = nullptr;
  QToolButton* TBNasledujiciZaznam = nullptr;
  QToolButton* TBPosledniZaznam = nullptr;
  QToolButton* TBNovyZaznam = nullptr;
  QPushButton* OK = nullptr;
  QPushButton* Storno = nullptr;

  void FormCreate();
  void FormShow();
  // True when the key was handled and goes no further.
  bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
  void Pole1Change();
  void OKClick();
  void StornoClick();
  void TBPrvniZaznamClick();
  void TBPredchazejiciZaznamClick();
  void TBNasledujiciZaznamClick();
  void TBPosledniZaznamClick();
  void TBNovyZaznamClick();

  void NactiZaznam();
  void UlozZaznam();

  bool NovyRezim() const;
  bool EditacniRezim() const;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Naviguj(QAction* akce);
  void RozmistiPocitadlo();

  THlavni& hlavni_;
};
