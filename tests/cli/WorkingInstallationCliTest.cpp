#include "store/Connection.h"
#include "store/ScenarioSchema.h"
#include "support/KelvoTest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TCliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// A user's machine: a home folder and program directories laid out as the build lays them out (kelvo-cli
// and the templates made by the build's own tool), kelvo-cli run with neither --install-dir nor KELVO_HOME.
class WorkingInstallationCliTest : public TKelvoTest {
protected:
    QString Home() const { return tempDir.path() + u"/home"_s; }
    QString WorkingInstallation() const { return Home() + u"/.local/share/Kelvo/"_s; }

    // Builds a program directory as the build does from the given data sources.
    void MakeProgramDir(const QString& dir,
                        const QString& dataSource = QString::fromUtf8(KELVO_DATA_SOURCE_DIR)) {
        ASSERT_TRUE(QDir().mkpath(dir));
        QFile::remove(dir + u"/kelvo-cli"_s); // a rebuild replaces the executable
        ASSERT_TRUE(QFile::copy(QString::fromUtf8(KELVO_CLI), dir + u"/kelvo-cli"_s));
        QProcess tool;
        tool.start(QString::fromUtf8(KELVO_MKINSTALL),
                   {dataSource, QString::fromUtf8(KELVO_STANDINS_SOURCE_DIR), dir + u"/templates"_s});
        ASSERT_TRUE(tool.waitForFinished(120000));
        ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    }

    QProcessEnvironment Environment(const QString& kelvoHome = {}) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"HOME"_s, Home());
        env.remove(u"XDG_DATA_HOME"_s);
        env.remove(u"KELVO_HOME"_s);
        if (!kelvoHome.isEmpty()) env.insert(u"KELVO_HOME"_s, kelvoHome);
        return env;
    }

    static TCliRun Finish(QProcess& process) {
        EXPECT_TRUE(process.waitForFinished(120000)) << "kelvo-cli did not end";
        TCliRun run;
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    TCliRun Cli(const QString& programDir, const QStringList& arguments,
                const QString& kelvoHome = {}) const {
        QProcess process;
        process.setProcessEnvironment(Environment(kelvoHome));
        process.start(programDir + u"/kelvo-cli"_s, arguments);
        return Finish(process);
    }

    QStringList SubstanceCodes(const QString& programDir) const {
        const TCliRun run = Cli(programDir, {u"substances"_s, u"--json"_s});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        QStringList codes;
        for (const QJsonValue& s : QJsonDocument::fromJson(run.out.toUtf8())[u"substances"_s].toArray())
            codes << s[u"code"_s].toString();
        return codes;
    }

    QTemporaryDir tempDir;
};

