#pragma once
// The register's view state and its rules, without widgets: the field the
// view is sorted by, the filter in force and the last search. The main
// window and the sort, search and filter dialogs share one; the main window
// repaints its labels and the sort marker from its one change notification.
// Texts are Windows-1250 bytes, as the register holds them.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "RecordStore.h"

namespace store {

// The last search started from the search dialog.
struct THledParam {
  std::string NazevPole;     // the field's name as the field choice list shows it
  std::string HledanyVyraz;  // exactly as typed: neither trimmed nor lower-cased
  bool CeleVyrazy = false;   // whole-value matching
};

// The position label's text: "%d z %d", the position of the current record
// in the view (0 when it is below 0 or the view is empty) and the number of
// records in the view.
std::string TextPozice(const RecordStore& data);

class ViewState {
 public:
  explicit ViewState(RecordStore& data) : data_(data) {}
  ViewState(const ViewState&) = delete;
  ViewState& operator=(const ViewState&) = delete;

  RecordStore& data() const { return data_; }

  // --- sorting --------------------------------------------------------------
  // The list position of the field the view is sorted by; -1: natural order.
  int SetridenoPodle() const { return setridenoPodle_; }
  // The name of that field; empty in natural order.
  std::string NazevTrideni() const;
  // Sorts the view by the field at list position `pole` (-1: natural order)
  // and moves to the first record. The record store takes the order first,
  // so an order it refuses leaves the state as it was.
  void Setrid(int pole);
  // Back to natural order without moving (start-up).
  void VychoziPoradi();

  // --- filter -----------------------------------------------------------------
  // The filter's field (list position) and condition (lower-cased), kept
  // also while no filter is on.
  int FiltrPole() const { return filtrPole_; }
  const std::string& FiltrVyraz() const { return filtrVyraz_; }
  // The condition as it was given, for the filter label.
  const std::string& FiltrText() const { return filtrText_; }
  bool Filtrovano() const { return data_.filtered(); }
  // Whether the record under test passes the condition: its field contains
  // the condition, letters in any case.
  bool Vyhovuje() const;
  // Switches the filter on: the field at list position `pole` contains
  // `podminka`, letters in any case. A filter the record store cannot switch
  // on leaves the condition in force as it was, so that records stored
  // later are tested by the condition the grid shows.
  void Filtruj(int pole, std::string_view podminka);
  // Sets the condition without switching anything (it takes effect when
  // the filter is next switched on).
  void NastavFiltr(int pole, std::string_view podminka);
  void ZrusFiltr();

  // --- search -------------------------------------------------------------------
  const THledParam& HledParam() const { return hledParam_; }
  // One search forward from the record after the current one (never the
  // current one itself, no wrap-around), in the view's order, with the
  // notifications frozen: the field named `nazevPole` contains `hledany`
  // (or equals it, with `celeVyrazy`), letters in any case. True when a
  // record was found; it is then current.
  bool NajdiZaznam(const std::string& nazevPole, const std::string& hledany, bool celeVyrazy);
  // Remembers `p` as the last search, then searches with it.
  bool Hledej(THledParam p);
  // The last search again.
  bool HledejDalsi() { return NajdiZaznam(hledParam_.NazevPole, hledParam_.HledanyVyraz, hledParam_.CeleVyrazy); }

  // --- fields -------------------------------------------------------------------
  // Moves a field within the store's field list (a dragged grid column); the
  // sort state and the filter's field go along with their fields.
  void PresunPole(int from, int to);

  // --- the one change notification ----------------------------------------
  // After every change of the sort state, the filter or the last search.
  int addListener(std::function<void()> listener);
  void removeListener(int id);

 private:
  void zmena();

  RecordStore& data_;
  int setridenoPodle_ = -1;
  int filtrPole_ = 0;
  std::string filtrVyraz_, filtrText_;
  THledParam hledParam_;
  struct Posluchac {
    int id;
    std::function<void()> f;
  };
  std::vector<Posluchac> posluchaci_;
  int dalsi_ = 1;
};

}  // namespace store
