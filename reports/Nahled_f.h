#pragma once
// TNahledSestavy: the preview of a prepared report with page navigation,
// zoom (fixed, fit to width, whole page, several pages), find, an outline
// of the group headers, print, opening and saving prepared reports, page
// setup, edit, export and a one-click repeat of the last export.
#include <QDialog>
#include <QPageLayout>
#include <QWidget>
#include <functional>

#include "Priprava.h"

class QAction;
class QComboBox;
class QLabel;
class QScrollArea;
class QSpinBox;
class QSplitter;
class QToolButton;
class QTreeWidget;

namespace sestavy {

class TOknaSestavy;
class TSestava;

// How the zoom is chosen: a fixed factor, or from the window's size.
enum class RezimZvetseni { Pevne, NaSirku, CelaStrana, ViceStran };

// The page on screen; with `sloupcu` > 0 every page of the report, in a
// grid of that many columns.
class TStranaNahledu : public QWidget {
 public:
  explicit TStranaNahledu(QWidget* parent) : QWidget(parent) {}
  const PripravenaSestava* sestava = nullptr;
  int strana = 0;
  double zvetseni = 1.0;
  int sloupcu = 0;
  const Polozka* nalezena = nullptr;
  // Told the page a click in the grid landed on, and a double click.
  std::function<void(int)> klepnuto, dvojklik;
  static constexpr int kMezera = 12;  // between pages in the grid, pixels

  double bodyNaMm() const;
  QSize velikostStrany() const;
  // Where page `strana` starts in this widget.
  QPoint pocatek(int strana) const;
  void prizpusob();

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;

 private:
  int stranaNa(QPoint bod) const;  // -1 off every page
};

// Where the export's file dialog opens: the directory of the last export
// (Sestavy.ini, "Export", "Adresar"), before the first one the program
// directory, where Sestavy.ini lives; never the working directory.
QString AdresarExportu(const TSestava& sestava);

class TNahledSestavy : public QDialog {
 public:
  // `okna` are the report's windows: its printer, the print dialog and the designer.
  TNahledSestavy(TOknaSestavy& okna, TSestava& sestava, PripravenaSestava pripravena, QWidget* parent = nullptr);

  const PripravenaSestava& Pripravena() const { return pripravena_; }
  int Strana() const { return strana_->strana; }
  double Zvetseni() const { return strana_->zvetseni; }
  RezimZvetseni Rezim() const { return rezim_; }
  // Columns of the several-pages grid; 0 showing one page.
  int Sloupcu() const { return strana_->sloupcu; }
  const Polozka* Nalezena() const { return strana_->nalezena; }
  // Whether the pages came from a prepared report file.
  bool Nacteno() const { return nacteno_; }
  // The zoom that fits a sheet of `sirkaMm` x `vyskaMm` into `plocha`
  // pixels (the scroll area without scroll bars, `pruh` the width of one)
  // at `pxNaMm` pixels to the millimetre at 100 %, for the fitting modes.
  static double ZvetseniPro(RezimZvetseni rezim, QSize plocha, int pruh, double sirkaMm, double vyskaMm,
                            double pxNaMm);

  // Handlers of the tool bar.
  void JdiNaStranu(int strana);  // 0-based, kept within the pages
  void NastavZvetseni(double zvetseni);
  void NastavRezim(RezimZvetseni rezim);
  // One step of the zoom list in or out (Ctrl+plus/minus, Ctrl+wheel).
  void Priblizit(bool blize);
  // Asks for the text through the input box, then finds it.
  void Tl_NajitClick();
  // The next text containing `text` (case ignored) after the one found last,
  // over the pages in order; false (and a message) when there is none.
  bool Najdi(const QString& text);
  // F3: the next match of the last text, or the input box when there is none.
  void NajdiDalsi();
  // Asks for a page number through the input box.
  void Tl_PrejitClick();
  // Goes to the page of outline entry `i` and scrolls to its header.
  void JdiNaBodOsnovy(int i);
  void Tl_TiskClick();
  void Tl_VzhledClick();
  void Tl_UpravitClick();
  // Asks for a prepared report file and shows it / saves what is shown.
  void Tl_OtevritClick();
  void Tl_UlozitClick();
  // Shows the pages of a prepared report file; on an error the preview
  // keeps what it showed.
  void Otevri(const QString& soubor);
  // Asks for the file through the save dialog, then writes export `druh`
  // through SpustVystup (the question before huge pictures, the progress
  // dialog after ProdlevaPrubehu milliseconds with its "Storno"), and
  // remembers the folder and the type for the next export and the quick
  // export.
  void Exportuj(int druh);
  int ProdlevaPrubehu = 500;
  // Writes the last export type into the last export folder, named after
  // the report, without asking.
  void RychlyExport();
  // Lays the report out again on a new sheet (page setup) and prepares it
  // anew; the template keeps its own sheet.
  void ZmenList(const QPageLayout& rozvrzeni);

  QLabel* La_Strana = nullptr;
  QSpinBox* Ed_Strana = nullptr;
  QComboBox* CBox_Zvetseni = nullptr;
  QTreeWidget* Osnova = nullptr;
  QAction* Akce_Osnova = nullptr;
  QAction* Akce_Vzhled = nullptr;
  QAction* Akce_Upravit = nullptr;
  QAction* Akce_RychlyExport = nullptr;
  QAction* Akce_CelaObrazovka = nullptr;

 protected:
  bool eventFilter(QObject* objekt, QEvent* udalost) override;

 private:
  void obnov();
  void pripravZnovu();
  void naplnOsnovu();
  void ukazOsnovu();
  void prepocitejZvetseni();
  void ukazZvetseniVSeznamu();
  void posunNa(int strana, double yMm);
  void ukazNalezenou();
  void obnovRychlyExport();
  void klavesy();

  TOknaSestavy& okna_;
  TSestava& sestava_;
  // The sheet this preview lays the report out on: the template's, until
  // the page setup changes it for this preview only.
  Stranka list_;
  PripravenaSestava pripravena_;
  RezimZvetseni rezim_ = RezimZvetseni::Pevne;
  bool nacteno_ = false;
  QSplitter* delic_ = nullptr;
  QScrollArea* plocha_ = nullptr;
  TStranaNahledu* strana_ = nullptr;
  QString hledany_;
  int hledanaStrana_ = 0, hledanaPolozka_ = -1;
};

}  // namespace sestavy