TEST_F(WorkingInstallationCliTest, TheUsersWorkSurvivesARebuildAfterASchemaChangeAndDeletingTheBuild) {
    const QString build = tempDir.path() + u"/build/Release/kelvo"_s;
    MakeProgramDir(build);

    // First start: the working installation is made in the user's data directory, and said once.
    TCliRun run = Cli(build, {u"substance"_s, u"new"_s, u"MYSUB"_s, u"My substance"_s});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(u"Kelvo made its working installation in %1."_s.arg(WorkingInstallation())))
        << run.err.toStdString();
    for (const QString& file : {u"data/kelvo_db.sqlite"_s, u"MACRO/pest_focus.sqlite"_s,
                                u"PRZM/wpic/chmdat.dat"_s, u"TOXSWA/versionnum.dat"_s})
        EXPECT_TRUE(QFileInfo::exists(WorkingInstallation() + file)) << file.toStdString();
    EXPECT_FALSE(QFileInfo::exists(build + u"/data/kelvo_db.sqlite"_s));

    const QString root = Home() + u"/KelvoProjects"_s;
    run = Cli(build, {u"project"_s, u"create"_s, u"--substance"_s, u"EXAMPLE_P"_s, u"--name"_s,
                      u"myproject"_s, u"--crop"_s, u"Maize"_s, u"--root"_s, root});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains(u"working installation"_s));
    run = Cli(build, {u"--yes"_s, u"project"_s, u"export"_s, u"myproject"_s});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(root + u"/myproject/myproject_report.txt"_s));

    run = Cli(build, {u"info"_s, u"--json"_s});
    const QJsonObject info = QJsonDocument::fromJson(run.out.toUtf8()).object();
    EXPECT_EQ(info[u"programDir"_s].toString(), QDir(build).absolutePath() + u'/');
    EXPECT_EQ(info[u"installationDir"_s].toString(), WorkingInstallation());

    // A rebuild after a change of the schema file writes the templates only.
    const QString changed = tempDir.path() + u"/source/data"_s;
    ASSERT_TRUE(QDir().mkpath(changed + u"/reference"_s) && QDir().mkpath(changed + u"/examples"_s));
    const QDir source(QString::fromUtf8(KELVO_DATA_SOURCE_DIR));
    for (const QString& folder : {u"reference"_s, u"examples"_s})
        for (const QString& csv : QDir(source.filePath(folder)).entryList({u"*.csv"_s}, QDir::Files))
            ASSERT_TRUE(
                QFile::copy(source.filePath(folder + u'/' + csv), changed + u'/' + folder + u'/' + csv));
    QFile schema(source.filePath(u"schema.sql"_s));
    ASSERT_TRUE(schema.open(QIODevice::ReadOnly));
    QFile changedSchema(changed + u"/schema.sql"_s);
    ASSERT_TRUE(changedSchema.open(QIODevice::WriteOnly));
    changedSchema.write(schema.readAll() + "\n-- changed\n");
    changedSchema.close();
    MakeProgramDir(build, changed);
    EXPECT_TRUE(SubstanceCodes(build).contains(u"MYSUB"_s));
    run = Cli(build, {u"project"_s, u"list"_s});
    EXPECT_TRUE(run.out.contains(u"myproject"_s)) << run.out.toStdString();

    // rm -rf build, then a build from scratch.
    ASSERT_TRUE(QDir(tempDir.path() + u"/build"_s).removeRecursively());
    MakeProgramDir(build);
    EXPECT_TRUE(SubstanceCodes(build).contains(u"MYSUB"_s));
    run = Cli(build, {u"project"_s, u"runs"_s, u"myproject"_s});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(u"_pa"_s));
}

TEST_F(WorkingInstallationCliTest, TwoFirstStartsAtOnceMakeOneInstallationAndKeepAModelDirectoryThere) {
    const QString program = tempDir.path() + u"/program"_s;
    MakeProgramDir(program);
    const QString home = tempDir.path() + u"/kelvo-home"_s;
    // The user put the real MACRO there beforehand.
    ASSERT_TRUE(QDir().mkpath(home + u"/MACRO"_s));
    QFile mine(home + u"/MACRO/mine.txt"_s);
    ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
    mine.close();

    QProcess first;
    QProcess second;
    for (QProcess* p : {&first, &second}) {
        p->setProcessEnvironment(Environment(home));
        p->start(program + u"/kelvo-cli"_s, {u"substances"_s});
    }
    const TCliRun runs[] = {Finish(first), Finish(second)};
    int made = 0;
    for (const TCliRun& run : runs) {
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_TRUE(run.out.contains(u"EXAMPLE_P"_s));
        made += run.err.count(u"Kelvo made its working installation in %1/."_s.arg(home));
    }
    EXPECT_EQ(made, 1);
    EXPECT_EQ(QDir(home + u"/MACRO"_s).entryList(QDir::Files), QStringList{u"mine.txt"_s});
    EXPECT_TRUE(QFileInfo::exists(home + u"/PRZM/wpic/chmdat.dat"_s));
    EXPECT_TRUE(QFileInfo(home + u"/data/kelvo_db.sqlite"_s).isFile());
    EXPECT_FALSE(QFileInfo::exists(Home() + u"/.local/share/Kelvo"_s));
}

