#pragma once

#include "store/DataModuleKelvoADO.h"

// The scenario data module on the installation's database, for one command; a database that does not
// open was shown and ends the command.
class TCliScenario {
public:
    TCliScenario();
    TdmKelvoADO dm;
};
