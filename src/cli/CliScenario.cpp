#include "cli/CliScenario.h"

#include "foundation/Errors.h"

TCliScenario::TCliScenario() {
    if (!dm.OpenDatabase()) Abort();
}
