// Not built yet: these handlers arrive with their features.
#include "Hlavni_f.h"

void THlavni::Akce_SpustitExecute() {}
void THlavni::Akce_KopirovatTextExecute() {}
void THlavni::Akce_NapovedaExecute() {}
void THlavni::Akce_OProgramuExecute() {}
