// Not built yet: these handlers arrive with their features.
#include "Hlavni_f.h"

void THlavni::Akce_ExportDatExecute() {}
void THlavni::Akce_ImportDatExecute() {}
