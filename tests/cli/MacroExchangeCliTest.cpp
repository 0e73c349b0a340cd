#include "support/KelvoTest.h"

#include "store/Connection.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TRun {
    int exitCode = -1;
    QStringList out;
    QStringList err;
};

// kelvo-cli exchange import and exchange write, MACRO's half, on the test installation, whose MACRO
// database holds EXAMPLE_P with EXAMPLE_M1.
class MacroExchangeCliTest : public TInstallationTest {
protected:
    TRun Cli(const QStringList& arguments) {
        QProcess process;
        process.start(QString::fromUtf8(KELVO_CLI),
                      QStringList{u"--install-dir"_s, InstallDir()} + arguments);
        EXPECT_TRUE(process.waitForFinished(60000)) << "kelvo-cli did not end";
        TRun run;
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        run.err = QString::fromUtf8(process.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
        return run;
    }

    QString MacroFile() const { return InstallDir() + u"MACRO/pest_focus.sqlite"_s; }

    void Execute(const QString& file, const QString& sql) {
        TConnection db;
        db.Open(file);
        db.Execute(sql);
        db.Close();
    }

    QStringList Names(const QString& table) {
        TConnection db;
        db.Open(MacroFile());
        QStringList names;
        for (const TSqlRow& row : db.Select(u"SELECT name FROM %1 ORDER BY name"_s.arg(table)).rows)
            names << row.value(0).toString();
        db.Close();
        return names;
    }
};

TEST_F(MacroExchangeCliTest, ImportReadsMacroAfterPrzmAndWriteWritesItBeforePrzm) {
    Execute(MacroFile(),
            u"INSERT INTO compound (name, inform, koc) VALUES ('CLIMACRO', 'From MACRO', 100)"_s);
    Execute(MacroFile(), u"INSERT INTO metab (name, inform, koc) VALUES ('CLIMET', 'CLIMACRO', 50)"_s);
    TRun run = Cli({u"exchange"_s, u"import"_s});
    EXPECT_EQ(0, run.exitCode) << run.err.join(u'\n').toStdString();
    ASSERT_EQ(2, run.out.size());
    EXPECT_TRUE(run.out[0].startsWith(u"PRZM: "_s));
    EXPECT_EQ(u"MACRO: read 2 compound and 2 metab rows from %1; new substances: CLIMACRO, CLIMET"_s.arg(
                  MacroFile()),
              run.out[1]);

    // A substance deleted in MACRO comes back from the library; the incomplete one taken from MACRO too.
    Execute(MacroFile(), u"DELETE FROM compound"_s);
    Execute(MacroFile(), u"DELETE FROM metab"_s);
    run = Cli({u"--json"_s, u"exchange"_s, u"write"_s});
    EXPECT_EQ(0, run.exitCode) << run.err.join(u'\n').toStdString();
    const QJsonObject written = QJsonDocument::fromJson(run.out.join(u'\n').toUtf8()).object();
    EXPECT_TRUE(written[u"MACRO"_s][u"done"_s].toBool());
    EXPECT_EQ(2, written[u"MACRO"_s][u"compounds"_s].toInt());
    EXPECT_TRUE(written[u"PRZM"_s][u"done"_s].toBool());
    EXPECT_EQ((QStringList{u"CLIMACRO"_s, u"EXAMPLE_P"_s}), Names(u"compound"_s));
    EXPECT_EQ((QStringList{u"CLIMET"_s, u"EXAMPLE_M1"_s}), Names(u"metab"_s));
}

// Without its database MACRO is not available: its message is shown, PRZM's half still runs.
TEST_F(MacroExchangeCliTest, MissingMacroDatabaseIsReported) {
    ASSERT_TRUE(QFile::remove(MacroFile()));
    for (const QString& action : {u"import"_s, u"write"_s}) {
        const TRun run = Cli({u"exchange"_s, action});
        EXPECT_EQ(1, run.exitCode);
        EXPECT_TRUE(run.out.contains(u"MACRO: not available"_s)) << run.out.join(u'\n').toStdString();
        EXPECT_EQ(2, run.out.size());
        EXPECT_EQ(run.err, QStringList{u"Unable to open MACRO database: "_s + MacroFile()});
    }
    EXPECT_FALSE(QFile::exists(MacroFile()));
}

} // namespace
