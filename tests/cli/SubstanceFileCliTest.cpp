#include "support/KelvoTest.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TRun {
    int exitCode = -1;
    QString out;
    QString err;
};

QByteArray ReadAll(const QString& fileName) {
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// kelvo-cli substance export and import on real files, as a scientist moves substances between a
// spreadsheet and Kelvo.
class SubstanceFileCliTest : public TInstallationTest {
protected:
    TRun Cli(const QStringList& arguments) {
        QProcess process;
        process.start(QString::fromUtf8(KELVO_CLI), QStringList{u"--install-dir"_s, InstallDir()} + arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        TRun run;
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }
    TRun Ok(const QStringList& arguments) {
        const TRun run = Cli(arguments);
        EXPECT_EQ(0, run.exitCode) << arguments.join(u' ').toStdString() << ": " << run.err.toStdString();
        return run;
    }
    QString File(const QString& name) const { return projectsDir.filePath(name); }
    void Write(const QString& name, const QByteArray& bytes) {
        QFile file(File(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
};

TEST_F(SubstanceFileCliTest, ExportDeleteImportGivesTheSameFiles) {
    Ok({u"substance"_s, u"copy"_s, u"EXAMPLE_P"_s, u"CLIP"_s, u"Cli_parent"_s});
    Ok({u"substance"_s, u"copy"_s, u"EXAMPLE_M1"_s, u"CLIM"_s, u"Cli_metabolite"_s});
    Ok({u"--yes"_s, u"substance"_s, u"metabolites"_s, u"CLIP"_s, u"--scheme"_s, u"2"_s, u"--m1"_s, u"CLIM"_s,
        u"--przm1"_s, u"0.35"_s});
    for (const QString& format : {u"csv"_s, u"json"_s}) {
        const QString first = File(u"first."_s + format);
        const QString second = File(u"second."_s + format);
        Ok({u"substance"_s, u"export"_s, u"CLIP"_s, u"CLIM"_s, u"--format"_s, format, first});
        Ok({u"--yes"_s, u"substance"_s, u"delete"_s, u"CLIP"_s});
        Ok({u"--yes"_s, u"substance"_s, u"delete"_s, u"CLIM"_s});
        const QJsonObject imported =
            QJsonDocument::fromJson(Ok({u"--json"_s, u"substance"_s, u"import"_s, first}).out.toUtf8()).object();
        EXPECT_EQ(2, imported[u"added"_s].toArray().size()) << format.toStdString();
        Ok({u"substance"_s, u"export"_s, u"CLIP"_s, u"CLIM"_s, u"--format"_s, format, second});
        EXPECT_EQ(ReadAll(first), ReadAll(second)) << format.toStdString();
        EXPECT_TRUE(ReadAll(second).contains("0.35")) << "the metabolite scheme travels with the parent";
    }
    // A second import: refused, then skipped, then renamed.
    const TRun refused = Cli({u"substance"_s, u"import"_s, File(u"first.json"_s)});
    EXPECT_EQ(1, refused.exitCode);
    EXPECT_EQ(File(u"first.json"_s) + u", $.substances[0].SubstanceCode, value \"CLIP\": the library has a substance "
                                      u"CLIP already: replace, skip or rename it\n"_s,
              refused.err);
    EXPECT_TRUE(Ok({u"substance"_s, u"import"_s, File(u"first.json"_s), u"--skip"_s}).out.contains(u"skipped CLIP, CLIM"_s));
    EXPECT_TRUE(Ok({u"substance"_s, u"import"_s, File(u"first.json"_s), u"--rename"_s}).out.contains(u"Renamed CLIP to c2_CLIP"_s));
    EXPECT_EQ(2, Cli({u"substance"_s, u"import"_s, File(u"first.json"_s), u"--skip"_s, u"--rename"_s}).exitCode);
}

TEST_F(SubstanceFileCliTest, SpreadsheetFileWithSemicolonsDecimalCommasAndByteOrderMark) {
    Write(u"sheet.csv"_s, "\xEF\xBB\xBFSubstanceCode;Name;MolMass;SlbWatRef;DT50WatRef;DT50SedRef;vap;halflife;Kom;fext\r\n"
                          "SHEET;From a sheet;250,5;1,25;10;40;1,5e-05;20;55,5;0,04\r\n");
    Ok({u"substance"_s, u"import"_s, File(u"sheet.csv"_s)});
    const QJsonObject shown =
        QJsonDocument::fromJson(Ok({u"--json"_s, u"substance"_s, u"show"_s, u"SHEET"_s}).out.toUtf8()).object();
    EXPECT_EQ(250.5, shown[u"Substances"_s][u"MolMass"_s].toDouble());
    EXPECT_EQ(55.5 * 1.724, shown[u"Substance_Macro"_s][u"Koc"_s].toDouble()) << "Koc follows Kom as when typed";
    EXPECT_EQ(0.4, shown[u"Substance_PRZM"_s][u"fextrc"_s].toDouble()) << "the wash-off factor for PRZM follows";

    Write(u"short.csv"_s, "SubstanceCode;Name;MolMass\nSHORT;x\n");
    const TRun refused = Cli({u"substance"_s, u"import"_s, File(u"short.csv"_s)});
    EXPECT_EQ(1, refused.exitCode);
    EXPECT_EQ(File(u"short.csv"_s) + u", line 2: 2 values where the header has 3 (read as semicolon separated, "
                                      u"decimal comma)\n"_s,
              refused.err);
}

} // namespace
