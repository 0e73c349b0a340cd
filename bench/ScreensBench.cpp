// The runs editor and the project browser against the raw SQLite reads and writes of the same rows, in
// the same run.
// Runs editor on the largest project, goal ratio <= 2 each: opening it (the runs of the project, the
// applications of the first run, the crops); moving from the first run to the last (the applications of
// every run); posting one edit of the application window that spreads to the related runs (reading and
// updating those runs).
// Project browser with 1 and 200 such projects: opening it and moving through every project, per
// project; goal: the time per project with 200 at most 1.5 times the time with one.

#include "BenchInstallation.h"
#include "BenchTiming.h"
#include "store/DataModuleKelvoADO.h"
#include "store/Locate.h"
#include "ui/screens/Main.h"
#include "ui/screens/Runs.h"

#include <QApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>
#include <benchmark/benchmark.h>
#include <chrono>

using namespace Qt::Literals::StringLiterals;

namespace {

// A raw connection to the same file, for the baselines.
class TRaw {
public:
    explicit TRaw(const QString& file) {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"raw"_s);
        db.setDatabaseName(file);
        db.open();
    }
    ~TRaw() { QSqlDatabase::removeDatabase(u"raw"_s); }
    QSqlDatabase db() const { return QSqlDatabase::database(u"raw"_s); }
};

// The largest project, listed and current, as the project browser leaves it for the runs editor.
struct TRunsWorld {
    TBenchInstallation installation;
    int projectId = 0;

    TRunsWorld() {
        installation.CreateLargestProject(u"LARGEST"_s);
        TdmKelvoADO& dm = *installation.dm;
        dm.OpenProjects();
        dm.OpenRuns();
        dm.qryProjects.first();
        dm.RefreshRuns();
        projectId = dm.qryProjects.fieldByName(u"ProjectID"_s).asInteger();
    }
    static TRunsWorld& Get() {
        static TRunsWorld world;
        return world;
    }
};

std::unique_ptr<TfrmRuns> OpenRuns() {
    auto runs = std::make_unique<TfrmRuns>();
    runs->show();
    QApplication::processEvents();
    return runs;
}

void BM_RunsEditorOpen(benchmark::State& state) {
    TRunsWorld& world = TRunsWorld::Get();
    TRaw raw(world.installation.dm->dbKelvoADO.FileName());
    QSqlDatabase db = raw.db();
    double seconds = 0;
    double baseline = 0;
    for (auto _ : state) {
        auto start = TClock::now();
        auto runs = OpenRuns();
        const double s = Seconds(start);
        state.SetIterationTime(s);
        seconds += s;
        runs->reject();
        runs.reset();

        start = TClock::now();
        db.transaction();
        const QStringList ids =
            SelectColumn(db, u"SELECT RunID FROM Runs WHERE ProjectID = ? ORDER BY VolgNr"_s, {world.projectId});
        SelectText(db, u"SELECT * FROM Runs WHERE ProjectID = ? ORDER BY VolgNr"_s, {world.projectId});
        SelectText(db, u"SELECT * FROM Applications WHERE RunID = ?"_s, {ids.value(0)});
        SelectText(db, u"SELECT * FROM Crops"_s);
        db.rollback();
        baseline += Seconds(start);
    }
    state.counters["ratio"] = seconds / baseline;
}

void BM_RunsEditorMoveFirstToLast(benchmark::State& state) {
    TRunsWorld& world = TRunsWorld::Get();
    TRaw raw(world.installation.dm->dbKelvoADO.FileName());
    QSqlDatabase db = raw.db();
    auto runs = OpenRuns();
    auto* grid = runs->findChild<QTableView*>(u"grdRuns"_s);
    const int rows = grid->model()->rowCount();
    double seconds = 0;
    double baseline = 0;
    for (auto _ : state) {
        grid->setCurrentIndex(grid->model()->index(0, TfrmRuns::ColMethod));
        auto start = TClock::now();
        for (int row = 1; row < rows; ++row)
            grid->setCurrentIndex(grid->model()->index(row, TfrmRuns::ColMethod));
        const double s = Seconds(start);
        state.SetIterationTime(s);
        seconds += s;

        start = TClock::now();
        const QStringList ids =
            SelectColumn(db, u"SELECT RunID FROM Runs WHERE ProjectID = ? ORDER BY VolgNr"_s, {world.projectId});
        for (int row = 1; row < ids.size(); ++row) {
            SelectText(db, u"SELECT * FROM Runs WHERE RunID = ?"_s, {ids[row]});
            SelectText(db, u"SELECT * FROM Applications WHERE RunID = ?"_s, {ids[row]});
        }
        baseline += Seconds(start);
    }
    runs->reject();
    state.counters["runs"] = rows;
    state.counters["ratio"] = seconds / baseline;
}

