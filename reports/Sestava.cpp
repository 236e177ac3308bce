#include "Sestava.h"

#include "RecordStore.h"
#include "SouboryProgramu.h"

namespace sestavy {

namespace fs = std::filesystem;

void TSestava::NactiZeSouboru(const fs::path& soubor) {
  sablona_ = Sablona{};
  nacteno_ = false;
  soubor_ = soubor;
  std::error_code chyba;
  if (!fs::exists(soubor, chyba)) return;
  sablona_ = NactiSablonu(soubor);
  nacteno_ = true;
}

fs::path TSestava::AdresarSablon() const {
  if (!SouborNastaveni.empty()) return program::Soubor(SouborNastaveni.parent_path(), program::kSestavy);
  return soubor_.parent_path();
}

PripravenaSestava TSestava::Priprav() const {
  if (!DataSet || !DataSet->data) throw ChybaSablony("Sestava nemá připojený zdroj dat SestavaData1");
  return sestavy::Priprav(sablona_, *DataSet->data);
}

OknaSestavy& TSestava::okna() const {
  if (!Okna) throw ChybaSablony("Sestava nemá připojená okna pro tisk, náhled a návrh");
  return *Okna;
}

void TSestava::Tiskni(QWidget* parent) { okna().Tiskni(*this, parent); }

void TSestava::Nahled(QWidget* parent) { okna().Nahled(*this, parent); }

bool TSestava::Navrh(QWidget* parent) { return okna().Navrh(*this, parent); }

void TSestava::Uloz(const Sablona& nova, const fs::path& soubor) {
  UlozSablonu(soubor, nova);
  sablona_ = nova;
  soubor_ = soubor;
  nacteno_ = true;
}

}  // namespace sestavy
