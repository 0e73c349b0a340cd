// The export of the largest user-defined project, step by step, against a baseline doing the same I/O
// in the same run: prepared-statement inserts of the same number of rows into the same SQLite file in
// one transaction, and the same bytes written to the same number of files. Goal: ratio <= 3 per step.
// And the posting of one run edit with 200 such projects against one project. Goal: ratio <= 1.5.
// And the whole export with every drift run mitigated (Step 4) against without. Goal: ratio <= 1.1.

#include "BenchInstallation.h"
#include "BenchTiming.h"
#include "domain/Project.h"
#include "domain/ProjectExport.h"
#include "domain/Run.h"
#include "export/DataModuleMacroADO.h"
#include "store/DataModuleKelvoADO.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <benchmark/benchmark.h>
#include <chrono>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

// What one step wrote: rows per database file, and files with their sizes.
struct TOutput {
    QVector<std::pair<QString, int>> rows;
    QVector<qint64> files;
};

QVector<qint64> FileSizes(const QString& directory, const QStringList& names) {
    QVector<qint64> sizes;
    QDirIterator it(directory, names, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        sizes << QFileInfo(it.next()).size();
    return sizes;
}

// Inserts the rows into each file in one transaction with one prepared statement, and writes the files.
double Baseline(const TOutput& output, const QString& scratch) {
    const auto start = TClock::now();
    for (const auto& [file, rows] : output.rows) {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"baseline"_s);
        db.setDatabaseName(file);
        db.open();
        QSqlQuery(db).exec(u"PRAGMA journal_mode = WAL"_s);
        QSqlQuery(db).exec(
            u"CREATE TABLE IF NOT EXISTS Baseline (a INTEGER, b TEXT, c REAL, d REAL, e TEXT)"_s);
        db.transaction();
        {
            QSqlQuery insert(db);
            insert.prepare(u"INSERT INTO Baseline VALUES (?, ?, ?, ?, ?)"_s);
            for (int i = 0; i < rows; ++i) {
                insert.bindValue(0, i);
                insert.bindValue(1, u"00012d_pa"_s);
                insert.bindValue(2, i * 0.5);
                insert.bindValue(3, 1.2);
                insert.bindValue(4, u"Foliar, linear"_s);
                insert.exec();
            }
        }
        db.commit();
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(u"baseline"_s);
    }
    int n = 0;
    for (qint64 size : output.files) {
        QFile file(scratch + u"/file%1.txt"_s.arg(n++));
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray(size, 'x'));
    }
    const double seconds = Seconds(start);
    for (const auto& [file, rows] : output.rows) {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"baseline"_s);
        db.setDatabaseName(file);
        db.open();
        QSqlQuery(db).exec(u"DROP TABLE Baseline"_s);
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(u"baseline"_s);
    }
    QDir(scratch).removeRecursively();
    QDir().mkpath(scratch);
    return seconds;
}

// The largest project, made once for the export benchmarks.
struct TExportWorld {
    TBenchInstallation installation;
    int runs = 0;
    std::unique_ptr<TProject> project;

    TExportWorld() {
        runs = installation.CreateLargestProject(u"LARGEST"_s);
        project = installation.LoadProject(u"LARGEST"_s);
    }
    static TExportWorld& Get() {
        static TExportWorld world;
        return world;
    }
    int Count(TConnection& db, const QString& sql) { return db.Select(sql).rows[0][0].toInt(); }

    TOutput Output(const QString& step) {
        TConnection& scenario = installation.dm->dbKelvoADO;
        const QString scenarioFile = scenario.FileName();
        const QString macroFile = installation.macro->DatabasePath();
        TOutput output;
        if (step == u"przm"_s || step == u"export"_s)
            output.files << FileSizes(project->Path + u"/PRZM"_s, {u"przm.pzm"_s});
        if (step == u"report"_s || step == u"export"_s)
            output.files << FileSizes(project->Path, {u"*_report.txt"_s});
        if (step == u"toxswa"_s || step == u"export"_s)
            output.rows.append(
                {scenarioFile, 2 + Count(scenario, u"SELECT count(*) FROM SimulationParameters"_s) +
                                   Count(scenario, u"SELECT count(*) FROM ApplicationSchemes"_s) +
                                   Count(scenario, u"SELECT count(*) FROM ToxswaApplications"_s)});
        if (step == u"macro"_s || step == u"export"_s) {
            installation.macro->OpenMacroDatabase();
            TConnection& macro = installation.macro->dbMacroADO;
            output.rows.append({macroFile, Count(macro, u"SELECT count(*) FROM run"_s) +
                                               Count(macro, u"SELECT count(*) FROM applications"_s)});
            installation.macro->CloseMacroDatabase();
        }
        return output;
    }
};

