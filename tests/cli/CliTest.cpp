#include "store/CsvReader.h"
#include "store/ScenarioSchema.h"
#include "support/KelvoTest.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TCliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

TCliRun RunCli(const QStringList& arguments) {
    QProcess process;
    process.start(QString::fromUtf8(KELVO_CLI), arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << "kelvo-cli did not end";
    TCliRun run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QJsonObject ParseJson(const QString& text) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << text.toStdString();
    return document.object();
}

class CliTest : public TInstallationTest {};

TEST_F(CliTest, InfoReportsTheReferenceTablesAndTheStandins) {
    const TCliRun run = RunCli({u"--install-dir"_s, InstallDir(), u"info"_s, u"--json"_s});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.err, QString());
    const QJsonObject info = ParseJson(run.out);
    EXPECT_EQ(info[u"installationDir"_s].toString(), InstallDir());

    const QJsonObject database = info[u"scenarioDatabase"_s].toObject();
    EXPECT_EQ(database[u"file"_s].toString(), DatabaseFile());
    EXPECT_TRUE(database[u"opens"_s].toBool());
    EXPECT_EQ(database[u"schemaVersion"_s].toInt(), ScenarioSchemaVersion);
    EXPECT_EQ(database[u"programSchemaVersion"_s].toInt(), ScenarioSchemaVersion);
    const QJsonObject counts = database[u"tables"_s].toObject();
    const QDir reference(QString::fromUtf8(KELVO_DATA_SOURCE_DIR) + u"/reference"_s);
    const QStringList csvFiles = reference.entryList({u"*.csv"_s}, QDir::Files);
    EXPECT_EQ(counts.keys(), QStringList(csvFiles).replaceInStrings(u".csv"_s, QString()));
    for (const QString& csv : csvFiles)
        EXPECT_EQ(counts[QFileInfo(csv).completeBaseName()].toInt(),
                  ReadCsvFile(reference.filePath(csv)).rows.size())
            << csv.toStdString();

    const QJsonObject models = info[u"models"_s].toObject();
    struct TCase {
        QString model;
        QString store;
        QString dataVersionKey;
        QString dataVersion;
    };
    const TCase cases[] = {
        {u"MACRO"_s, u"MACRO/pest_focus.sqlite"_s, u"database"_s, u"stand-in 1.0"_s},
        {u"PRZM"_s, u"PRZM/wpic/chmdat.dat"_s, u"dataFiles"_s, u"stand-in 1.0"_s},
        {u"TOXSWA"_s, u"TOXSWA/versionnum.dat"_s, u"database"_s, u"v. 1 (= 2.2, 9 Apr 2003)"_s},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.model.toStdString());
        const QJsonObject model = models[c.model].toObject();
        EXPECT_TRUE(model[u"available"_s].toBool());
        EXPECT_EQ(model[u"store"_s].toString(), InstallDir() + c.store);
        const QJsonObject versions = model[u"versions"_s].toObject();
        EXPECT_EQ(versions[u"model"_s].toString(), u"stand-in 1.0"_s);
        EXPECT_EQ(versions[u"shell"_s].toString(), u"stand-in 1.0"_s);
        EXPECT_EQ(versions[c.dataVersionKey].toString(), c.dataVersion);
    }

    const TCliRun text = RunCli({u"--install-dir"_s, InstallDir(), u"info"_s});
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_TRUE(text.out.contains(u"  CropsxLocations: 136\n"_s)) << text.out.toStdString();
}

TEST_F(CliTest, InfoOnADirectoryWithoutDatabaseCreatesNothing) {
    const QString empty = InstallDir() + u"empty"_s;
    ASSERT_TRUE(QDir().mkpath(empty));
    const QString absent = InstallDir() + u"absent"_s;
    for (const QString& dir : {empty, absent}) {
        SCOPED_TRACE(dir.toStdString());
        const TCliRun run = RunCli({u"--json"_s, u"--install-dir"_s, dir, u"info"_s});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        const QJsonObject info = ParseJson(run.out);
        const QJsonObject database = info[u"scenarioDatabase"_s].toObject();
        EXPECT_FALSE(database[u"opens"_s].toBool());
        EXPECT_FALSE(database[u"error"_s].toString().isEmpty());
        EXPECT_FALSE(database.contains(u"tables"_s));
        for (const QString& model : {u"MACRO"_s, u"PRZM"_s, u"TOXSWA"_s}) {
            const QJsonObject m = info[u"models"_s].toObject()[model].toObject();
            EXPECT_FALSE(m[u"available"_s].toBool()) << model.toStdString();
            EXPECT_EQ(m[u"versions"_s].toObject()[u"model"_s].toString(), u"to install by user"_s);
        }
    }
    EXPECT_TRUE(QDir(empty).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(absent));
}