// The last day of the first parent run moves by one day and back; the rules spread it to the runs of
// the same number.
void BM_RunsEditorPostSpreading(benchmark::State& state) {
    TRunsWorld& world = TRunsWorld::Get();
    TdmKelvoADO& dm = *world.installation.dm;
    auto runs = OpenRuns();
    TTable& table = dm.tblRuns;
    table.first();
    const QString runId = table.fieldByName(u"RunID"_s).asString();
    const QString number = runId.left(5);
    double seconds = 0;
    double baseline = 0;
    int delta = 1;
    int related = 0;
    TConnection& db = dm.dbKelvoADO;
    for (auto _ : state) {
        LocateByTextKeys(table, {runId}, 1);
        auto start = TClock::now();
        table.edit();
        TField& last = table.fieldByName(u"LastDayYrApp"_s);
        last.setAsInteger(last.asInteger() + delta);
        table.post();
        const double s = Seconds(start);
        state.SetIterationTime(s);
        seconds += s;
        delta = -delta;

        // The same reads and writes on the connection of the editor's transaction.
        start = TClock::now();
        const TSqlResult rows =
            db.Select(u"SELECT RunID, LastDayYrApp FROM Runs WHERE RunID LIKE ?"_s, {number + u"%"_s});
        related = static_cast<int>(rows.rows.size());
        for (const TSqlRow& row : rows.rows) {
            db.Execute(u"UPDATE Runs SET LastDayYrApp = ? WHERE RunID = ?"_s, {row[1].toInt(), row[0]});
            db.Select(u"SELECT * FROM Applications WHERE RunID = ?"_s, {row[0]});
        }
        db.Select(u"SELECT * FROM Runs WHERE ProjectID = ?"_s, {world.projectId});
        baseline += Seconds(start);
    }
    runs->reject();
    state.counters["related_runs"] = related;
    state.counters["ratio"] = seconds / baseline;
}

BENCHMARK(BM_RunsEditorOpen)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunsEditorMoveFirstToLast)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunsEditorPostSpreading)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

// Opening the browser and moving through every project, per project, with 1 or 200 largest projects.
double perProjectWithOne = 0;

void BM_BrowserThroughProjects(benchmark::State& state) {
    const int projects = static_cast<int>(state.range(0));
    TBenchInstallation installation;
    installation.CreateLargestProject(u"LARGEST"_s);
    installation.CopyFirstProjectUntil(projects);
    double seconds = 0;
    int listed = 0;
    for (auto _ : state) {
        const auto start = TClock::now();
        {
            TfrmMain browser;
            browser.show();
            QApplication::processEvents();
            auto* grid = browser.findChild<QTableView*>(u"grdProjects"_s);
            listed = grid->model()->rowCount();
            for (int row = 0; row < listed; ++row)
                grid->setCurrentIndex(grid->model()->index(row, 0));
            browser.reject();
        }
        const double s = Seconds(start);
        state.SetIterationTime(s);
        seconds += s;
    }
    const double perProject = seconds / static_cast<double>(state.iterations()) / std::max(listed, 1);
    if (projects == 1) perProjectWithOne = perProject;
    state.counters["projects"] = listed;
    state.counters["ms_per_project"] = perProject * 1000;
    if (perProjectWithOne > 0) state.counters["ratio"] = perProject / perProjectWithOne;
}

BENCHMARK(BM_BrowserThroughProjects)
    ->Arg(1)
    ->Arg(200)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

} // namespace
