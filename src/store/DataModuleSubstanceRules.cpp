#include "store/DataModuleKelvoADO.h"

void TdmKelvoADO::BindSubstanceRules() {}
