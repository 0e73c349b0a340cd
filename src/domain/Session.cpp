#include "domain/Session.h"

#include "export/DataModuleMacroADO.h"
#include "foundation/Installation.h"
#include "foundation/UserInterface.h"
#include "store/DataModuleKelvoADO.h"

using namespace Qt::Literals::StringLiterals;

bool StartSession(TdmKelvoADO& dm, TdmMacroADO& macro) {
    const TBusyCursor busy;
    SetModelAvailable(TModelKind::Przm, false);
    SetModelAvailable(TModelKind::Macro, false);
    if (!dm.OpenDatabase()) {
        ShowMessage(u"Failed to open the KELVO-database."_s);
        return false;
    }
    try {
        dm.ImportPRZMSubstances();
        SetModelAvailable(TModelKind::Przm, true);
    } catch (...) {
        ShowCurrentException();
    }
    try {
        SetModelAvailable(TModelKind::Macro, dm.ImportMacroSubstances(macro));
    } catch (...) {
        ShowCurrentException();
    }
    return true;
}

void EndSession(TdmKelvoADO& dm, TdmMacroADO& macro) {
    const TBusyCursor busy;
    if (IsModelAvailable(TModelKind::Macro)) {
        try {
            dm.WriteMacroSubstances(macro);
        } catch (...) {
            ShowCurrentException();
        }
    }
    if (IsModelAvailable(TModelKind::Przm)) {
        try {
            dm.WritePRZMSubstances();
        } catch (...) {
            ShowCurrentException();
        }
    }
    dm.CloseDatabase();
}
