#include "ViewState.h"

#include <algorithm>
#include <utility>

#include "CodePage.h"

namespace store {

namespace {

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

std::string TextPozice(const RecordStore& data) {
  const int pocet = data.active() ? data.recordCount() : 0;
  int pozice = data.active() ? data.recNo() : 0;
  if (pozice < 0 || pocet == 0) pozice = 0;
  return std::to_string(pozice) + " z " + std::to_string(pocet);
}

// --- sorting ----------------------------------------------------------------------

std::string ViewState::NazevTrideni() const {
  if (setridenoPodle_ < 0 || !data_.active() || setridenoPodle_ >= data_.fieldCount()) return {};
  return data_.fieldName(setridenoPodle_);
}

void ViewState::Setrid(int pole) {
  data_.setIndexFieldNames(pole < 0 ? std::string() : data_.fieldName(pole));
  setridenoPodle_ = pole;
  data_.first();
  zmena();
}

void ViewState::VychoziPoradi() {
  setridenoPodle_ = -1;
  zmena();
}

// --- filter -----------------------------------------------------------------------

bool ViewState::Vyhovuje() const {
  std::string hodnota;
  cp1250::lowerInto(hodnota, data_.text(filtrPole_));
  return hodnota.find(filtrVyraz_) != std::string::npos;
}

void ViewState::NastavFiltr(int pole, std::string_view podminka) {
  std::string vyraz = cp1250::lowered(podminka);
  data_.setContainsFilter(pole, vyraz);
  filtrPole_ = pole;
  filtrVyraz_ = std::move(vyraz);
  filtrText_ = podminka;
  zmena();
}

void ViewState::Filtruj(int pole, std::string_view podminka) {
  const int puvodniPole = filtrPole_;
  const std::string puvodniText = filtrText_;
  NastavFiltr(pole, podminka);
  try {
    data_.setFiltered(true);
  } catch (...) {
    NastavFiltr(puvodniPole, puvodniText);
    throw;
  }
  zmena();
}

void ViewState::ZrusFiltr() {
  data_.setFiltered(false);
  zmena();
}

// --- search -------------------------------------------------------------------------

bool ViewState::NajdiZaznam(const std::string& nazevPole, const std::string& hledany, bool celeVyrazy) {
  FrozenNotifications zmrazeni(data_);
  const int pole = data_.fieldByName(nazevPole);
  const std::string jehla = cp1250::lowered(hledany);
  std::string hodnota;
  // The record current at the start is never examined.
  data_.next();
  while (!data_.eof()) {
    const std::string_view text = data_.text(pole);
    // Lower-casing keeps the length: a whole value of another length cannot match.
    if (!celeVyrazy || text.size() == jehla.size()) {
      cp1250::lowerInto(hodnota, text);
      if (celeVyrazy ? hodnota == jehla : hodnota.find(jehla) != std::string::npos) return true;
    }
    data_.next();
  }
  return false;
}

bool ViewState::Hledej(THledParam p) {
  hledParam_ = std::move(p);
  zmena();
  return HledejDalsi();
}

// --- fields ---------------------------------------------------------------------------

void ViewState::PresunPole(int from, int to) {
  data_.moveField(from, to);
  setridenoPodle_ = PoPresunu(setridenoPodle_, from, to);
  filtrPole_ = PoPresunu(filtrPole_, from, to);
  zmena();
}

// --- notification -----------------------------------------------------------------

int ViewState::addListener(std::function<void()> listener) {
  posluchaci_.push_back({dalsi_, std::move(listener)});
  return dalsi_++;
}

void ViewState::removeListener(int id) {
  posluchaci_.erase(std::remove_if(posluchaci_.begin(), posluchaci_.end(), [id](const Posluchac& p) { return p.id == id; }),
                    posluchaci_.end());
}

void ViewState::zmena() {
  for (const Posluchac& p : posluchaci_) p.f();
}

}  // namespace store
