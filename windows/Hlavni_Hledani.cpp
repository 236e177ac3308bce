// Sorting, search and filter: the title click, the sort marker, the three
// dialogs' commands, the search walk and the filter predicate.
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <string>

#include "BusyCursor.h"
#include "FiltrZaznamu_f.h"
#include "Hledat_f.h"
#include "Hlavni_f.h"
#include "Mrizka.h"
#include "Texty.h"
#include "TrideniRazeni_f.h"
#include "Zpravy.h"

// --- sorting ----------------------------------------------------------------------

const QImage& THlavni::ImageList2() {
  // A small grey triangle pointing down; the whole block is painted, the
  // background light grey.
  static const QImage znacka = [] {
    static const unsigned char sede[6][7] = {
        {245, 245, 245, 245, 245, 245, 245}, {48, 37, 37, 40, 60, 102, 140},     {245, 85, 95, 121, 165, 191, 245},
        {242, 245, 117, 169, 204, 245, 243}, {240, 243, 245, 172, 245, 243, 240}, {241, 241, 244, 246, 244, 241, 241},
    };
    QImage image(7, 6, QImage::Format_RGB32);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 7; ++x) image.setPixel(x, y, qRgb(sede[y][x], sede[y][x], sede[y][x]));
    return image;
  }();
  return znacka;
}

void THlavni::KresliZnackuTrideni(QPainter& painter) {
  const int k = StavPohledu.SetridenoPodle();
  if (k < 0 || k >= DBGrid1->model()->columnCount()) return;
  // Grid coordinates, from the record indicator's title cell; horizontal
  // scrolling is not taken into account.
  int x = 0;
  for (int i = 0; i <= k; ++i) x += DBGrid1->columnWidth(i) + 1;
  const QPoint titulky = DBGrid1->pocatekTitulku();
  painter.drawImage(QPoint(x - titulky.x(), 5 - titulky.y()), ImageList2());
}

void THlavni::ZmenaPohledu() {
  const std::string trideni = StavPohledu.NazevTrideni();
  PopiskaSetrideno->setText(QStringLiteral("Setříděno podle : ") +
                            (trideni.empty() ? QStringLiteral("výchozí") : zAnsi(trideni)));
  const int pole = StavPohledu.FiltrPole();
  const bool filtr = ClientDataSet1.active() && StavPohledu.Filtrovano() && pole < ClientDataSet1.fieldCount();
  ParametrFiltru->setText(filtr ? QStringLiteral("Filtr : ") + zAnsi(StavPohledu.FiltrText()) +
                                      QStringLiteral(" v poli ") + zAnsi(ClientDataSet1.fieldName(pole))
                                : QStringLiteral("Filtr : není zadán"));
  DBGrid1->titulky()->viewport()->update();
  PovolAkce();
}

void THlavni::DBGrid1TitleClick(int column) {
  if (!ClientDataSet1.active()) return;
  KurzorCekani kurzor;
  StavPohledu.Setrid(column);
}

void THlavni::Akce_TrideniExecute() {
  TTrideniRazeni dialog(StavPohledu, this);
  dialog.exec();
}

// --- search -----------------------------------------------------------------------

bool THlavni::NajdiZaznam(const std::string& nazevPole, const std::string& hledany, bool celeVyrazy) {
  KurzorCekani kurzor;
  return StavPohledu.NajdiZaznam(nazevPole, hledany, celeVyrazy);
}

void THlavni::Akce_HledatZaznamExecute() {
  THledat dialog(StavPohledu, this);
  dialog.exec();
}

void THlavni::Akce_HledatZaznamDalsiExecute() {
  const store::THledParam& p = StavPohledu.HledParam();
  if (!NajdiZaznam(p.NazevPole, p.HledanyVyraz, p.CeleVyrazy))
    ZobrazZpravu(QStringLiteral("Hledaný výraz: ") + zAnsi(p.HledanyVyraz) + QStringLiteral(" nebyl nalezen."));
}

// --- filter -----------------------------------------------------------------------

bool THlavni::ClientDataSet1FilterRecord() { return StavPohledu.Vyhovuje(); }

void THlavni::Akce_FiltrExecute() {
  TFiltrZaznamu dialog(StavPohledu, SouborSeznamu(), this);
  dialog.exec();
}

void THlavni::Akce_ZrusitFiltrExecute() {
  KurzorCekani kurzor;
  StavPohledu.ZrusFiltr();
}
