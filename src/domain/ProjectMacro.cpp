#include "domain/ExportTransaction.h"
#include "domain/Project.h"
#include "domain/ProjectProgress.h"
#include "domain/Run.h"
#include "domain/RunApplication.h"
#include "export/DataModuleMacroADO.h"
#include "foundation/Errors.h"
#include "store/DataModuleKelvoADO.h"

#include <QDir>

using namespace Qt::Literals::StringLiterals;

namespace {

// Opens the MACRO database for the export when it is closed, and closes it again afterwards.
class TMacroConnection {
public:
    TMacroConnection() {
        if (!dmMacroADO) throw EKelvoError(u"Unable to open MACRO database"_s);
        if (dmMacroADO->dbMacroADO.IsOpen()) return;
        if (!dmMacroADO->OpenMacroDatabase()) Abort(); // the reason was shown
        m_opened = true;
    }
    ~TMacroConnection() {
        if (m_opened) dmMacroADO->CloseMacroDatabase();
    }
    TMacroConnection(const TMacroConnection&) = delete;
    TMacroConnection& operator=(const TMacroConnection&) = delete;

private:
    bool m_opened = false;
};

} // namespace

void TProject::ExportMACRORuns() const {
    const TMacroConnection connection;
    const QStringList methods = dmKelvoADO->ApplicationMethodList(-1);
    TProjectProgress progress(u"Updating MACRO database"_s, Runs->Count());
    progress.Start();
    TExportTransaction transaction(dmMacroADO->dbMacroADO);
    dmMacroADO->RemoveProjectRuns(Name);
    // Runs computed together share a number and stand together: the first selected one speaks for all.
    int lastExported = 0;
    for (const TRun* run : Runs->Items<TRun>()) {
        progress.Step();
        if (run->IsRunoff() || !run->Selected || run->RunNumber() == lastExported) continue;
        ExportMACRORun(*run, static_cast<int>(methods.indexOf(run->AppMethod)));
        lastExported = run->RunNumber();
    }
    transaction.Commit();
}

void TProject::ExportMACRORun(const TRun& run, int applicationMethodIndex) const {
    const QString folder = Path + u"/MACRO/"_s + run.CropFolderName();
    if (!QDir(folder).exists()) QDir().mkdir(folder);
    const QVariantList values{run.FirstDayYrApp,
                              run.LastDayYrApp,
                              run.NumberOfApps,
                              run.MinIntervalApps,
                              applicationMethodIndex,
                              run.SubstanceCode,
                              run.MacroCropName(),
                              Description.isEmpty() ? Name : Description,
                              run.LocationCode,
                              folder,
                              Name,
                              ProjectID,
                              run.RunNumber()};
    TConnection& db = dmMacroADO->dbMacroADO;
    if (db.Execute(u"UPDATE run SET first_day = ?, last_day = ?, num_apps = ?, min_int = ?, app_method = ?, "
                   u"compound = ?, cropname = ?, text_info = ?, location = ?, pathinout = ?, projectname = ?, "
                   u"projectID = ? WHERE runid = ?"_s,
                   values) == 0)
        db.Execute(u"INSERT INTO run (first_day, last_day, num_apps, min_int, app_method, compound, cropname, "
                   u"text_info, location, pathinout, projectname, projectID, runid) "
                   u"VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s,
                   values);
    ExportMACROApplications(run);
}

void TProject::ExportMACROApplications(const TRun& run) const {
    TConnection& db = dmMacroADO->dbMacroADO;
    for (int i = 1; i <= run.NumberOfApps; ++i) {
        // A run always carries its applications 1..NumberOfApps; a missing one is not exported.
        const TRunApplication* application = run.GetApplication(i);
        if (!application) break;
        const QVariantList values{application->Rate * 1000.0, run.RunNumber(), i}; // Dose in g/ha
        if (db.Execute(u"UPDATE applications SET Dose = ? WHERE RunID = ? AND ApplicationNr = ?"_s, values) == 0)
            db.Execute(u"INSERT INTO applications (Dose, RunID, ApplicationNr) VALUES (?, ?, ?)"_s, values);
    }
}
