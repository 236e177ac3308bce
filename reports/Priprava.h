#pragma once
// Preparing a report: the template's bands laid out over pages from the
// records of the record store's view, in its order (under a group header,
// ordered by the group field) and under its filter.
#include <QMarginsF>
#include <QRectF>
#include <QString>
#include <vector>

#include "Sablona.h"

namespace store {
class RecordStore;
}

namespace sestavy {

// The look of a text on a prepared page; shared by the texts of one object.
struct Styl {
  QString pismo;
  double velikost = 9;
  bool tucne = false, kurziva = false;
  Zarovnani zarovnani = Zarovnani::Vlevo;
  bool ramecek = false;
};

struct Polozka {
  QRectF obdelnik;  // millimetres from the sheet's top left corner; a stretching text's grown box
  QString text;
  int styl = 0;
};

struct PripravenaStrana {
  std::vector<Polozka> polozky;
};

// A group header in the preview's outline: its text and where it stands.
struct BodOsnovy {
  QString text;
  int strana = 0;  // 0-based
  double y = 0;    // millimetres from the sheet's top
};

struct PripravenaSestava {
  QString nazev;
  double sirka = 210, vyska = 297;  // the sheet, millimetres
  QMarginsF okraje;                 // the template's margins, millimetres
  std::vector<Styl> styly;
  std::vector<PripravenaStrana> strany;
  // The group headers in report order; a header repeated at the top of a
  // continuation page is listed once, where its group starts.
  std::vector<BodOsnovy> osnova;

  // Texts of a page in reading order: lines top to bottom, each line's
  // texts left to right (for the text, CSV and table exports).
  std::vector<std::vector<const Polozka*>> radky(int strana) const;
};

// Walks the store's view with its notifications frozen and puts the current
// record back afterwards, also when an error ends the walk. An empty view
// still gives one page (title, headers and footer).
PripravenaSestava Priprav(const Sablona& sablona, store::RecordStore& data);

}  // namespace sestavy
