#include "foundation/Utils.h"
#include "store/Connection.h"
#include "support/KelvoTest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>

using namespace Qt::Literals::StringLiterals;

namespace {

// kelvo-cli on a fresh installation: a FOCUS wizard's project is created, one run edited, and the
// project exported; then its report, PRZM run description files, MACRO rows and TOXSWA rows are read.
class ExportCliTest : public TInstallationTest {
protected:
    struct TCliRun {
        int exitCode = -1;
        QString out;
        QStringList messages;
    };

    TCliRun Cli(const QStringList& arguments) const {
        QProcess process;
        process.start(QString::fromUtf8(KELVO_CLI),
                      QStringList{u"--install-dir"_s, InstallDir()} + arguments);
        EXPECT_TRUE(process.waitForFinished(120000)) << "kelvo-cli did not end";
        TCliRun run;
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.messages = QString::fromUtf8(process.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
        return run;
    }
    QStringList Ok(const QStringList& arguments) const {
        const TCliRun run = Cli(arguments);
        EXPECT_EQ(run.exitCode, 0) << arguments.join(u' ').toStdString() << ": "
                                   << run.messages.join(u'\n').toStdString();
        return run.messages;
    }
    static QByteArray Read(const QString& fileName) {
        QFile file(fileName);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << fileName.toStdString();
        return file.readAll();
    }
    static QVector<TSqlRow> Rows(const QString& databaseFile, const QString& sql) {
        TConnection db;
        db.Open(databaseFile);
        return db.Select(sql).rows;
    }
    QString Root() const { return ProjectsRoot(); }
    QString Directory() const { return Root() + u"/F1"_s; }
};

TEST_F(ExportCliTest, CreateEditExportAndReadTheModelInput) {
    ASSERT_TRUE(QDir().mkpath(Root()));
    EXPECT_EQ(Ok({u"project"_s, u"create"_s, u"--substance"_s, u"EXAMPLE_P"_s, u"--crop"_s, u"Maize"_s,
                  u"--name"_s, u"F1"_s, u"--description"_s, u"first"_s, u"--root"_s, Root()}),
              QStringList{u"Created runs: 22"_s});
    QJsonArray runs =
        QJsonDocument::fromJson(Cli({u"--json"_s, u"project"_s, u"runs"_s, u"F1"_s}).out.toUtf8())[u"runs"_s]
            .toArray();
    ASSERT_EQ(runs.size(), 22);
    // The first parent runs at a runoff and at a drainage scenario, in the project's order.
    QString runoff;
    QString drainage;
    for (const QJsonValue& run : runs) {
        const QString id = run[u"runId"_s].toString();
        const QString scenario = run[u"scenario"_s].toString();
        if (!id.endsWith(u"_pa"_s)) continue;
        if (runoff.isEmpty() && scenario.startsWith(u'R')) runoff = id;
        if (drainage.isEmpty() && scenario.startsWith(u'D')) drainage = id;
    }
    ASSERT_FALSE(runoff.isEmpty() || drainage.isEmpty());
    // The runoff rate spreads to the other runoff runs of the crop, so PRZM sees it; the drainage pattern
    // spreads to the run's siblings.
    Ok({u"run"_s, u"set"_s, u"F1"_s, runoff, u"--rates"_s, u"0.5"_s});
    Ok({u"run"_s, u"set"_s, u"F1"_s, drainage, u"--apps"_s, u"2"_s, u"--interval"_s, u"10"_s, u"--last"_s,
        u"200"_s, u"--rates"_s, u"0.75,0.25"_s});
    runs =
        QJsonDocument::fromJson(Cli({u"--json"_s, u"project"_s, u"runs"_s, u"F1"_s}).out.toUtf8())[u"runs"_s]
            .toArray();

    const QString saved = u"Saved all files at subdirectory "_s + Directory();
    EXPECT_EQ(Ok({u"project"_s, u"export"_s, u"F1"_s}), QStringList{saved});

    // The report: one application line per application of every run, all selected.
    const QStringList report = QString::fromLatin1(Read(Directory() + u"/F1_report.txt"_s)).split(u"\r\n"_s);
    EXPECT_EQ(report.value(6), u"      * File Name   : "_s + Directory() + u"/F1_report.txt"_s);
    int applicationLines = 0;
    for (const QString& line : report)
        if (line.mid(108, 2).trimmed().toInt() > 0) ++applicationLines;
    int applications = 0;
    for (const QJsonValue& run : runs)
        applications += run[u"applications"_s].toInt();
    EXPECT_EQ(applicationLines, applications);
    const auto lineOf = [&report](const QString& runId) {
        for (const QString& line : report)
            if (line.mid(8, 10) == PadRight(runId, 10)) return line;
        return QString();
    };
    EXPECT_EQ(lineOf(drainage).mid(101, 22), u"/10    1 0.7500       "_s);
    EXPECT_EQ(lineOf(runoff).mid(108, 15), u"1 0.5000       "_s);

    // PRZM: one folder for Maize, its runs at the runoff scenarios.
    const QDir przm(Directory() + u"/PRZM"_s);
    EXPECT_EQ(przm.entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{u"MZ"_s});
    const QString pzm = QString::fromLatin1(Read(Directory() + u"/PRZM/MZ/przm.pzm"_s));
    EXPECT_TRUE(pzm.startsWith(u"[GeneralSettings]\r\nProjectName=F1\r\nSubstanceCode=EXAMPLE_P\r\n"_s))
        << pzm.toStdString();
    EXPECT_TRUE(pzm.contains(u"[Applications]\r\nAppMethod=ground spray\r\nNumberOfApp=1\r\n1=0.5000 "_s))
        << pzm.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Directory() + u"/PRZM/MZ/przm.ini"_s));

