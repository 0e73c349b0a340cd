#include "export/PRZMSubstanceFile.h"
#include "foundation/ConcreteCollections.h"
#include "foundation/Errors.h"
#include "store/Connection.h"
#include "store/ScenarioDatabaseBuilder.h"
#include "support/KelvoTest.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <cstdio>
#include <random>
#include <tuple>

using namespace Qt::Literals::StringLiterals;

// kelvo-cli doing a large job is killed with SIGKILL at a random moment; afterwards the databases are
// sound, and each store holds what it held before the job or what the whole job makes of it: the
// scenario rows, the MACRO rows, the PRZM chemical data pair, and the project directory (or the
// directory carries the mark of an unfinished export). KELVO_KILL_ROUNDS sets the rounds per job
// (scripts/killtest runs many), KELVO_KILL_SEED the seed of the kill moments.

namespace {

const QString MarkerName = u"EXPORT_INCOMPLETE.txt"_s;

int EnvironmentNumber(const char* name, int fallback) {
    bool ok = false;
    const int value = qEnvironmentVariable(name).toInt(&ok);
    return ok ? value : fallback;
}

QString ReadText(const QString& file) {
    QFile f(file);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << file.toStdString();
    return QString::fromLatin1(f.readAll());
}

// Clock times differ from one run of a job to the next; they are blanked.
QString WithoutTimes(QString text) {
    static const QRegularExpression time(u"\\d{4}-\\d\\d-\\d\\d[T ]\\d\\d:\\d\\d(:\\d\\d(\\.\\d+)?)?"_s);
    static const QRegularExpression creation(u"\\* Creation    : [^\\r\\n]*"_s);
    return text.replace(time, u"<time>"_s).replace(creation, u"<creation>"_s);
}

bool CopyTree(const QString& from, const QString& to) {
    if (!QDir().mkpath(to)) return false;
    QDirIterator it(from, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = to + u'/' + it.fileName();
        if (it.fileInfo().isDir() ? !CopyTree(path, target) : !QFile::copy(path, target)) return false;
    }
    return true;
}

// The rows of every table, times blanked, after the database's own checks, which must pass.
QString DatabaseState(const QString& file) {
    TConnection c;
    c.Open(file);
    EXPECT_EQ(QString(u"ok"_s), c.Select(u"PRAGMA integrity_check"_s).rows.value(0).value(0).toString())
        << file.toStdString();
    EXPECT_TRUE(c.Select(u"PRAGMA foreign_key_check"_s).rows.isEmpty()) << file.toStdString();
    QStringList lines;
    for (const TSqlRow& table :
         c.Select(u"SELECT name, sql FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%' "
                  u"AND name <> 'meta' ORDER BY name"_s)
             .rows) {
        lines << table[1].toString();
        QStringList rows;
        for (const TSqlRow& row : c.Select(u"SELECT * FROM \"%1\""_s.arg(table[0].toString())).rows) {
            QStringList cells;
            for (const QVariant& v : row)
                cells << (v.isNull() ? u"<null>"_s : v.toString());
            rows << cells.join(u'|');
        }
        rows.sort();
        lines << rows;
    }
    return WithoutTimes(lines.join(u'\n'));
}

// The chemical data pair as the next start finds it: it must read, and its count must be its size.
QString PrzmState(const QString& folder) {
    try {
        TPRZMSubstanceFile file(folder);
        const int count = static_cast<int>(file.ReadAll()->Count());
        EXPECT_EQ(QString::number(count), ReadText(folder + u"/chmnum.dat"_s).trimmed());
    } catch (const EKelvoError& e) {
        ADD_FAILURE() << e.Message().toStdString();
    }
    return ReadText(folder + u"/chmdat.dat"_s) + u'|' + ReadText(folder + u"/chmnum.dat"_s);
}

// A project directory that looks complete (files, no mark) with its files; otherwise "unfinished".
QString DirectoryState(const QString& directory) {
    QStringList files;
    QDirIterator it(directory, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (it.fileName() == MarkerName) return u"unfinished"_s;
        files << QDir(directory).relativeFilePath(path) + u'\n' + WithoutTimes(ReadText(path));
    }
    if (files.isEmpty()) return u"unfinished"_s;
    files.sort();
    return files.join(u'\n');
}

struct TState {
    QString scenario, macro, przm, project;
};

class KillTest : public TInstallationTest {
protected:
    QString Base() const { return InstallDir() + u"base"_s; }
    QString Round() const { return InstallDir() + u"round"_s; }
    // Projects live beside the installation, never in it.
    QString Root(const QString& installation) const { return installation + u"-projects"_s; }
    bool RemoveRound() const {
        return QDir(Root(Round())).removeRecursively() && QDir(Round()).removeRecursively();
    }
    QString runId; // the run a job edits, found by its preparation

