#include "domain/ProjectExport.h"

#include "domain/Project.h"
#include "domain/ProjectDirectoryRebuild.h"
#include "foundation/Installation.h"
#include "foundation/UserInterface.h"
#include "store/DataModuleKelvoADO.h"

using namespace Qt::Literals::StringLiterals;

bool ExportProject(TProject& project, const TProjectExportOptions& options) {
    const QString directory = project.GetPath();
    if (project.HasToxswaDirectory() &&
        !AskDestructive(
            u"Are you sure you want to overwrite existing input files and delete existing output "
            u"files at "_s +
            directory + u" directories?"_s))
        return false;

    const TBusyCursor busy;
    try {
        // A failed export puts the previous directory back; a killed one leaves the new one marked.
        TProjectDirectoryRebuild rebuild(project);
        project.CreateDirectories();
        rebuild.MarkUnfinished();
        if (options.PRZM && IsModelAvailable(TModelKind::Przm)) project.ExportPRZMRuns();
        if (options.MACRO && IsModelAvailable(TModelKind::Macro)) project.ExportMACRORuns();
        project.PrepareToxswa();
        if (options.Report) project.WriteReport();
        rebuild.Finish();
        dmKelvoADO->RefreshRuns();
    } catch (...) {
        // The rebuild has removed what this export wrote and put the previous export back.
        ShowCurrentException();
        ShowWarning(
            u"The export was not completed; the files written before the failure were removed from "_s +
            directory);
        return false;
    }
    ShowMessage(u"Saved all files at subdirectory "_s + directory);
    return true;
}
