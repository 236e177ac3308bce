#include "OknaSestavy.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>

#include "BusyCursor.h"
#include "Nahled_f.h"
#include "Navrhar_f.h"
#include "Vystupy.h"

namespace sestavy {

TOknaSestavy::TOknaSestavy() = default;
TOknaSestavy::~TOknaSestavy() = default;

PripravenaSestava TOknaSestavy::Priprav(const TSestava& sestava) {
  KurzorCekani kurzor;
  return sestava.Priprav();
}

PripravenaSestava TOknaSestavy::Priprav(const TSestava& sestava, const Stranka& list) {
  KurzorCekani kurzor;
  return sestava.Priprav(list);
}

QPrinter& TOknaSestavy::Tiskarna() {
  // The default printer stands for "Předvolená".
  if (!tiskarna_) tiskarna_ = std::make_unique<QPrinter>(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
  return *tiskarna_;
}

void TOknaSestavy::TiskniNa(QPrinter& tiskarna, const PripravenaSestava& s, int od, int do_) {
  tiskarna.setFullPage(true);
  tiskarna.setPageLayout(RozvrzeniListu(s));
  KurzorCekani kurzor;
  VykresliStrany(tiskarna, s, od, do_);
}

bool TOknaSestavy::dialogTisku(const QString& nazev, int stran, QWidget* parent) {
  QPrinter& tiskarna = Tiskarna();
  tiskarna.setDocName(nazev);
  QPrintDialog dialog(&tiskarna, parent);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange);
  if (stran > 0) dialog.setMinMax(1, stran);
  return dialog.exec() == QDialog::Accepted;
}

void TOknaSestavy::tiskniVybrane(const PripravenaSestava& s) {
  QPrinter& tiskarna = Tiskarna();
  const int posledni = static_cast<int>(s.strany.size()) - 1;
  int od = 0, do_ = posledni;
  if (tiskarna.printRange() == QPrinter::PageRange) {
    od = std::clamp(tiskarna.fromPage() - 1, 0, posledni);
    do_ = std::clamp(tiskarna.toPage() - 1, od, posledni);
  }
  TiskniNa(tiskarna, s, od, do_);
}

void TOknaSestavy::Tiskni(TSestava& sestava, QWidget* parent) {
  // The pages are not known before the report is prepared, after the dialog.
  if (!dialogTisku(sestava.Nazev(), 0, parent)) return;
  tiskniVybrane(Priprav(sestava));
}

void TOknaSestavy::Tiskni(const PripravenaSestava& s, QWidget* parent) {
  if (!dialogTisku(s.nazev, static_cast<int>(s.strany.size()), parent)) return;
  tiskniVybrane(s);
}

void TOknaSestavy::Nahled(TSestava& sestava, QWidget* parent) {
  TNahledSestavy nahled(*this, sestava, Priprav(sestava), parent);
  nahled.exec();
}

bool TOknaSestavy::Navrh(TSestava& sestava, QWidget* parent) {
  TNavrharSestav navrhar(sestava, parent);
  navrhar.exec();
  return navrhar.Ulozeno();
}

}  // namespace sestavy
