#pragma once
// TKatalogSestav: the report catalogue "Generátor sestav". Lists the report
// templates of the report directory "Ses", shows the selected one's name,
// author, file and description, and hands it to the report engine to print,
// preview or design.
#include <QDialog>
#include <QIcon>
#include <QList>
#include <QString>
#include <filesystem>
#include <utility>
#include <vector>

#include "OknaSestavy.h"
#include "Sestava.h"

class QAction;
class QFont;
class QFrame;
class QLabel;
class QModelIndex;
class QPushButton;
class QTreeWidget;
namespace store { class RecordStore; }

// The report name in a template file as the template reader finds it in the
// raw text (sestavy::CtiSurovyNazev); empty when there is none or the file
// cannot be read.
QString NazevSestavy(const std::filesystem::path& soubor);

// The names of the templates in a directory ("*.ses", letters in any case),
// no subdirectories and no hidden files, in the order the Windows file
// system lists them (by upper-cased name, character by character).
std::vector<QString> SouboryVAdresari(const std::filesystem::path& adresar);

class TKatalogSestav : public QDialog {
  Q_OBJECT
 public:
  // Lists the templates of the program directory `adresarProgramu` and
  // prints, previews or designs them over the register `data`; `parent`
  // owns the dialog.
  TKatalogSestav(store::RecordStore& data, std::filesystem::path adresarProgramu, QWidget* parent);
  ~TKatalogSestav() override;

  // The report directory: the program directory + "Ses".
  std::filesystem::path AdresarSestav() const;

  // --- handlers ---
  void FormCreate();
  void NaplnSeznamSestav(QTreeWidget* seznam);
  QString SouborSestavy(const QString& nazev) const;
  void SeznamSestavChange();
  void SeznamSestavCustomDrawItem(const QModelIndex& uzel, QFont& pismo) const;
  void Akce_TiskExecute();
  void Akce_NahledExecute();
  void Akce_EditaceExecute();
  void Akce_StornoExecute();

  // --- components ---
  QLabel* La_SeznamSestav = nullptr;
  QTreeWidget* SeznamSestav = nullptr;
  QLabel* Popiska_Nazev = nullptr;
  QLabel* La_Nazev = nullptr;
  QLabel* Popiska_Autor = nullptr;
  QLabel* La_Autor = nullptr;
  QLabel* La_Popiska_Soubor = nullptr;
  QLabel* La_Soubor = nullptr;
  QLabel* Popiska_Popis = nullptr;
  QLabel* La_Popis = nullptr;
  QFrame* Linka1 = nullptr;
  QFrame* Linka6 = nullptr;
  QFrame* Linka7 = nullptr;
  QPushButton* Tl_Tisk = nullptr;
  QPushButton* Tl_Nahled = nullptr;
  QPushButton* Tl_Editace = nullptr;
  QPushButton* Tl_Konec = nullptr;
  QAction* Akce_Tisk = nullptr;
  QAction* Akce_Nahled = nullptr;
  QAction* Akce_Editace = nullptr;
  QAction* Akce_Storno = nullptr;
  QList<QIcon> ImageList1;

  // The table of templates found: file name, report name.
  std::vector<std::pair<QString, QString>> Sestavy;
  // The engine's objects.
  sestavy::TSestava Sestava1;
  sestavy::TSestavaData SestavaData1;
  sestavy::TOknaSestavy OknaSestavy1;

 private:
  void Vyprazdni();  // empties the four value labels, disables the three buttons
  void Povol(bool ano);

  store::RecordStore& data_;
  std::filesystem::path adresarProgramu_;
};