    static QProcess* Start(const QString& installation, const QStringList& arguments, QProcess& process) {
        process.start(QString::fromUtf8(KELVO_CLI),
                      QStringList{u"--install-dir"_s, installation, u"--yes"_s} + arguments);
        return &process;
    }
    void Cli(const QString& installation, const QStringList& arguments) {
        QProcess process;
        Start(installation, arguments, process);
        ASSERT_TRUE(process.waitForFinished(300000));
        ASSERT_EQ(0, process.exitCode())
            << arguments.join(u' ').toStdString() << ": " << process.readAllStandardError().toStdString();
    }

    TState State(const QString& installation) {
        return {DatabaseState(installation + u"/data/kelvo_db.sqlite"_s),
                DatabaseState(installation + u"/MACRO/pest_focus.sqlite"_s),
                PrzmState(installation + u"/PRZM/wpic"_s), DirectoryState(Root(installation) + u"/BIG"_s)};
    }

    // The installation of the job's start: this test's installation with the preparation done.
    void MakeBase(const std::function<void(const QString&)>& prepare) {
        ASSERT_TRUE(CopyTree(tempDir.path() + u"/data"_s, Base() + u"/data"_s));
        for (const QString& model : {u"MACRO"_s, u"PRZM"_s, u"TOXSWA"_s})
            ASSERT_TRUE(CopyTree(tempDir.path() + u'/' + model, Base() + u'/' + model));
        if (prepare) prepare(Base());
    }
    // The substance of the largest project: a parent with two metabolites.
    void MakeBigSubstance(const QString& base) {
        Cli(base, {u"substance"_s, u"copy"_s, u"EXAMPLE_P"_s, u"BIGP"_s, u"Big_parent"_s});
        for (const QString& code : {u"BIGM1"_s, u"BIGM2"_s})
            Cli(base, {u"substance"_s, u"copy"_s, u"EXAMPLE_M1"_s, code, code + u"_metabolite"_s});
        Cli(base, {u"--yes"_s, u"substance"_s, u"metabolites"_s, u"BIGP"_s, u"--scheme"_s, u"3"_s, u"--m1"_s,
                   u"BIGM1"_s, u"--przm1"_s, u"0.4"_s, u"--m2"_s, u"BIGM2"_s, u"--przm2"_s, u"0.1"_s});
    }
    // The largest project: a parent forming two metabolites on the crop with the most scenarios and
    // water bodies, 50 runs (a second set at each drainage scenario for the second metabolite). Every round works in the same place, so paths stored in rows and files agree between rounds.
    QStringList CreateBigProject() const {
        return {u"project"_s, u"create"_s, u"--substance"_s,       u"BIGP"_s, u"--name"_s,
                u"BIG"_s,     u"--crop"_s, u"Vegetables, leafy"_s, u"--root"_s, Root(Round())};
    }
    void MakeBigProject(const QString& base) {
        MakeBigSubstance(base);
        Cli(base, CreateBigProject());
        TConnection c;
        c.Open(base + u"/data/kelvo_db.sqlite"_s);
        EXPECT_EQ(c.Select(u"SELECT COUNT(*) FROM Runs JOIN Projects USING (ProjectID) WHERE Projects.Name = 'BIG'"_s)
                      .rows[0][0]
                      .toInt(),
                  50);
    }

