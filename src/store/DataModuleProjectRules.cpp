#include "store/DataModuleKelvoADO.h"

void TdmKelvoADO::BindProjectRules() {}
