#include "ImportCSV.h"

#include <cerrno>
#include <string>
#include <system_error>

#include "FileLayer.h"
#include "RecordStore.h"

namespace vymena {

std::vector<std::string_view> RadkyTextu(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::vector<std::string_view> radky;
  const char* p = text.data();
  const char* const konec = p + text.size();
  while (p < konec) {
    const char* q = p;
    while (q < konec && *q != '\r' && *q != '\n') ++q;
    radky.emplace_back(p, static_cast<std::size_t>(q - p));
    if (q == konec) break;
    p = q + 1;
    if (*q == '\r' && p < konec && *p == '\n') ++p;
  }
  return radky;
}

std::array<std::string_view, 4> HodnotyRadku(std::string_view radek) {
  std::array<std::string_view, 4> hodnoty;
  for (int i = 0; i < 3; ++i) {
    const std::size_t strednik = radek.find(';');
    if (strednik == std::string_view::npos) continue;
    hodnoty[i] = radek.substr(0, strednik);
    radek.remove_prefix(strednik + 1);
  }
  hodnoty[3] = radek.substr(0, radek.find(';'));
  return hodnoty;
}

namespace {

// Only a regular file is read: opening a pipe waits for a writer and a
// device may never end, and either would hold the window with no way out.
// A name that does not exist, or cannot be looked at, is left to the
// reading, which reports why.
void JenObycejnySoubor(const std::filesystem::path& soubor) {
  std::error_code chyba;
  const auto stav = std::filesystem::status(soubor, chyba);
  if (chyba || !std::filesystem::exists(stav) || std::filesystem::is_regular_file(stav)) return;
  const int duvod = std::filesystem::is_directory(stav) ? EISDIR : ENOTSUP;
  throw files::FileError(files::cannotOpen(soubor, duvod));
}

}  // namespace

void ImportZCSV(store::RecordStore& tabulka, const std::filesystem::path& soubor) {
  JenObycejnySoubor(soubor);
  // Looked up first: a table without these fields gets nothing.
  const int pole[4] = {tabulka.fieldByName("nazev"), tabulka.fieldByName("http"), tabulka.fieldByName("kod"),
                       tabulka.fieldByName("popis")};
  store::FrozenNotifications zmrazeni(tabulka);
  // A record left half-appended by an error is dropped (before the release).
  struct Zrus {
    store::RecordStore& t;
    ~Zrus() {
      if (t.state() != store::StoreState::Append) return;
      try {
        t.cancel();
      } catch (...) {
      }
    }
  } zrus{tabulka};

  const std::string text = files::readWholeFile(soubor);
  for (std::string_view radek : RadkyTextu(text)) {
    const auto hodnoty = HodnotyRadku(radek);
    tabulka.append();
    for (int i = 0; i < 4; ++i) tabulka.setText(pole[i], hodnoty[i]);
    tabulka.post();
  }
}

}  // namespace vymena
