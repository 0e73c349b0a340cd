#include "domain/ProjectExport.h"

#include "domain/Project.h"
#include "domain/ProjectDirectoryRebuild.h"
#include "export/DataModuleMacroADO.h"
#include "export/MacroConnection.h"
#include "foundation/Installation.h"
#include "foundation/UserInterface.h"
#include "store/DataModuleKelvoADO.h"
#include "store/Transaction.h"

#include <optional>

using namespace Qt::Literals::StringLiterals;

bool ExportProject(TProject& project, const TProjectExportOptions& options) {
    const QString directory = project.GetPath();
    if (project.HasToxswaDirectory() &&
        !AskConfirmation(
            u"Are you sure you want to overwrite existing input files and delete existing output "
            u"files at "_s +
            directory + u" directories?"_s))
        return false;

    const TBusyCursor busy;
    const bool macro = options.MACRO && IsModelAvailable(TModelKind::Macro);
    try {
        // A failed export puts the previous directory back; a killed one leaves the new one marked.
        TProjectDirectoryRebuild rebuild(project);
        // MACRO's rows are committed only with the whole export: a failure leaves MACRO's previous runs.
        std::optional<TMacroConnection> macroOpen;
        std::optional<TTransaction> macroRows;
        if (macro) {
            macroOpen.emplace();
            macroRows.emplace(dmMacroADO->dbMacroADO);
        }
        project.CreateDirectories();
        rebuild.MarkUnfinished();
        if (options.PRZM && IsModelAvailable(TModelKind::Przm)) project.ExportPRZMRuns();
        if (macro) project.ExportMACRORuns();
        project.PrepareToxswa();
        if (options.Report) project.WriteReport();
        if (macroRows) macroRows->Commit();
        rebuild.Finish();
        dmKelvoADO->RefreshRuns();
    } catch (...) {
        // The rebuild has removed what this export wrote and put the previous export back.
        ShowCurrentException();
        ShowWarning(
            u"The export was not completed; the files written before the failure were removed from "_s +
            directory + (macro ? u". The MACRO database keeps the runs it held before."_s : QString()));
        return false;
    }
    ShowMessage(u"Saved all files at subdirectory "_s + directory);
    return true;
}
