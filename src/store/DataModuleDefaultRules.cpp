#include "store/DataModuleKelvoADO.h"

void TdmKelvoADO::BindDefaultRules() {}
