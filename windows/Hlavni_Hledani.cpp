// Sorting, search and filter: the title click, the sort marker, the three
// dialogs' commands, the search walk and the filter predicate.
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <array>
#include <string>
#include <string_view>

#include "BusyCursor.h"
#include "CodePage.h"
#include "FiltrZaznamu_f.h"
#include "Hledat_f.h"
#include "Hlavni_f.h"
#include "Mrizka.h"
#include "Texty.h"
#include "TrideniRazeni_f.h"
#include "Zpravy.h"

namespace {

// Freezes the record store's notifications for a walk; releasing them sends
// the one notification after which the grid shows where the walk stopped.
class ZmrazeniZobrazeni {
 public:
  explicit ZmrazeniZobrazeni(store::RecordStore& data) : data_(data) { data_.freezeNotifications(); }
  ~ZmrazeniZobrazeni() { data_.releaseNotifications(); }
  ZmrazeniZobrazeni(const ZmrazeniZobrazeni&) = delete;
  ZmrazeniZobrazeni& operator=(const ZmrazeniZobrazeni&) = delete;

 private:
  store::RecordStore& data_;
};

// The code page's 8-bit lower-casing as a table, for walks over every record.
void Snizena(std::string& out, std::string_view text) {
  static const std::array<unsigned char, 256> tabulka = [] {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c < 256; ++c) t[c] = cp1250::lower(static_cast<unsigned char>(c));
    return t;
  }();
  out.resize(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) out[i] = static_cast<char>(tabulka[static_cast<unsigned char>(text[i])]);
}

// Where a field at list position `p` stands after the field at `from` was
// moved to `to`; -1 (no field) stays.
int PoPresunu(int p, int from, int to) {
  if (p < 0) return p;
  if (p == from) return to;
  if (from < to && p > from && p <= to) return p - 1;
  if (from > to && p >= to && p < from) return p + 1;
  return p;
}

}  // namespace

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
  const int k = SetridenoPodle;
  if (k < 0 || k >= DBGrid1->model()->columnCount()) return;
  // Grid coordinates, from the record indicator's title cell; horizontal
  // scrolling is not taken into account.
  int x = 0;
  for (int i = 0; i <= k; ++i) x += DBGrid1->columnWidth(i) + 1;
  const QPoint titulky = DBGrid1->pocatekTitulku();
  painter.drawImage(QPoint(x - titulky.x(), 5 - titulky.y()), ImageList2());
}

void THlavni::PrekresliTitulky() { DBGrid1->titulky()->viewport()->update(); }

void THlavni::DBGrid1TitleClick(int column) {
  if (!ClientDataSet1.active()) return;
  KurzorCekani kurzor;
  const std::string pole = ClientDataSet1.fieldName(column);
  ClientDataSet1.setIndexFieldNames(pole);
  SetridenoPodle = column;
  PrekresliTitulky();
  PopiskaSetrideno->setText(QStringLiteral("Setříděno podle : ") + zAnsi(pole));
  ClientDataSet1.first();
}

void THlavni::Akce_TrideniExecute() {
  TTrideniRazeni dialog(this);
  dialog.exec();
}

void THlavni::PolePresunuto(int from, int to) {
  SetridenoPodle = PoPresunu(SetridenoPodle, from, to);
  FiltrPole = PoPresunu(FiltrPole, from, to);
  PrekresliTitulky();
}

// --- search -----------------------------------------------------------------------

bool THlavni::NajdiZaznam(const std::string& nazevPole, const std::string& hledany, bool celeVyrazy) {
  KurzorCekani kurzor;
  ZmrazeniZobrazeni zmrazeni(ClientDataSet1);
  const int pole = ClientDataSet1.fieldByName(nazevPole);
  const std::string jehla = cp1250::lowered(hledany);
  std::string hodnota;
  // The record current at the start is never examined.
  ClientDataSet1.next();
  while (!ClientDataSet1.eof()) {
    const std::string_view text = ClientDataSet1.text(pole);
    // Lower-casing keeps the length: a whole value of another length cannot match.
    if (!celeVyrazy || text.size() == jehla.size()) {
      Snizena(hodnota, text);
      if (celeVyrazy ? hodnota == jehla : hodnota.find(jehla) != std::string::npos) return true;
    }
    ClientDataSet1.next();
  }
  return false;
}

void THlavni::Akce_HledatZaznamExecute() {
  THledat dialog(this);
  dialog.exec();
}

void THlavni::Akce_HledatZaznamDalsiExecute() {
  if (!NajdiZaznam(HledParam.NazevPole, HledParam.HledanyVyraz, HledParam.CeleVyrazy))
    ZobrazZpravu(QStringLiteral("Hledaný výraz: ") + zAnsi(HledParam.HledanyVyraz) + QStringLiteral(" nebyl nalezen."));
}

// --- filter -----------------------------------------------------------------------

bool THlavni::ClientDataSet1FilterRecord() {
  // One user-interface thread: the buffer is kept between records.
  static std::string hodnota;
  Snizena(hodnota, ClientDataSet1.text(FiltrPole));
  return hodnota.find(FiltrVyraz) != std::string::npos;
}

void THlavni::Akce_FiltrExecute() {
  TFiltrZaznamu dialog(this);
  dialog.exec();
}

void THlavni::Akce_ZrusitFiltrExecute() {
  KurzorCekani kurzor;
  ClientDataSet1.setFiltered(false);
  ParametrFiltru->setText(QStringLiteral("Filtr : není zadán"));
}
