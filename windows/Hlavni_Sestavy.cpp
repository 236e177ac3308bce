// Reports: the report catalogue.
#include "Hlavni_f.h"
#include "KatalogSestav_f.h"

void THlavni::Akce_SestavyExecute() {
  // Created for this run only; it goes with the scope, also when an error
  // passes through.
  TKatalogSestav katalog(ClientDataSet1, AdresarProgramu, this);
  katalog.exec();
}
