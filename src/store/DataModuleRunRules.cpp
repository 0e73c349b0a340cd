#include "store/DataModuleKelvoADO.h"

void TdmKelvoADO::BindRunRules() {}
