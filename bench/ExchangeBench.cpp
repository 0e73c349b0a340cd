// Importing 2,000 substances against the raw inserts of the same rows in one transaction (goal: ratio
// <= 2), and archiving plus restoring the largest project against copying its rows and files raw (goal:
// ratio <= 3).

#include "BenchInstallation.h"
#include "BenchTiming.h"
#include "domain/Project.h"
#include "domain/ProjectArchive.h"
#include "domain/ProjectExport.h"
#include "domain/SubstanceExchangeFormat.h"
#include "domain/SubstanceImport.h"
#include "store/DataModuleKelvoADO.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <benchmark/benchmark.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Substances = 2000;

// Each measured part starts from an empty write-ahead log, so that neither pays for a checkpoint the
// other's writes made due.
void Checkpoint(TConnection& db) {
    db.Execute(u"PRAGMA wal_checkpoint(TRUNCATE)"_s);
}

// The file: BENCH_P's values under 2,000 new codes, as non-parents (no scheme to link).
QByteArray LibraryFile(TdmKelvoADO& dm) {
    const QString one = QString::fromUtf8(ExportSubstances(dm, {u"BENCH_M1"_s}, TSubstanceFileFormat::Csv));
    const QStringList lines = one.split(u'\n', Qt::SkipEmptyParts);
    QString text = lines[0] + u'\n' + lines[1] + u'\n';
    const QString row = lines[2].section(u',', 1);
    for (int i = 0; i < Substances; ++i)
        text += u"IMP%1,"_s.arg(i, 5, 10, QChar(u'0')) + row + u'\n';
    return text.toUtf8();
}

// The same rows inserted by position with one prepared statement per table, in one transaction.
double RawInserts(TdmKelvoADO& dm) {
    TConnection& db = dm.dbKelvoADO;
    QVector<TSqlResult> sources;
    const QStringList tables = {u"Substances"_s, u"Substance_Macro"_s, u"Substance_PRZM"_s};
    for (const QString& table : tables)
        sources << db.Select(u"SELECT * FROM %1 WHERE SubstanceCode = 'BENCH_M1'"_s.arg(table));
    Checkpoint(db);
    const auto start = TClock::now();
    db.BeginTrans();
    for (qsizetype t = 0; t < tables.size(); ++t) {
        const QString sql = u"INSERT INTO %1 VALUES (%2)"_s.arg(
            tables[t], QStringList(sources[t].columns.size(), u"?"_s).join(u','));
        for (int i = 0; i < Substances; ++i) {
            QVariantList row = sources[t].rows[0];
            row[0] = u"RAW%1"_s.arg(i, 5, 10, QChar(u'0'));
            db.Execute(sql, row);
        }
    }
    db.CommitTrans();
    const double seconds = Seconds(start);
    db.Execute(u"DELETE FROM Substances WHERE SubstanceCode LIKE 'RAW%'"_s);
    return seconds;
}

void BM_ImportSubstances(benchmark::State& state) {
    TBenchInstallation world;
    const TSubstanceFile file = ReadSubstanceFile(LibraryFile(*world.dm), u"bench.csv"_s);
    double import = 0, raw = 0;
    for (auto _ : state) {
        Checkpoint(world.dm->dbKelvoADO);
        const auto start = TClock::now();
        ImportSubstances(*world.dm, file, {});
        const double seconds = Seconds(start);
        state.SetIterationTime(seconds);
        import += seconds;
        world.dm->dbKelvoADO.Execute(u"DELETE FROM Substances WHERE SubstanceCode LIKE 'IMP%'"_s);
        raw += RawInserts(*world.dm);
    }
    state.counters["substances"] = Substances;
    state.counters["ratio"] = import / raw;
}

// Copies every file below the directory into the target.
void CopyFiles(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + u'/' + QDir(from).relativeFilePath(file);
        QDir().mkpath(QFileInfo(target).path());
        QFile::copy(file, target);
    }
}

// The project's rows copied table by table with INSERT ... SELECT, and its files copied.
double RawCopy(TdmKelvoADO& dm, int projectId, const QString& directory, const QString& scratch) {
    TConnection& db = dm.dbKelvoADO;
    const QString id = QString::number(projectId);
    Checkpoint(db);
    const auto start = TClock::now();
    db.BeginTrans();
    db.Execute(u"INSERT INTO Projects SELECT 999, 'raw copy', Description, Path, SubstanceCode, CreationDate, "
               u"ModificationDate FROM Projects WHERE ProjectID = "_s + id);
    for (const QString& table : {u"Runs"_s, u"Applications"_s, u"SimulationParameters"_s}) {
        db.Execute(u"CREATE TEMP TABLE Copy AS SELECT * FROM %1 WHERE %2"_s.arg(
            table, table == u"Runs"_s ? u"ProjectID = "_s + id : u"RunID IN (SELECT RunID FROM Runs WHERE ProjectID = "_s + id + u')'));
        db.Execute(u"UPDATE Copy SET RunID = 'X' || RunID"_s);
        if (table == u"Runs"_s) db.Execute(u"UPDATE Copy SET ProjectID = 999"_s);
        db.Execute(u"INSERT INTO %1 SELECT * FROM Copy"_s.arg(table));
        db.Execute(u"DROP TABLE Copy"_s);
    }
    db.CommitTrans();
    CopyFiles(directory, scratch);
    const double seconds = Seconds(start);
    db.Execute(u"DELETE FROM Projects WHERE ProjectID = 999"_s);
    db.Execute(u"DELETE FROM SimulationParameters WHERE RunID LIKE 'X%'"_s);
    QDir(scratch).removeRecursively();
    return seconds;
}

void BM_ArchiveAndRestore(benchmark::State& state) {
    TBenchInstallation world;
    const int runs = world.CreateLargestProject(u"largest"_s);
    const std::unique_ptr<TProject> project = world.LoadProject(u"largest"_s);
    ExportProject(*project, {});
    const QString directory = project->GetPath();
    const QString archive = world.Dir() + u"/largest.kelvo.zip"_s;
    double archived = 0, raw = 0;
    int round = 0;
    for (auto _ : state) {
        Checkpoint(world.dm->dbKelvoADO);
        const auto start = TClock::now();
        WriteProjectArchive(*world.dm, u"largest"_s, archive);
        TRestoreOptions restore;
        restore.name = u"restored%1"_s.arg(++round);
        RestoreProjectArchive(*world.dm, ReadProjectArchive(archive), restore);
        const double seconds = Seconds(start);
        state.SetIterationTime(seconds);
        archived += seconds;
        raw += RawCopy(*world.dm, project->ProjectID, directory, world.Dir() + u"/scratch"_s);
    }
    state.counters["runs"] = runs;
    state.counters["ratio"] = archived / raw;
}

} // namespace

BENCHMARK(BM_ImportSubstances)->UseManualTime()->Iterations(6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArchiveAndRestore)->UseManualTime()->Iterations(6)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