TEST_F(CliTest, BadUsageExitsWithTwoAndShowsTheUsage) {
    struct TCase {
        QStringList arguments;
        QString message;
    };
    const TCase cases[] = {
        {{}, u"No command given"_s},
        {{u"nosuch"_s}, u"Unknown command: nosuch"_s},
        {{u"--yes"_s, u"--no"_s, u"info"_s}, u"--yes and --no exclude each other"_s},
        {{u"info"_s, u"extra"_s}, u"Unexpected argument: extra"_s},
        {{u"info"_s, u"--install-dir"_s}, u"--install-dir needs a value"_s},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const TCliRun run = RunCli(c.arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.startsWith(c.message + u'\n')) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(u"Usage: kelvo-cli"_s));
        EXPECT_EQ(run.out, QString());
    }

    const TCliRun help = RunCli({u"--help"_s});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith(u"Usage: kelvo-cli [--install-dir DIR] [--json] [--yes|--no] COMMAND"_s));
    EXPECT_TRUE(help.out.contains(u"\n  info [--json]"_s));
    EXPECT_EQ(help.err, QString());

    const TCliRun version = RunCli({u"--version"_s});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, u"kelvo-cli %1 (scenario database schema version %2)\n"_s.arg(ProgramVersion())
                               .arg(ScenarioSchemaVersion));

    // A command's help is that command's alone, each of its actions on a line.
    const QStringList commandHelps[] = {{u"project"_s, u"--help"_s},
                                        {u"project"_s, u"list"_s, u"-h"_s},
                                        {u"--help"_s, u"project"_s},
                                        {u"help"_s, u"project"_s}};
    for (const QStringList& arguments : commandHelps) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        const TCliRun run = RunCli(arguments);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_TRUE(run.out.startsWith(u"Usage: kelvo-cli [--install-dir DIR] [--json] [--yes|--no] project ACTION"_s))
            << run.out.toStdString();
        EXPECT_TRUE(run.out.contains(u"\n  project list [--json]\n"_s)) << run.out.toStdString();
        EXPECT_FALSE(run.out.contains(u"info [--json]"_s));
        EXPECT_EQ(run.err, QString());
    }
    const TCliRun crops = RunCli({u"crops"_s, u"--help"_s});
    EXPECT_EQ(crops.exitCode, 0);
    EXPECT_TRUE(crops.out.startsWith(u"Usage: kelvo-cli [--install-dir DIR] [--json] [--yes|--no] crops [--all]"_s))
        << crops.out.toStdString();
    EXPECT_TRUE(crops.out.contains(u"\n  the FOCUS crops"_s));
}

TEST_F(CliTest, ARefusedValueExitsWithTwoAndItsReasonAlone) {
    struct TCase {
        QStringList arguments;
        QString message;
    };
    const TCase cases[] = {
        {{u"substance"_s, u"new"_s, u"C23456789012345678901"_s, u"x"_s},
         u"CODE and NAME have at most 20 characters"_s},
        {{u"project"_s, u"create"_s, u"--substance"_s, u"EXAMPLE_P"_s, u"--name"_s, QString(21, u'N'),
          u"--crop"_s, u"Maize"_s},
         u"NAME has at most 20 characters"_s},
        {{u"drift"_s, u"--crop"_s, u"Maize"_s, u"--apps"_s, u"0"_s},
         u"--apps needs a whole number of at least 1: 0"_s},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const TCliRun run = RunCli(QStringList{u"--install-dir"_s, InstallDir()} + c.arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.err, c.message + u'\n');
        EXPECT_EQ(run.out, QString());
    }
}

} // namespace
