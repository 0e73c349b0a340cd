#include "store/DataModuleKelvoADO.h"

void TdmKelvoADO::BindApplicationMethodRules() {}
