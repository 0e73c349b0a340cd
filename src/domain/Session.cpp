#include "domain/Session.h"

#include "export/DataModuleMacroADO.h"
#include "foundation/Installation.h"
#include "foundation/UserInterface.h"
#include "store/DataModuleKelvoADO.h"
#include "store/Transaction.h"

using namespace Qt::Literals::StringLiterals;

bool StartSession(TdmKelvoADO& dm, TdmMacroADO& macro) {
    const TBusyCursor busy;
    SetModelAvailable(TModelKind::Przm, false);
    SetModelAvailable(TModelKind::Macro, false);
    if (!dm.OpenDatabase()) {
        ShowMessage(u"Failed to open the KELVO-database."_s);
        return false;
    }
    if (dm.dbKelvoADO.IsReadOnly())
        ShowWarning(dm.dbKelvoADO.ReadOnlyReason() +
                    u".\n\nYou can look at the substances and projects; changes cannot be saved."_s);
    // The import from both models is one commit; a model whose import fails takes back only its own rows.
    TTransaction import(dm.dbKelvoADO);
    try {
        RunWholePart(dm.dbKelvoADO, u"przm_import"_s, [&] { dm.ImportPRZMSubstances(); });
        SetModelAvailable(TModelKind::Przm, true);
    } catch (...) {
        ShowCurrentException();
    }
    try {
        bool available = false;
        RunWholePart(dm.dbKelvoADO, u"macro_import"_s, [&] { available = dm.ImportMacroSubstances(macro); });
        SetModelAvailable(TModelKind::Macro, available);
    } catch (...) {
        ShowCurrentException();
    }
    try {
        import.Commit();
    } catch (...) {
        ShowCurrentException();
    }
    return true;
}

void EndSession(TdmKelvoADO& dm, TdmMacroADO& macro) {
    const TBusyCursor busy;
    // A transaction a window left open when the session ends under it is taken back, never committed.
    if (dm.dbKelvoADO.IsOpen() && dm.dbKelvoADO.InTransaction()) {
        try {
            dm.dbKelvoADO.RollbackTrans();
        } catch (...) {
            ShowCurrentException();
        }
    }
    // A working installation that cannot be written keeps its model files as they are.
    const bool writable = dm.dbKelvoADO.IsOpen() && !dm.dbKelvoADO.IsReadOnly();
    if (writable && IsModelAvailable(TModelKind::Macro)) {
        try {
            dm.WriteMacroSubstances(macro);
        } catch (...) {
            ShowCurrentException();
        }
    }
    if (writable && IsModelAvailable(TModelKind::Przm)) {
        try {
            dm.WritePRZMSubstances();
        } catch (...) {
            ShowCurrentException();
        }
    }
    dm.CloseDatabase();
}