TEST_F(WorkingInstallationCliTest, BackupWritesAConsistentCopyAndNeverOverwrites) {
    const QString program = tempDir.path() + u"/program"_s;
    MakeProgramDir(program);
    ASSERT_EQ(Cli(program, {u"substance"_s, u"new"_s, u"MYSUB"_s, u"My substance"_s}).exitCode, 0);

    const QString copy = tempDir.path() + u"/copy.sqlite"_s;
    TCliRun run = Cli(program, {u"backup"_s, copy});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out,
              u"Backed up %1data/kelvo_db.sqlite (schema version %2) into %3\n"_s.arg(WorkingInstallation())
                  .arg(ScenarioSchemaVersion)
                  .arg(copy));
    // The copy is a Kelvo installation's database of its own.
    const QString other = tempDir.path() + u"/other"_s;
    ASSERT_TRUE(QDir().mkpath(other + u"/data"_s));
    ASSERT_TRUE(QFile::copy(copy, other + u"/data/kelvo_db.sqlite"_s));
    run = Cli(program, {u"--install-dir"_s, other, u"substance"_s, u"show"_s, u"MYSUB"_s});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();

    const qint64 size = QFileInfo(copy).size();
    run = Cli(program, {u"backup"_s, copy});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, u"%1 already exists\n"_s.arg(copy));
    EXPECT_EQ(QFileInfo(copy).size(), size);

    ASSERT_EQ(Cli(program, {u"backup"_s}).exitCode, 0);
    EXPECT_EQ(QDir(WorkingInstallation() + u"backups"_s).entryList(QDir::Files).size(), 1);
}

// A restore checks the backup, keeps the current database with its write-ahead log beside it and puts
// the backup in place: a stale log of the replaced database never reaches the restored file.
TEST_F(WorkingInstallationCliTest, RestorePutsABackupBackSafely) {
    const QString program = tempDir.path() + u"/program"_s;
    MakeProgramDir(program);
    ASSERT_EQ(Cli(program, {u"substance"_s, u"new"_s, u"MYSUB"_s, u"My substance"_s}).exitCode, 0);
    const QString copy = tempDir.path() + u"/copy.sqlite"_s;
    ASSERT_EQ(Cli(program, {u"backup"_s, copy}).exitCode, 0);
    ASSERT_EQ(Cli(program, {u"substance"_s, u"new"_s, u"LATER"_s, u"Later substance"_s}).exitCode, 0);

    // A log left by a process that ended without closing the database.
    const QString database = WorkingInstallation() + u"data/kelvo_db.sqlite"_s;
    {
        TConnection writer;
        writer.Open(database);
        writer.Execute(u"PRAGMA wal_autocheckpoint=0"_s);
        writer.Execute(u"UPDATE Substances SET Name = 'Changed in the log' WHERE SubstanceCode = 'LATER'"_s);
        ASSERT_TRUE(QFile::copy(database + u"-wal"_s, tempDir.path() + u"/stale-wal"_s));
        writer.Close();
    }
    ASSERT_TRUE(QFile::copy(tempDir.path() + u"/stale-wal"_s, database + u"-wal"_s));

    // Refused backups change nothing.
    const QString notKelvo = tempDir.path() + u"/notes.sqlite"_s;
    {
        QFile f(notKelvo);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a database");
    }
    for (const QString& refused : {notKelvo, tempDir.path() + u"/missing.sqlite"_s}) {
        SCOPED_TRACE(refused.toStdString());
        const TCliRun run = Cli(program, {u"restore"_s, refused});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(refused)) << run.err.toStdString();
        EXPECT_TRUE(QFileInfo::exists(database + u"-wal"_s));
    }
    EXPECT_TRUE(QDir(WorkingInstallation() + u"data"_s).entryList({u"*before-restore*"_s}).isEmpty());

    const TCliRun run = Cli(program, {u"restore"_s, copy});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith(u"Restored %1 (schema version %2) into %3\n"_s.arg(copy)
                                       .arg(ScenarioSchemaVersion)
                                       .arg(database)))
        << run.out.toStdString();
    const QStringList aside =
        QDir(WorkingInstallation() + u"data"_s).entryList({u"kelvo_db.sqlite.before-restore-*"_s}, QDir::Files,
                                                          QDir::Name);
    ASSERT_EQ(aside.size(), 2) << aside.join(u", "_s).toStdString(); // the database and its log
    EXPECT_TRUE(aside.last().endsWith(u"-wal"_s));

    EXPECT_EQ(Cli(program, {u"substance"_s, u"show"_s, u"MYSUB"_s}).exitCode, 0);
    EXPECT_EQ(Cli(program, {u"substance"_s, u"show"_s, u"LATER"_s}).exitCode, 1);
    TConnection check;
    check.Open(database);
    EXPECT_EQ(check.Select(u"PRAGMA integrity_check"_s).rows.value(0).value(0).toString(), u"ok"_s);
    check.Close();
    // The database before the restore still opens with what it held.
    TConnection before;
    before.Open(WorkingInstallation() + u"data/"_s + aside.first());
    EXPECT_EQ(before.Select(u"SELECT Name FROM Substances WHERE SubstanceCode = 'LATER'"_s).rows.size(), 1);
    before.Close();
}

