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
// Runs whose rows are written together, in a few statements.
constexpr int RunsPerStatement = 20;

// TOXSWA reads dates in the form the record sets store them.
QString DateText(const QDate& date) {
    return date.toString(u"yyyy-MM-ddT00:00:00"_s);
}

// "(?, ?, ...), (?, ?, ...)": the values of rows many rows of width columns.
QString Placeholders(qsizetype rows, int width) {
    const QString row = u'(' + QStringList(width, u"?"_s).join(u", "_s) + u')';
    return QStringList(rows, row).join(u", "_s);
}

// The rows one batch of runs writes into the four TOXSWA tables and the Runs table.
struct TBatch {
    QVariantList parameters;
    QVariantList schemeIds;
    QVariantList schemes;
    QVariantList applications;
    QVariantList runSchemes;

    void Add(const TRun& run, TExportLookups& lookups) {
        QDate start;
        QDate end;
        run.SimulationPeriod(start, end);
        parameters << run.RunID << DateText(start) << DateText(end)
                   << (run.IsRunoff() ? run.PRZMOutputFileName() : run.MacroOutputFileName());

        const int scheme = run.ApplicationSchemeNumber();
        const bool stream = run.WaterbodyCode == Stream;
        const bool infiltration = run.LocationCode == u"R2"_s || run.LocationCode == u"R3"_s;
        const int endDistance = run.WaterbodyCode == u"focus_pond"_s ? 30 : 100;
        schemeIds << scheme;
        schemes << scheme << u"AppScheme_"_s + run.RunID << endDistance << endDistance
                << (stream ? QVariant(0.2) : QVariant()) << (stream ? QVariant(1) : QVariant())
                << (infiltration ? QVariant(0.03) : QVariant());
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
            applications << scheme << i << application->Rate << application->CAM << application->Depi
                         << application->Perc << percOfRate << percOfRate * application->Rate;
        }
        runSchemes << run.RunID << scheme;
    }

    // The runs point to no scheme while their schemes are rewritten; inside the transaction nobody sees
    // that but a failure, which leaves them so.
    void Write(TConnection& db) const {
        if (schemeIds.isEmpty()) return;
        // A run's parameters are edited when they exist, else added.
        db.Execute(
            u"INSERT INTO SimulationParameters (RunID, StartDate, EndDate, LatEntryFile, opLatEntryModel, "
            u"nrOfHydrologyCurves, ThicknessSedimentOutput) SELECT column1, column2, column3, column4, 2, 1, "
            u"0.05 FROM (VALUES %1) WHERE true ON CONFLICT (RunID) DO UPDATE SET StartDate = "
            u"excluded.StartDate, EndDate = excluded.EndDate, opLatEntryModel = 2, nrOfHydrologyCurves = 1, "
            u"LatEntryFile = excluded.LatEntryFile, ThicknessSedimentOutput = 0.05"_s.arg(
                Placeholders(schemeIds.size(), 4)),
            parameters);
        const qsizetype runs = schemeIds.size();
        try {
            // Deleting a scheme deletes its applications with it.
            db.Execute(u"DELETE FROM ApplicationSchemes WHERE ApplicationSchemeID IN (%1)"_s.arg(
                           QStringList(runs, u"?"_s).join(u", "_s)),
                       schemeIds);
            db.Execute(
                u"INSERT INTO ApplicationSchemes (ApplicationSchemeID, Name, EndDistanceDrift, "
                u"EndDistanceLatEntry, RatioUpstreamBound, opInputUpstreamBound, RatioInfiltration, Locked, "
                u"ThicknessSedEroAdded) SELECT *, 1, 0.01 FROM (VALUES %1)"_s.arg(Placeholders(runs, 7)),
                schemes);
            if (!applications.isEmpty())
                db.Execute(u"INSERT INTO ToxswaApplications (SchemeID, ApplicationNr, Rate, CAM, Depi, Perc, "
                           u"PercOfRate, DriftDeposition, SprayDrift) SELECT *, 1 FROM (VALUES %1)"_s.arg(
                               Placeholders(applications.size() / 8, 8)),
                           applications);
        } catch (...) {
            try {
                SetSchemes(db, true);
            } catch (...) {
                // the first error is the one the user sees
            }
            throw;
        }
        SetSchemes(db, false);
    }

    void SetSchemes(TConnection& db, bool none) const {
        db.Execute(
            u"UPDATE Runs SET ApplicationSchemeID = %1 FROM (VALUES %2) AS v WHERE Runs.RunID = v.column1"_s
                .arg(none ? u"0"_s : u"v.column2"_s, Placeholders(runSchemes.size() / 2, 2)),
            runSchemes);
    }
};

} // namespace

// The map and the application schemes change together: a process killed between them leaves both old.
void TProject::PrepareToxswa() {
    TExportTransaction transaction(dmKelvoADO->dbKelvoADO);
    RegisterToxswaMap();
    PrepareToxswaRuns();
    transaction.Commit();
}

void TProject::PrepareToxswaRuns() {
    TProjectProgress progress(u"Preparing database for TOXSWA"_s, Runs->Count());
    TExportTransaction transaction(dmKelvoADO->dbKelvoADO);
    progress.Start();
    TExportLookups lookups;
    TBatch batch;
    for (const TRun* run : Runs->Items<TRun>()) {
        progress.Step();
        batch.Add(*run, lookups);
        if (batch.schemeIds.size() < RunsPerStatement) continue;
        batch.Write(dmKelvoADO->dbKelvoADO);
        batch = TBatch();
    }
    batch.Write(dmKelvoADO->dbKelvoADO);
    transaction.Commit();
}

void TProject::WriteApplicationScheme(const TRun& run) {
    TExportLookups lookups;
    TBatch batch;
    batch.Add(run, lookups);
    batch.Write(dmKelvoADO->dbKelvoADO);
}
