// The runs grid over the runs of the largest user-defined project, against a raw QSqlQuery reading the
// same rows and columns in the same run. Goal: ratio <= 2.
// - fill: every cell of the grid as a view asks for it (display text of every row and column);
//   baseline: the same columns of the same runs selected and each value taken as text.
// - reload and fill: the runs reloaded into the grid (the same rows: a change of values), then every cell;
//   baseline: the columns the record set loads (row identity and every field) selected and each value
//   taken as text.
// - move: the grid's current row moved from the first run to the last, one row at a time, each move
//   loading the run's applications; baseline: the applications of each run selected and read.

#include "BenchInstallation.h"
#include "BenchTiming.h"
#include "store/DataModuleKelvoADO.h"
#include "ui/models/RecordSetModel.h"

#include <QApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <benchmark/benchmark.h>
#include <chrono>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

const QStringList RunColumns = {
    u"RunID"_s,         u"LocationCode"_s,       u"CropCode"_s,     u"CropNr"_s,
    u"WaterbodyCode"_s, u"AppMethod"_s,          u"NumberOfApps"_s, u"FirstDayYrAppJulian"_s,
    u"FirstDayYrApp"_s, u"LastDayYrAppJulian"_s, u"LastDayYrApp"_s, u"MinIntervalApps"_s};

// The largest project with its runs open in a grid, and a raw connection to the same file.
struct TGridWorld {
    TBenchInstallation installation;
    int projectId = 0;
    std::unique_ptr<TRecordSetModel> model;
    QTableView view;
    QSqlDatabase raw;

    TGridWorld() {
        installation.CreateLargestProject(u"LARGEST"_s);
        TdmKelvoADO& dm = *installation.dm;
        dm.OpenProjects();
        dm.OpenRuns();
        dm.qryProjects.first();
        projectId = dm.qryProjects.fieldByName(u"ProjectID"_s).asInteger();
        model = std::make_unique<TRecordSetModel>(dm.tblRuns, RunColumns);
        model->bindView(&view);
        for (int row = 0; row < dm.tblRuns.rowCount(); ++row)
            runIds << dm.tblRuns.valueAt(row, dm.tblRuns.fieldByName(u"RunID"_s).index()).toString();
        raw = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"raw"_s);
        raw.setDatabaseName(dm.dbKelvoADO.FileName());
        raw.open();
    }
    ~TGridWorld() {
        raw.close();
        raw = QSqlDatabase();
        QSqlDatabase::removeDatabase(u"raw"_s);
    }
    static TGridWorld& Get() {
        static TGridWorld world;
        return world;
    }

    // Every cell's display text, as a view painting the whole grid asks for it.
    qint64 Fill() const {
        qint64 characters = 0;
        for (int row = 0; row < model->rowCount(); ++row)
            for (int column = 0; column < model->columnCount(); ++column)
                characters += model->index(row, column).data().toString().size();
        return characters;
    }

    // The columns the record set loads for a reload: the row identity and every field.
    qint64 BaselineReload() {
        TRecordSet& runs = installation.dm->tblRuns;
        QSqlQuery query(raw);
        query.prepare(u"SELECT rowid, "_s + runs.fieldNames().join(u", "_s) +
                      u" FROM Runs WHERE ProjectID = ? ORDER BY ProjectID, RunID"_s);
        query.addBindValue(projectId);
        query.exec();
        qint64 characters = 0;
        while (query.next())
            for (int column = 0; column <= runs.fieldCount(); ++column)
                characters += query.value(column).toString().size();
        return characters;
    }

    qint64 BaselineRuns() {
        QSqlQuery query(raw);
        query.prepare(u"SELECT "_s + RunColumns.join(u", "_s) +
                      u" FROM Runs WHERE ProjectID = ? ORDER BY ProjectID, RunID"_s);
        query.addBindValue(projectId);
        query.exec();
        qint64 characters = 0;
        while (query.next())
            for (int column = 0; column < RunColumns.size(); ++column)
                characters += query.value(column).toString().size();
        return characters;
    }

    // The applications of every run, as the moves load them.
    qint64 BaselineApplications() {
        QSqlQuery applications(raw);
        applications.prepare(
            u"SELECT ApplicationNr, RunID, Rate, CAM, Depi, Perc FROM Applications WHERE RunID = ? ORDER BY RunID"_s);
        qint64 values = 0;
        for (const QString& id : runIds) {
            applications.addBindValue(id);
            applications.exec();
            while (applications.next())
                for (int column = 0; column < 6; ++column)
                    values += applications.value(column).isNull() ? 0 : 1;
        }
        return values;
    }

    QStringList runIds;
};

void Compare(benchmark::State& state, const std::function<void()>& measured,
             const std::function<double()>& baseline) {
    double seconds = 0;
    double baselineSeconds = 0;
    for (auto _ : state) {
        const auto start = TClock::now();
        measured();
        const double s = Seconds(start);
        state.SetIterationTime(s);
        seconds += s;
        baselineSeconds += baseline();
    }
    TGridWorld& world = TGridWorld::Get();
    state.counters["runs"] = world.model->rowCount();
    state.counters["cells"] = world.model->rowCount() * world.model->columnCount();
    state.counters["ratio"] = seconds / baselineSeconds;
}

double Timed(const std::function<qint64()>& baseline) {
    const auto start = TClock::now();
    benchmark::DoNotOptimize(baseline());
    return Seconds(start);
}

double TimedBaselineRuns() {
    return Timed([] { return TGridWorld::Get().BaselineRuns(); });
}

void BM_GridFill(benchmark::State& state) {
    TGridWorld& world = TGridWorld::Get();
    Compare(
        state, [&world] { benchmark::DoNotOptimize(world.Fill()); }, TimedBaselineRuns);
}

void BM_GridReloadAndFill(benchmark::State& state) {
    TGridWorld& world = TGridWorld::Get();
    Compare(
        state,
        [&world] {
            world.installation.dm->tblRuns.refresh();
            benchmark::DoNotOptimize(world.Fill());
        },
        [&world] { return Timed([&world] { return world.BaselineReload(); }); });
}

void BM_GridMoveFirstToLast(benchmark::State& state) {
    TGridWorld& world = TGridWorld::Get();
    Compare(
        state,
        [&world] {
            world.view.setCurrentIndex(world.model->index(0, 6));
            for (int row = 1; row < world.model->rowCount(); ++row)
                world.view.setCurrentIndex(world.model->index(row, 6));
            if (world.installation.dm->tblRuns.currentRow() != world.model->rowCount() - 1)
                throw std::runtime_error("the record set did not follow the grid");
        },
        [&world] { return Timed([&world] { return world.BaselineApplications(); }); });
}

BENCHMARK(BM_GridFill)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridReloadAndFill)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridMoveFirstToLast)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace
