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

PripravenaSestava TSestava::Priprav() const { return Priprav(sablona_.stranka); }

PripravenaSestava TSestava::Priprav(const Stranka& list) const {
  if (!DataSet || !DataSet->data) throw ChybaSablony("Sestava nemá připojený zdroj dat SestavaData1");
  if (list == sablona_.stranka) return sestavy::Priprav(sablona_, *DataSet->data);
  Sablona naListu = sablona_;
  naListu.stranka = list;
  return sestavy::Priprav(naListu, *DataSet->data);
}

OknaSestavy& TSestava::okna() const {
  if (!Okna) throw ChybaSablony("Sestava nemá připojená okna pro tisk, náhled a návrh");
  return *Okna;
}

void TSestava::Tiskni(QWidget* parent) { okna().Tiskni(*this, parent); }

void TSestava::Nahled(QWidget* parent) { okna().Nahled(*this, parent); }

bool TSestava::Navrh(QWidget* parent) { return okna().Navrh(*this, parent); }

void TSestava::Uloz(const Sablona& nova, const fs::path& soubor) {
  std::error_code chyba;
  const bool svuj = !soubor_.empty() && (soubor == soubor_ || fs::equivalent(soubor, soubor_, chyba));
  UlozSablonu(soubor, nova);
  if (!svuj && nacteno_) return;
  sablona_ = nova;
  soubor_ = soubor;
  nacteno_ = true;
}

}  // namespace sestavy
