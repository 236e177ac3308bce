#pragma once
// TNahledSestavy: the preview of a prepared report with page navigation,
// zoom, find, print, page setup, edit and export.
#include <QDialog>
#include <QPageLayout>
#include <QWidget>

#include "Priprava.h"

class QComboBox;
class QLabel;
class QScrollArea;
class QSpinBox;
class QToolButton;

namespace sestavy {

class TOknaSestavy;
class TSestava;

// The page on screen.
class TStranaNahledu : public QWidget {
 public:
  explicit TStranaNahledu(QWidget* parent) : QWidget(parent) {}
  const PripravenaSestava* sestava = nullptr;
  int strana = 0;
  double zvetseni = 1.0;
  const Polozka* nalezena = nullptr;
  double bodyNaMm() const;
  void prizpusob();

 protected:
  void paintEvent(QPaintEvent*) override;
};

class TNahledSestavy : public QDialog {
 public:
  // `okna` are the report's windows: its printer, the print dialog and the designer.
  TNahledSestavy(TOknaSestavy& okna, TSestava& sestava, PripravenaSestava pripravena, QWidget* parent = nullptr);

  const PripravenaSestava& Pripravena() const { return pripravena_; }
  int Strana() const { return strana_->strana; }
  double Zvetseni() const { return strana_->zvetseni; }
  const Polozka* Nalezena() const { return strana_->nalezena; }

  // Handlers of the tool bar.
  void JdiNaStranu(int strana);  // 0-based, kept within the pages
  void NastavZvetseni(double zvetseni);
  // Asks for the text through the input box, then finds it.
  void Tl_NajitClick();
  // The next text containing `text` (case ignored) after the one found last,
  // over the pages in order; false (and a message) when there is none.
  bool Najdi(const QString& text);
  void Tl_TiskClick();
  void Tl_VzhledClick();
  void Tl_UpravitClick();
  // Asks for the file through the save dialog, then writes export `druh`.
  // Pictures estimated beyond 500 MB are written only after a question.
  // An export that runs longer than ProdlevaPrubehu milliseconds shows its
  // progress in a dialog whose "Storno" stops it, leaving nothing written.
  void Exportuj(int druh);
  int ProdlevaPrubehu = 500;
  // Lays the report out again on a new sheet (page setup) and prepares it
  // anew; the template keeps its own sheet.
  void ZmenList(const QPageLayout& rozvrzeni);

  QLabel* La_Strana = nullptr;
  QSpinBox* Ed_Strana = nullptr;
  QComboBox* CBox_Zvetseni = nullptr;

 private:
  void obnov();
  void pripravZnovu();

  TOknaSestavy& okna_;
  TSestava& sestava_;
  // The sheet this preview lays the report out on: the template's, until
  // the page setup changes it for this preview only.
  Stranka list_;
  PripravenaSestava pripravena_;
  QScrollArea* plocha_ = nullptr;
  TStranaNahledu* strana_ = nullptr;
  QString hledany_;
  int hledanaStrana_ = 0, hledanaPolozka_ = -1;
};

}  // namespace sestavy