    // MACRO: one row per drainage run number, the dose in g/ha.
    const QString macro = InstallDir() + u"MACRO/pest_focus.sqlite"_s;
    const QVector<TSqlRow> macroRuns =
        Rows(macro, u"SELECT runid, location, text_info, projectname FROM run ORDER BY runid"_s);
    QSet<int> drainageNumbers;
    for (const QJsonValue& run : runs)
        if (run[u"scenario"_s].toString().startsWith(u'D'))
            drainageNumbers.insert(run[u"runId"_s].toString().left(5).toInt());
    ASSERT_EQ(macroRuns.size(), drainageNumbers.size());
    for (const TSqlRow& row : macroRuns) {
        EXPECT_TRUE(drainageNumbers.contains(row[0].toInt()));
        EXPECT_TRUE(row[1].toString().startsWith(u'D'));
        EXPECT_EQ(row[2].toString(), u"first"_s);
        EXPECT_EQ(row[3].toString(), u"F1"_s);
    }
    EXPECT_EQ(Rows(macro, u"SELECT Dose FROM applications WHERE RunID = "_s +
                              QString::number(drainage.left(5).toInt()))
                  .value(0)
                  .value(0)
                  .toDouble(),
              750.0);

    // TOXSWA: a scheme and simulation parameters for every run, each run pointing to its scheme.
    const QString scenario = DatabaseFile();
    EXPECT_EQ(Rows(scenario, u"SELECT count(*) FROM SimulationParameters"_s)[0][0].toInt(), 22);
    EXPECT_EQ(Rows(scenario, u"SELECT count(*) FROM ApplicationSchemes"_s)[0][0].toInt(), 22);
    EXPECT_EQ(Rows(scenario, u"SELECT count(*) FROM ToxswaApplications"_s)[0][0].toInt(), applications);
    EXPECT_EQ(
        Rows(scenario,
             u"SELECT count(*) FROM Runs r JOIN ApplicationSchemes s ON "
             u"s.ApplicationSchemeID = r.ApplicationSchemeID AND s.Name = 'AppScheme_' || r.RunID"_s)[0][0]
            .toInt(),
        22);

    // Again: the earlier export is overwritten only when confirmed.
    const TCliRun refused = Cli({u"project"_s, u"export"_s, u"F1"_s, u"--no-przm"_s, u"--no-report"_s});
    EXPECT_EQ(refused.exitCode, 1);
    const QString question =
        u"Are you sure you want to overwrite existing input files and delete existing output "
        u"files at "_s +
        Directory() + u" directories?"_s;
    EXPECT_EQ(refused.messages, QStringList{u"Refused: \""_s + question + u"\" (answer with --yes)"_s});
    EXPECT_TRUE(QFileInfo::exists(Directory() + u"/F1_report.txt"_s));
    EXPECT_EQ(Ok({u"--yes"_s, u"project"_s, u"export"_s, u"F1"_s, u"--no-przm"_s, u"--no-report"_s}),
              (QStringList{u"Answered Yes: \""_s + question + u"\""_s, saved}));
    EXPECT_FALSE(QFileInfo::exists(Directory() + u"/F1_report.txt"_s));
    EXPECT_EQ(przm.entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    EXPECT_EQ(Rows(macro, u"SELECT count(*) FROM run"_s)[0][0].toInt(), drainageNumbers.size());
}

// An export with PRZM's chemical data missing names it, keeps PRZM's files of the earlier export and
// does not end as a success.
TEST_F(ExportCliTest, MissingModelDataAreNamedAndItsFilesKept) {
    ASSERT_EQ(Cli({u"project"_s, u"create"_s, u"--substance"_s, u"EXAMPLE_P"_s, u"--name"_s, u"F1"_s,
                   u"--crop"_s, u"Maize"_s, u"--root"_s, Root()})
                  .exitCode,
              0);
    Ok({u"project"_s, u"export"_s, u"F1"_s});
    const QByteArray pzm = Read(Directory() + u"/PRZM/MZ/przm.pzm"_s);
    const QString data = InstallDir() + u"PRZM/wpic/chmdat.dat"_s;
    ASSERT_TRUE(QFile::rename(data, data + u".aside"_s));
    const TCliRun run = Cli({u"--yes"_s, u"project"_s, u"export"_s, u"F1"_s});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.messages.contains(
        u"The PRZM input was not written: %1 is missing. The PRZM files of the earlier export are kept."_s
            .arg(data)))
        << run.messages.join(u'\n').toStdString();
    EXPECT_EQ(run.messages.last(),
              u"Saved the files at subdirectory %1 except those of PRZM"_s.arg(Directory()));
    EXPECT_EQ(Read(Directory() + u"/PRZM/MZ/przm.pzm"_s), pzm);
    EXPECT_TRUE(QFileInfo::exists(Directory() + u"/F1_report.txt"_s));
}

} // namespace
