// Not built yet: these handlers arrive with their features.
#include "Hlavni_f.h"

void THlavni::Akce_TrideniExecute() {}
void THlavni::Akce_HledatZaznamExecute() {}
void THlavni::Akce_HledatZaznamDalsiExecute() {}
void THlavni::Akce_FiltrExecute() {}
void THlavni::Akce_ZrusitFiltrExecute() {}
void THlavni::DBGrid1TitleClick(int) {}
bool THlavni::ClientDataSet1FilterRecord() { return true; }
