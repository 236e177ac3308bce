#include "Sestava.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include "BusyCursor.h"
#include "Nahled_f.h"
#include "Navrhar_f.h"
#include "RecordStore.h"
#include "Vystupy.h"

namespace sestavy {

namespace fs = std::filesystem;

TSestava::TSestava() = default;
TSestava::~TSestava() = default;

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
  if (!SouborNastaveni.empty()) return SouborNastaveni.parent_path() / "Ses";
  return soubor_.parent_path();
}

PripravenaSestava TSestava::Priprav() const {
  if (!DataSet || !DataSet->data) throw ChybaSablony("Sestava nemá připojený zdroj dat SestavaData1");
  KurzorCekani kurzor;
  return sestavy::Priprav(sablona_, *DataSet->data);
}

QPrinter& TSestava::Tiskarna() {
  // The default printer stands for "Předvolená".
  if (!tiskarna_) tiskarna_ = std::make_unique<QPrinter>(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
  return *tiskarna_;
}

void TSestava::TiskniNa(QPrinter& tiskarna, const PripravenaSestava& s, int od, int do_) {
  tiskarna.setFullPage(true);
  tiskarna.setPageLayout(RozvrzeniListu(s));
  KurzorCekani kurzor;
  VykresliStrany(tiskarna, s, od, do_);
}

void TSestava::Tiskni(QWidget* parent) {
  QPrinter& tiskarna = Tiskarna();
  tiskarna.setDocName(sablona_.nazev);
  QPrintDialog dialog(&tiskarna, parent);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange);
  if (dialog.exec() != QDialog::Accepted) return;
  const PripravenaSestava s = Priprav();
  const int posledni = static_cast<int>(s.strany.size()) - 1;
  int od = 0, do_ = posledni;
  if (tiskarna.printRange() == QPrinter::PageRange) {
    od = std::clamp(tiskarna.fromPage() - 1, 0, posledni);
    do_ = std::clamp(tiskarna.toPage() - 1, od, posledni);
  }
  TiskniNa(tiskarna, s, od, do_);
}

void TSestava::Nahled(QWidget* parent) {
  TNahledSestavy nahled(*this, Priprav(), parent);
  nahled.exec();
}

void TSestava::Uloz(const Sablona& nova, const fs::path& soubor) {
  UlozSablonu(soubor, nova);
  sablona_ = nova;
  soubor_ = soubor;
  nacteno_ = true;
}

bool TSestava::Navrh(QWidget* parent) {
  TNavrharSestav navrhar(*this, parent);
  navrhar.exec();
  return navrhar.Ulozeno();
}

}  // namespace sestavy
