#pragma once
// TNovyEdit: the record editor. In new-record mode it appends records one
// after the other; in edit mode it edits the current record and steps
// through the register, saving each record before it moves. The mode is a
// value, shown as the caption; "changed" is the enabled state of OK.
#include <QDialog>
#include <QString>
#include <filesystem>
#include <optional>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QWidget;
namespace store { class RecordStore; }

// What the editor works with: the register, the main window's navigation
// commands (run as the menu runs them, so that a disabled one moves
// nothing; the new-record command lends its icon), the code list file and
// the setting whether to ask before storing.
struct KontextEditoru {
  store::RecordStore& data;
  QAction* prvni;
  QAction* predchazejici;
  QAction* nasledujici;
  QAction* posledni;
  QAction* novy;
  std::filesystem::path seznam;
  const bool& zobrazDialogUloz;
};

class TNovyEdit : public QDialog {
  Q_OBJECT
 public:
  enum class Rezim { Novy, Editace };
  static const QString kNovyZaznam;  // "Nový záznam", the caption of new-record mode
  static const QString kEditace;     // "Editace aktuálního záznamu", the caption of edit mode

  TNovyEdit(const KontextEditoru& kontext, QWidget* parent);

  // Sets the mode and its caption; the opener does so before showing.
  void NastavRezim(Rezim rezim);

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
  // Up and Down: the focus to the previous or next control of the tab order.
  void PredchoziPrvek();
  void DalsiPrvek();

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

  KontextEditoru k_;
  // None until the opener sets one (the caption is then the design's "Editace").
  std::optional<Rezim> rezim_;
};