    // Runs the job whole once, then killed at random moments, checking each time that every store
    // is as before or as after, and that the installation opens again.
    void KillRounds(const std::function<void(const QString&)>& prepare, QStringList job) {
        MakeBase(prepare);
        if (HasFatalFailure()) return;
        RemoveRound(); // what the preparation made at the rounds' place
        job.replaceInStrings(u"<run>"_s, runId);
        const TState before = State(Base());

        ASSERT_TRUE(CopyTree(Base(), Round()) && QDir().mkpath(Root(Round())));
        QElapsedTimer clock;
        clock.start();
        Cli(Round(), job);
        const qint64 duration = clock.elapsed();
        const TState after = State(Round());
        ASSERT_TRUE(RemoveRound());

        std::mt19937 random(static_cast<unsigned>(EnvironmentNumber("KELVO_KILL_SEED", 13)));
        std::uniform_int_distribution<qint64> moment(0, duration);
        const int rounds = EnvironmentNumber("KELVO_KILL_ROUNDS", 3);
        int killed = 0;
        for (int round = 1; round <= rounds; ++round) {
            const qint64 delay = moment(random);
            SCOPED_TRACE(
                u"round %1, killed after %2 ms of %3"_s.arg(round).arg(delay).arg(duration).toStdString());
            ASSERT_TRUE(CopyTree(Base(), Round()) && QDir().mkpath(Root(Round())));
            QProcess process;
            Start(Round(), job, process);
            ASSERT_TRUE(process.waitForStarted());
            if (!process.waitForFinished(static_cast<int>(delay))) {
                process.kill();
                process.waitForFinished();
                ++killed;
            }
            const TState now = State(Round());
            if (HasFatalFailure()) return;
            for (const auto& [name, state, old, whole] :
                 {std::tuple{"scenario database", now.scenario, before.scenario, after.scenario},
                  std::tuple{"MACRO database", now.macro, before.macro, after.macro},
                  std::tuple{"PRZM chemical data", now.przm, before.przm, after.przm},
                  std::tuple{"project directory", now.project, before.project, after.project}})
                EXPECT_TRUE(state == old || state == whole || (state == u"unfinished"_s && whole != old))
                    << name << " is neither as before nor as after the job";
            // The next start finds a working installation.
            Cli(Round(), {u"project"_s, u"list"_s});
            Cli(Round(), {u"substances"_s});
            ASSERT_TRUE(RemoveRound());
            if (HasFailure()) break;
        }
        RecordProperty("rounds", rounds);
        RecordProperty("killed", killed);
        std::printf("%s: %d rounds, %d killed mid-job, job %lld ms\n",
                    ::testing::UnitTest::GetInstance()->current_test_info()->name(), rounds, killed,
                    static_cast<long long>(duration));
    }
};

TEST_F(KillTest, SaveOfTheLargestProject) {
    KillRounds([this](const QString& base) { MakeBigSubstance(base); }, CreateBigProject());
}

TEST_F(KillTest, ExportWithEveryOption) {
    KillRounds([this](const QString& base) { MakeBigProject(base); }, {u"project"_s, u"export"_s, u"BIG"_s});
}

TEST_F(KillTest, RunEditSpreadingToRelatedRuns) {
    KillRounds(
        [this](const QString& base) {
            MakeBigProject(base);
            TConnection c;
            c.Open(base + u"/data/kelvo_db.sqlite"_s);
            runId = c.Select(u"SELECT RunID FROM Runs WHERE LocationCode LIKE 'R%' AND RunID LIKE '%_pa' "
                             u"ORDER BY RunID LIMIT 1"_s)
                        .rows.value(0)
                        .value(0)
                        .toString();
        },
        // One application, so that the related runs' own windows stay large enough for it.
        {u"run"_s, u"set"_s, u"BIG"_s, u"<run>"_s, u"--apps"_s, u"1"_s, u"--first"_s, u"100"_s, u"--last"_s,
         u"250"_s, u"--rates"_s, u"2.5"_s});
}

TEST_F(KillTest, SubstanceWriteToPrzmAndMacro) {
    KillRounds(
        [this](const QString& base) {
            Cli(base, {u"substance"_s, u"copy"_s, u"EXAMPLE_P"_s, u"KILLP"_s, u"Killed_parent"_s});
        },
        {u"exchange"_s, u"write"_s});
}

TEST_F(KillTest, DefaultPatternWrite) {
    KillRounds(
        [this](const QString& base) {
            Cli(base, {u"substance"_s, u"new"_s, u"PAT"_s, u"patterns"_s});
        },
        {u"defaults"_s, u"set"_s, u"PAT"_s, u"Potatoes"_s, u"D6"_s, u"1st"_s, u"DefAppMethod=ground spray"_s,
         u"DefNumberOfApps=2"_s, u"DefMinIntervalApps=10"_s, u"DefFirstDayYrApp=100"_s,
         u"DefLastDayYrApp=140"_s, u"DefRate=0.5"_s});
}

TEST_F(KillTest, SubstanceCopy) {
    KillRounds([this](const QString& base) { MakeBigSubstance(base); },
               {u"substance"_s, u"copy"_s, u"BIGP"_s, u"KILLC"_s, u"Killed_copy"_s});
}

// The substances written to both models and then deleted come back from them.
TEST_F(KillTest, ExchangeImport) {
    KillRounds(
        [this](const QString& base) {
            MakeBigSubstance(base);
            Cli(base, {u"exchange"_s, u"write"_s});
            for (const QString& code : {u"BIGP"_s, u"BIGM1"_s, u"BIGM2"_s})
                Cli(base, {u"substance"_s, u"delete"_s, code});
        },
        {u"exchange"_s, u"import"_s});
}

TEST_F(KillTest, ProjectDelete) {
    KillRounds([this](const QString& base) { MakeBigProject(base); },
               {u"project"_s, u"delete"_s, u"BIG"_s, u"--keep-files"_s});
}

TEST_F(KillTest, ProjectMitigate) {
    KillRounds([this](const QString& base) { MakeBigProject(base); },
               {u"project"_s, u"mitigate"_s, u"BIG"_s, u"--mitigation"_s, u"20"_s, u"--reduction"_s, u"75"_s});
}

// An older scenario database: its schema from the fixtures folder, the reference rows and the user's rows.
void MakeOlderDatabase(const QString& base, const QString& schemaFolder) {
    const QString fixtures = QString::fromUtf8(KELVO_TESTS_SOURCE_DIR) + u"/data/"_s;
    const QString file = base + u"/data/kelvo_db.sqlite"_s;
    QFile::remove(file);
    const QDir source(QString::fromUtf8(KELVO_DATA_SOURCE_DIR));
    BuildDatabaseFile(file, [&](TConnection& c) {
        c.ExecuteScript(ReadText(fixtures + schemaFolder + u"/schema.sql"_s));
        c.BeginTrans();
        c.Execute(u"PRAGMA defer_foreign_keys = ON"_s);
        for (const QString& folder : {u"reference"_s, u"examples"_s})
            for (const QString& csv : QDir(source.filePath(folder)).entryList({u"*.csv"_s}, QDir::Files))
                LoadCsvIntoTable(c, source.filePath(folder + u'/' + csv));
        c.ExecuteScript(ReadText(fixtures + u"schema_v1/user_rows.sql"_s));
        c.CommitTrans();
    });
}

TEST_F(KillTest, MigrationOfAnOlderDatabase) {
    KillRounds([](const QString& base) { MakeOlderDatabase(base, u"schema_v1"_s); }, {u"substances"_s});
}

// The step that adds the runs' Step 4 mitigation, alone.
TEST_F(KillTest, MigrationOfASchema3Database) {
    KillRounds([](const QString& base) { MakeOlderDatabase(base, u"schema_v3"_s); }, {u"substances"_s});
}

} // namespace

