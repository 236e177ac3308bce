#pragma once
// THlavni: the main window. It owns the record store, the grid over it, the
// commands with their menu and toolbar, the status panel, and the members
// that carry the program's state between commands.
#include <QLabel>
#include <QMainWindow>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <string>

#include "NovyEdit_f.h"
#include "RecordStore.h"
#include "SouboryProgramu.h"
#include "ViewState.h"

class QAction;
class QImage;
class QMenu;
class QPainter;
class QToolBar;
class TMrizka;

class THlavni : public QMainWindow {
  Q_OBJECT
 public:
  // The outer size the window is designed with, and its minimum.
  static constexpr int kNavrhovanaSirka = 716;
  static constexpr int kNavrhovanaVyska = 507;

  // `adresarProgramu` empty: the directory of the running executable.
  explicit THlavni(const QString& adresarProgramu = QString(), QWidget* parent = nullptr);
  ~THlavni() override;

  // --- state carried between commands ---
  std::filesystem::path AdresarProgramu;  // with the trailing separator's meaning: files are AdresarProgramu / name
  bool ZobrazDialogUloz = true;
  bool UkladatPozici = true;

  store::RecordStore ClientDataSet1;
  // The sort state (SetridenoPodle), the filter (FiltrPole, FiltrVyraz) and
  // the last search (HledParam), with their rules; the labels and the sort
  // marker follow its notification.
  store::ViewState StavPohledu{ClientDataSet1};

  // --- components ---
  TMrizka* DBGrid1 = nullptr;
  QToolBar* ToolBar1 = nullptr;
  QWidget* SpodniNastrojPanel = nullptr;
  QLabel* PopiskaZaznam = nullptr;
  QLabel* CisloZaznamu = nullptr;
  QLabel* PopiskaSetrideno = nullptr;
  QLabel* ParametrFiltru = nullptr;

  // --- commands, in the order of the command list ---
  QAction* Akce_UlozitSoubor = nullptr;
  QAction* Akce_ExportDat = nullptr;
  QAction* Akce_ImportDat = nullptr;
  QAction* Akce_Zalohovani = nullptr;
  QAction* Akce_Spustit = nullptr;
  QAction* Akce_Sestavy = nullptr;
  QAction* Akce_Konec = nullptr;
  QAction* Akce_KopirovatText = nullptr;
  QAction* Akce_HledatZaznam = nullptr;
  QAction* Akce_HledatZaznamDalsi = nullptr;
  QAction* Akce_Trideni = nullptr;
  QAction* Akce_Filtr = nullptr;
  QAction* Akce_ZrusitFiltr = nullptr;
  QAction* Akce_NovyZaznam = nullptr;
  QAction* Akce_EditZaznamu = nullptr;
  QAction* Akce_OdstranitZaznam = nullptr;
  QAction* Akce_PrvniZaznam = nullptr;
  QAction* Akce_PredchazejiciZaznam = nullptr;
  QAction* Akce_NasledujiciZaznam = nullptr;
  QAction* Akce_PosledniZaznam = nullptr;
  QAction* Akce_Konfig = nullptr;
  QAction* Akce_Napoveda = nullptr;
  QAction* Akce_OProgramu = nullptr;
  QAction* Akce_PrejitNaZaznam = nullptr;
  QAction* Akce_Ciselnik = nullptr;

  // Runs a command as the menu would: only while it is enabled; true when it ran.
  static bool Spust(QAction* akce);

  // The settings file's path.
  std::filesystem::path SouborNastaveni() const { return program::Soubor(AdresarProgramu, program::kNastaveni); }
  std::filesystem::path SouborDatabaze() const { return program::Soubor(AdresarProgramu, program::kDatabaze); }
  std::filesystem::path SouborSeznamu() const { return program::Soubor(AdresarProgramu, program::kSeznam); }

  // --- handlers ---
  // Start-up, shut-down, commands of the file menu (Hlavni_f.cpp).
  void DataSource1DataChange();
  void PovolAkce();
  void SirkaSloupcuExecute();
  void Akce_UlozitSouborExecute();
  void Akce_ZalohovaniExecute();
  void Akce_KonecExecute();

  // Navigation, deletion, the record editor, the code list and the settings
  // dialog (Hlavni_Upravy.cpp).
  void Akce_PrvniZaznamExecute();
  void Akce_PredchazejiciZaznamExecute();
  void Akce_NasledujiciZaznamExecute();
  void Akce_PosledniZaznamExecute();
  void Akce_PrejitNaZaznamExecute();
  void Akce_OdstranitZaznamExecute();
  void Akce_NovyZaznamExecute();
  void Akce_EditZaznamuExecute();
  void Akce_CiselnikExecute();
  void Akce_KonfigExecute();
  void OtevriEditor(TNovyEdit::Rezim rezim);
  // What the record editor works with, from this window.
  KontextEditoru ProEditor();

  // Sorting, search and filter (Hlavni_Hledani.cpp).
  void Akce_TrideniExecute();
  void Akce_HledatZaznamExecute();
  void Akce_HledatZaznamDalsiExecute();
  void Akce_FiltrExecute();
  void Akce_ZrusitFiltrExecute();
  void DBGrid1TitleClick(int column);
  bool ClientDataSet1FilterRecord();
  // One search forward from the record after the current one, under the
  // busy cursor; true when a record was found (it is then current).
  bool NajdiZaznam(const std::string& nazevPole, const std::string& hledany, bool celeVyrazy);
  // The sort marker (image 0 of ImageList2, 7 × 6) painted over the title
  // row of the sorted column, after the title row's own painting.
  void KresliZnackuTrideni(QPainter& painter);
  // The view state changed: the sort and filter labels, the sort marker
  // and the command states follow.
  void ZmenaPohledu();
  static const QImage& ImageList2();

  // Export and import (Hlavni_Vymena.cpp).
  void Akce_ExportDatExecute();
  void Akce_ImportDatExecute();
  void ExportDoHTML(const QString& soubor);
  void ImportZCSV(const QString& soubor);
  // The export file's name for type `typ` (1 to 6): the type's extension
  // appended when the name has none, put in place of a different one, and
  // an equal one (letters in any case) left as typed.
  static QString OpravPriponu(const QString& jmeno, int typ);
  int TypExportu = 1;  // the export type chosen last, kept for the run

  // Desktop actions (Hlavni_Plocha.cpp).
  void Akce_SpustitExecute();
  void Akce_KopirovatTextExecute();
  void Akce_NapovedaExecute();
  void Akce_OProgramuExecute();

  // Reports (Hlavni_Sestavy.cpp).
  void Akce_SestavyExecute();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void VytvorAkce();
  void VytvorMenu();
  void VytvorNastrojovouListu();
  void VytvorSpodniPanel();
  void FormCreate();
  bool FormClose();
  bool UlozPriZavreni();
  void NastavVnejsiGeometrii(int left, int top, int width, int height);
  void OpravRamecek();
  QRect VnejsiGeometrie() const;

  int listener_ = -1;
  int pohledListener_ = -1;
  bool ulozeno_ = false;     // the closing save has been dealt with
  bool ramecekOpraven_ = false;  // the outer geometry has been applied to the window manager's frame
  QRect vnejsi_;                 // the outer geometry asked for at start-up
};
