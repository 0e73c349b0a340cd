#include "domain/ExportLookups.h"
#include "domain/ExportTransaction.h"
#include "domain/Project.h"
#include "domain/ProjectProgress.h"
#include "domain/Run.h"
#include "domain/RunApplication.h"
#include "store/DataModuleKelvoADO.h"

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Stream = u"focus_stream"_s;

// TOXSWA reads dates in the form the record sets store them.
QString DateText(const QDate& date) { return date.toString(u"yyyy-MM-ddT00:00:00"_s); }

void SetApplicationSchemeID(const QString& runId, int schemeId) {
    TQuery& update = dmKelvoADO->qryUpdate;
    update.setParam(0, schemeId);
    update.setParam(1, runId);
    update.execSql();
}

void WriteSimulationParameters(TConnection& db, const TRun& run) {
    QDate start;
    QDate end;
    run.SimulationPeriod(start, end);
    const QString latEntryFile = run.IsRunoff() ? run.PRZMOutputFileName() : run.MacroOutputFileName();
    // The run's row is edited when it exists, else added.
    db.Execute(u"INSERT INTO SimulationParameters (RunID, StartDate, EndDate, opLatEntryModel, nrOfHydrologyCurves, "
               u"LatEntryFile, ThicknessSedimentOutput) VALUES (?, ?, ?, 2, 1, ?, 0.05) ON CONFLICT (RunID) DO "
               u"UPDATE SET StartDate = excluded.StartDate, EndDate = excluded.EndDate, opLatEntryModel = 2, "
               u"nrOfHydrologyCurves = 1, LatEntryFile = excluded.LatEntryFile, ThicknessSedimentOutput = 0.05"_s,
               {run.RunID, DateText(start), DateText(end), latEntryFile});
}

// The applications of a scheme, all in one statement.
void WriteToxswaApplications(TConnection& db, const QVector<QVariantList>& rows) {
    if (rows.isEmpty()) return;
    QVariantList values;
    QStringList placeholders;
    for (const QVariantList& row : rows) {
        values << row;
        placeholders << u"(?, ?, ?, ?, ?, ?, 1, ?, ?)"_s;
    }
    db.Execute(u"INSERT INTO ToxswaApplications (SchemeID, ApplicationNr, Rate, CAM, Depi, Perc, SprayDrift, "
               u"PercOfRate, DriftDeposition) VALUES "_s +
                   placeholders.join(u", "_s),
               values);
}

void WriteScheme(const TRun& run, TExportLookups& lookups) {
    TConnection& db = dmKelvoADO->dbKelvoADO;
    const int scheme = run.ApplicationSchemeNumber();
    // Deleting the scheme deletes its applications with it.
    db.Execute(u"DELETE FROM ApplicationSchemes WHERE ApplicationSchemeID = ?"_s, {scheme});

    const bool pond = run.WaterbodyCode == u"focus_pond"_s;
    const bool stream = run.WaterbodyCode == Stream;
    const bool infiltration = run.LocationCode == u"R2"_s || run.LocationCode == u"R3"_s;
    const int endDistance = pond ? 30 : 100;
    db.Execute(u"INSERT INTO ApplicationSchemes (ApplicationSchemeID, Name, Locked, EndDistanceDrift, "
               u"EndDistanceLatEntry, RatioUpstreamBound, opInputUpstreamBound, RatioInfiltration, "
               u"ThicknessSedEroAdded) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"_s,
               {scheme, u"AppScheme_"_s + run.RunID, 1, endDistance, endDistance,
                stream ? QVariant(0.2) : QVariant(), stream ? QVariant(1) : QVariant(),
                infiltration ? QVariant(0.03) : QVariant(), 0.01});

    QVector<QVariantList> applications;
    for (int i = 1; i <= run.NumberOfApps; ++i) {
        const TRunApplication* application = run.GetApplication(i);
        if (!application) break;
        // Metabolites do not drift.
        double percOfRate = 0;
        if (!run.IsMetabolite()) {
            double massLoading = 0;
            lookups.DriftLoading(run, i, percOfRate, massLoading);
            if (stream) percOfRate *= 1.2;
        }
        applications.append({scheme, i, application->Rate, application->CAM, application->Depi, application->Perc,
                             percOfRate, percOfRate * application->Rate});
    }
    WriteToxswaApplications(db, applications);
}

} // namespace

void TProject::PrepareToxswa() {
    RegisterToxswaMap();
    PrepareToxswaRuns();
}

void TProject::PrepareToxswaRuns() {
    TProjectProgress progress(u"Preparing database for TOXSWA"_s, Runs->Count());
    TExportTransaction transaction(dmKelvoADO->dbKelvoADO);
    progress.Start();
    TExportLookups lookups;
    for (const TRun* run : Runs->Items<TRun>()) {
        progress.Step();
        WriteSimulationParameters(dmKelvoADO->dbKelvoADO, *run);
        // Inside the transaction nobody sees the run while its scheme is rewritten; when the rewriting
        // fails, the run keeps pointing to no scheme.
        try {
            WriteScheme(*run, lookups);
        } catch (...) {
            try {
                SetApplicationSchemeID(run->RunID, 0);
            } catch (...) {
                // the first error is the one the user sees
            }
            throw;
        }
        SetApplicationSchemeID(run->RunID, run->ApplicationSchemeNumber());
    }
    transaction.Commit();
}

void TProject::WriteApplicationScheme(const TRun& run) {
    TExportLookups lookups;
    WriteScheme(run, lookups);
}