// A project folder is Kelvo's only when Kelvo made it for that project in that installation: a user's
// folder, the working installation and another installation's project are never taken or deleted. A
// deleted model folder comes back from the templates on the next start.
TEST_F(WorkingInstallationCliTest, ProjectFoldersAreKelvosOnlyWhenItMadeThem) {
    const QString program = tempDir.path() + u"/program"_s;
    MakeProgramDir(program);
    const QString a = tempDir.path() + u"/a"_s;
    const QString b = tempDir.path() + u"/b"_s;
    const QString shared = Home() + u"/KelvoProjects"_s;
    const auto create = [&](const QString& installation, const QString& name, const QString& root) {
        return Cli(program, {u"--install-dir"_s, installation, u"project"_s, u"create"_s, u"--substance"_s,
                             u"EXAMPLE_P"_s, u"--name"_s, name, u"--crop"_s, u"Maize"_s, u"--root"_s, root});
    };

    // "project create --name Documents --root ~" with the user's Documents there.
    ASSERT_TRUE(QDir().mkpath(Home() + u"/Documents"_s));
    QFile letter(Home() + u"/Documents/letter.txt"_s);
    ASSERT_TRUE(letter.open(QIODevice::WriteOnly));
    letter.close();
    TCliRun run = create(a, u"Documents"_s, Home());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(
        run.err.endsWith(u"The folder %1/Documents already exists and is not empty: choose another name "
                         u"or project root.\n"_s.arg(Home())))
        << run.err.toStdString();
    EXPECT_EQ(QDir(Home() + u"/Documents"_s).entryList(QDir::Files), QStringList{u"letter.txt"_s});

    // A project named data with the working installation as its root.
    run = create(a, u"data"_s, a);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err,
              u"The project root %1 is not taken: it is, holds or lies inside the working installation "
              u"%2.\n"_s.arg(a, QDir(a).canonicalPath()));
    // A refused root that does not exist yet is not made either.
    run = create(a, u"Trial"_s, a + u"/roots/new"_s);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_FALSE(QFileInfo::exists(a + u"/roots"_s));

    // Two installations sharing one projects root: the second does not take the first one's folder, and
    // a row of the second pointing there (as an older Kelvo could leave it) does not delete it.
    run = create(a, u"Trial"_s, shared);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    run = Cli(program, {u"--install-dir"_s, a, u"--yes"_s, u"project"_s, u"export"_s, u"Trial"_s});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    run = create(b, u"Trial"_s, shared);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(
        run.err.endsWith(u"The folder %1/Trial already exists and is not empty: choose another name or "
                         u"project root.\n"_s.arg(shared)))
        << run.err.toStdString();
    ASSERT_EQ(create(b, u"Trial"_s, Home() + u"/elsewhere"_s).exitCode, 0);
    {
        TConnection db;
        db.Open(b + u"/data/kelvo_db.sqlite"_s);
        db.Execute(u"UPDATE Projects SET Path = ? WHERE Name = 'Trial'"_s, {shared + u"/Trial"_s});
    }
    run = Cli(program, {u"--install-dir"_s, b, u"--yes"_s, u"project"_s, u"delete"_s, u"Trial"_s});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(
        run.err.endsWith(u"The project directory \"%1/Trial\" is not deleted: it is the folder of another "
                         u"project or of another working installation.\n"_s.arg(shared)))
        << run.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(shared + u"/Trial/Trial_report.txt"_s));
    EXPECT_TRUE(QFileInfo(shared + u"/Trial/TOXSWA"_s).isDir());

    // A deleted model folder is put back from the templates, saying so.
    ASSERT_TRUE(QDir(a + u"/MACRO"_s).removeRecursively());
    run = Cli(program, {u"--install-dir"_s, a, u"substances"_s});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err,
              u"The model folder %1/MACRO was missing: Kelvo restored it from its templates.\n"_s.arg(a));
    EXPECT_TRUE(QFileInfo::exists(a + u"/MACRO/pest_focus.sqlite"_s));
}

} // namespace