namespace {

TEST_F(KillTest, SubstanceImport) {
    const QString file = InstallDir() + u"library.json"_s;
    KillRounds(
        [&](const QString& base) {
            QStringList codes;
            for (int i = 1; i <= 12; ++i) {
                codes << u"KILL%1"_s.arg(i);
                Cli(base, {u"substance"_s, u"copy"_s, u"EXAMPLE_P"_s, codes.last(), u"Killed_%1"_s.arg(i)});
            }
            Cli(base, QStringList{u"substance"_s, u"export"_s} + codes + QStringList{file});
            for (const QString& code : codes)
                Cli(base, {u"substance"_s, u"delete"_s, code});
        },
        {u"substance"_s, u"import"_s, file});
}

TEST_F(KillTest, ProjectRestore) {
    const QString archive = InstallDir() + u"BIG.kelvo.zip"_s;
    KillRounds(
        [&](const QString& base) {
            MakeBigProject(base);
            Cli(base, {u"project"_s, u"export"_s, u"BIG"_s});
            Cli(base, {u"project"_s, u"archive"_s, u"BIG"_s, archive});
            Cli(base, {u"project"_s, u"delete"_s, u"BIG"_s});
        },
        {u"project"_s, u"restore"_s, archive, u"--root"_s, Root(Round())});
}

} // namespace