void ExportStep(benchmark::State& state, const QString& step, const std::function<void(TProject&)>& run) {
    TExportWorld& world = TExportWorld::Get();
    TProject& project = *world.project;
    const QString scratch = world.installation.Dir() + u"scratch"_s;
    QDir().mkpath(scratch);
    double stepSeconds = 0;
    double baselineSeconds = 0;
    TOutput output;
    for (auto _ : state) {
        project.DeleteProjectDirectory();
        project.CreateDirectories();
        const auto start = TClock::now();
        run(project);
        const double seconds = Seconds(start);
        state.SetIterationTime(seconds);
        stepSeconds += seconds;
        output = world.Output(step);
        baselineSeconds += Baseline(output, scratch);
    }
    int rows = 0;
    for (const auto& r : output.rows)
        rows += r.second;
    qint64 bytes = 0;
    for (qint64 size : output.files)
        bytes += size;
    state.counters["runs"] = world.runs;
    state.counters["rows"] = rows;
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["ratio"] = stepSeconds / baselineSeconds;
}

// The whole export, alternately without and with a Step 4 mitigation on every drift run.
void BM_ExportAllMitigated(benchmark::State& state) {
    TExportWorld& world = TExportWorld::Get();
    TProject& project = *world.project;
    const auto mitigate = [&project](const TMitigation& mitigation) {
        for (TRun* run : project.Runs->Items<TRun>())
            if (!run->IsMetabolite()) run->Mitigation = mitigation;
    };
    const auto exportOnce = [&project] {
        project.DeleteProjectDirectory();
        project.CreateDirectories();
        const auto start = TClock::now();
        ExportProject(project, {});
        return Seconds(start);
    };
    double step3 = 0;
    double step4 = 0;
    for (auto _ : state) {
        mitigate({});
        step3 += exportOnce();
        mitigate({20.0, 75});
        const double seconds = exportOnce();
        step4 += seconds;
        state.SetIterationTime(seconds);
    }
    mitigate({});
    state.counters["runs"] = world.runs;
    state.counters["ratio"] = step4 / step3;
}

void BM_ExportPRZM(benchmark::State& state) {
    ExportStep(state, u"przm"_s, [](TProject& p) { p.ExportPRZMRuns(); });
}
void BM_ExportMACRO(benchmark::State& state) {
    ExportStep(state, u"macro"_s, [](TProject& p) { p.ExportMACRORuns(); });
}
void BM_PrepareToxswa(benchmark::State& state) {
    ExportStep(state, u"toxswa"_s, [](TProject& p) { p.PrepareToxswa(); });
}
void BM_WriteReport(benchmark::State& state) {
    ExportStep(state, u"report"_s, [](TProject& p) { p.WriteReport(); });
}
void BM_ExportAll(benchmark::State& state) {
    ExportStep(state, u"export"_s, [](TProject& p) { ExportProject(p, {}); });
}

BENCHMARK(BM_ExportPRZM)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportMACRO)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrepareToxswa)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteReport)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportAll)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportAllMitigated)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// Posting one run edit through the runs editor's record set, with 1 or 200 largest projects stored.
double postSecondsWithOneProject = 0;

void BM_PostRunEdit(benchmark::State& state) {
    const int projects = static_cast<int>(state.range(0));
    TBenchInstallation installation;
    installation.CreateLargestProject(u"LARGEST"_s);
    installation.CopyFirstProjectUntil(projects);
    TdmKelvoADO& dm = *installation.dm;
    dm.OpenProjects();
    dm.OpenRuns();
    dm.qryProjects.first();
    TTable& runs = dm.tblRuns;
    int delta = 1;
    double seconds = 0;
    for (auto _ : state) {
        runs.first();
        const auto start = TClock::now();
        runs.edit();
        runs.fieldByName(u"LastDayYrApp"_s)
            .setAsInteger(runs.fieldByName(u"LastDayYrApp"_s).asInteger() + delta);
        runs.post();
        const double s = Seconds(start);
        state.SetIterationTime(s);
        seconds += s;
        delta = -delta;
    }
    const double perPost = seconds / static_cast<double>(state.iterations());
    if (projects == 1) postSecondsWithOneProject = perPost;
    state.counters["projects"] = projects;
    state.counters["stored_runs"] =
        dm.dbKelvoADO.Select(u"SELECT count(*) FROM Runs"_s).rows[0][0].toDouble();
    if (postSecondsWithOneProject > 0) state.counters["ratio"] = perPost / postSecondsWithOneProject;
}

BENCHMARK(BM_PostRunEdit)->Arg(1)->Arg(200)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
