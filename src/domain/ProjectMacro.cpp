#include "domain/ExportLookups.h"
#include "domain/ExportTransaction.h"
#include "domain/Project.h"
#include "domain/ProjectProgress.h"
#include "domain/Run.h"
#include "domain/RunApplication.h"
#include "export/DataModuleMacroADO.h"
#include "export/MacroConnection.h"
#include "foundation/Errors.h"
#include "store/DataModuleKelvoADO.h"

#include <QDir>

using namespace Qt::Literals::StringLiterals;

namespace {

// The "run" and "applications" rows are found on their leading fields, the keys of those tables: a
// row found is edited, otherwise one is added.
void WriteMacroApplications(const TRun& run) {
    TConnection& db = dmMacroADO->dbMacroADO;
    for (int i = 1; i <= run.NumberOfApps; ++i) {
        // A run always carries its applications 1..NumberOfApps; a missing one is not exported.
        const TRunApplication* application = run.GetApplication(i);
        if (!application) break;
        db.Execute(u"INSERT INTO applications (RunID, ApplicationNr, Dose) VALUES (?, ?, ?) "
                   u"ON CONFLICT (RunID, ApplicationNr) DO UPDATE SET Dose = excluded.Dose"_s,
                   {run.RunNumber(), i, application->Rate * 1000.0}); // Dose in g/ha
    }
}

void WriteMacroRun(const TProject& project, const TRun& run, int applicationMethodIndex,
                   TExportLookups& lookups) {
    const QString folder = project.Path + u"/MACRO/"_s + lookups.CropFolderName(run);
    if (!QDir(folder).exists()) QDir().mkdir(folder);
    dmMacroADO->dbMacroADO.Execute(
        u"INSERT INTO run (runid, first_day, last_day, num_apps, min_int, app_method, compound, cropname, "
        u"text_info, location, pathinout, projectname, projectID) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
        u"?, ?) "
        u"ON CONFLICT (runid) DO UPDATE SET first_day = excluded.first_day, last_day = excluded.last_day, "
        u"num_apps = excluded.num_apps, min_int = excluded.min_int, app_method = excluded.app_method, "
        u"compound = excluded.compound, cropname = excluded.cropname, text_info = excluded.text_info, "
        u"location = excluded.location, pathinout = excluded.pathinout, projectname = excluded.projectname, "
        u"projectID = excluded.projectID"_s,
        {run.RunNumber(), run.FirstDayYrApp, run.LastDayYrApp, run.NumberOfApps, run.MinIntervalApps,
         applicationMethodIndex, run.SubstanceCode, lookups.MacroCropName(run),
         project.Description.isEmpty() ? project.Name : project.Description, run.LocationCode, folder,
         project.Name, project.ProjectID});
    WriteMacroApplications(run);
}

} // namespace

void TProject::ExportMACRORuns() const {
    const TMacroConnection connection;
    const QStringList methods = dmKelvoADO->ApplicationMethodList(-1);
    TProjectProgress progress(u"Updating MACRO database"_s, Runs->Count());
    progress.Start();
    TExportTransaction transaction(dmMacroADO->dbMacroADO);
    dmMacroADO->RemoveProjectRuns(Name);
    // Runs computed together share a number and stand together: the first selected one speaks for all.
    TExportLookups lookups;
    int lastExported = 0;
    for (const TRun* run : Runs->Items<TRun>()) {
        progress.Step();
        if (run->IsRunoff() || !run->Selected || run->RunNumber() == lastExported) continue;
        WriteMacroRun(*this, *run, static_cast<int>(methods.indexOf(run->AppMethod)), lookups);
        lastExported = run->RunNumber();
    }
    transaction.Commit();
}

void TProject::ExportMACRORun(const TRun& run, int applicationMethodIndex) const {
    TExportLookups lookups;
    WriteMacroRun(*this, run, applicationMethodIndex, lookups);
}

void TProject::ExportMACROApplications(const TRun& run) const {
    WriteMacroApplications(run);
}
