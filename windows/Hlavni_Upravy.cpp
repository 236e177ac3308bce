// Not built yet: these handlers arrive with their features.
#include "Hlavni_f.h"

void THlavni::Akce_PrvniZaznamExecute() {}
void THlavni::Akce_PredchazejiciZaznamExecute() {}
void THlavni::Akce_NasledujiciZaznamExecute() {}
void THlavni::Akce_PosledniZaznamExecute() {}
void THlavni::Akce_PrejitNaZaznamExecute() {}
void THlavni::Akce_OdstranitZaznamExecute() {}
void THlavni::Akce_NovyZaznamExecute() {}
void THlavni::Akce_EditZaznamuExecute() {}
void THlavni::Akce_CiselnikExecute() {}
void THlavni::Akce_KonfigExecute() {}
