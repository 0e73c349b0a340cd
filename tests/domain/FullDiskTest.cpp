#include "ExportTestBase.h"
#include "domain/ProjectExport.h"
#include "export/PRZMSubstanceFile.h"
#include "foundation/ConcreteCollections.h"
#include "foundation/Installation.h"
#include "support/FileSizeLimit.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QMap>

using namespace Qt::Literals::StringLiterals;

// Writes that fail as on a full disk (a file-size limit in a child process): the failure names the file
// and the reason, the previous file or rows stay as they were, and no success follows.

namespace {

class FullDiskTest : public TExportTest {
protected:
    void SetUp() override {
        TExportTest::SetUp();
        if (HasFatalFailure()) return;
        SetModelAvailable(TModelKind::Macro, true);
        SetModelAvailable(TModelKind::Przm, true);
        AddRun({.number = 12,
                .suffix = u"_pa"_s,
                .location = u"D1"_s,
                .crop = u"Maize"_s,
                .water = u"focus_ditch"_s});
        AddRun({.number = 13,
                .suffix = u"_pa"_s,
                .location = u"R1"_s,
                .crop = u"Maize"_s,
                .water = u"focus_pond"_s});
        Store();
    }
    void TearDown() override {
        SetModelAvailable(TModelKind::Macro, false);
        SetModelAvailable(TModelKind::Przm, false);
        TExportTest::TearDown();
    }

    // Every file below a directory with its bytes.
    static QMap<QString, QByteArray> Files(const QString& directory) {
        QMap<QString, QByteArray> files;
        QDirIterator it(directory, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            files.insert(path, ReadAll(path));
        }
        return files;
    }

    // The MACRO database stays open, as the launcher keeps it.
    TSqlResult MacroRows() {
        return macro->dbMacroADO.Select(
            u"SELECT r.runid, r.num_apps, a.ApplicationNr, a.Dose FROM run r LEFT JOIN applications a "
            u"ON a.RunID = r.runid ORDER BY r.runid, a.ApplicationNr"_s);
    }
    TSqlResult ToxswaRows() {
        return dm->dbKelvoADO.Select(
            u"SELECT s.ApplicationSchemeID, s.Name, a.ApplicationNr, a.Rate, a.DriftDeposition FROM "
            u"ApplicationSchemes s LEFT JOIN ToxswaApplications a ON a.SchemeID = s.ApplicationSchemeID "
            u"ORDER BY 1, 3"_s);
    }
    static void ExpectSameRows(const TSqlResult& expected, const TSqlResult& actual) {
        EXPECT_EQ(expected.rows, actual.rows);
    }
    // A changed pattern, so that a completed write would differ from the one before.
    void ChangeRates() {
        for (TRun* run : project->Runs->Items<TRun>())
            run->GetApplication(1)->Rate = 7.5;
    }
};

TEST_F(FullDiskTest, ModelFilesAndTheReportKeepTheirPreviousContent) {
    project->WriteReport();
    project->ExportPRZMRuns();
    const QMap<QString, QByteArray> before = Files(project->Path);
    ASSERT_EQ(2, before.size());
    ChangeRates();
    const struct {
        const char* name;
        std::function<void()> write;
        QString file;
    } cases[] = {
        {"report", [this] { project->WriteReport(); }, project->Path + u"/P1_report.txt"_s},
        {"PRZM run description", [this] { project->ExportPRZMRuns(); }, project->Path + u"/PRZM/"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TLimitedOutcome outcome = RunWithFileSizeLimit(64, ui, c.write);
        ASSERT_TRUE(outcome.ended);
        EXPECT_TRUE(outcome.error.startsWith(u"Cannot write "_s + c.file)) << outcome.error.toStdString();
        EXPECT_TRUE(outcome.error.endsWith(u": File too large"_s)) << outcome.error.toStdString();
        EXPECT_EQ(QStringList{}, outcome.messages);
        EXPECT_EQ(before, Files(project->Path))
            << "the previous files stay, and nothing half-written beside them";
    }
}

TEST_F(FullDiskTest, ChmdatKeepsItsPreviousPair) {
    const QString folder = InstallDir() + u"PRZM/wpic"_s;
    const QMap<QString, QByteArray> before = Files(folder);
    const TLimitedOutcome outcome = RunWithFileSizeLimit(100, ui, [&folder] {
        TPRZMSubstanceFile file(folder);
        const std::unique_ptr<TAggregationList> records = file.ReadAll();
        if (records->Count() < 1) throw EKelvoError(u"no records to write"_s);
        file.WriteAll(*records);
    });
    ASSERT_TRUE(outcome.ended);
    EXPECT_EQ(u"Cannot write %1/$chmdat.dat: File too large"_s.arg(folder), outcome.error);
    EXPECT_EQ(QStringList{}, outcome.messages);
    EXPECT_EQ(before, Files(folder));
}

TEST_F(FullDiskTest, DatabasesKeepTheirPreviousRows) {
    ASSERT_TRUE(macro->OpenMacroDatabase());
    project->ExportMACRORuns();
    project->PrepareToxswa();
    const TSqlResult macroBefore = MacroRows();
    const TSqlResult toxswaBefore = ToxswaRows();
    ASSERT_FALSE(macroBefore.rows.isEmpty());
    ASSERT_FALSE(toxswaBefore.rows.isEmpty());
    ChangeRates();
    const struct {
        const char* name;
        std::function<void()> write;
        QString file;
    } cases[] = {
        {"MACRO database", [this] { project->ExportMACRORuns(); },
         InstallDir() + u"MACRO/pest_focus.sqlite"_s},
        {"scenario database", [this] { project->PrepareToxswa(); }, DatabaseFile()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TLimitedOutcome outcome = RunWithFileSizeLimit(0, ui, c.write);
        ASSERT_TRUE(outcome.ended);
        EXPECT_TRUE(outcome.error.startsWith(u"Cannot write "_s + c.file + u": "_s))
            << outcome.error.toStdString();
        EXPECT_EQ(QStringList{}, outcome.messages);
        ExpectSameRows(macroBefore, MacroRows());
        ExpectSameRows(toxswaBefore, ToxswaRows());
    }
}

// Room for the unfinished-export mark but not for the model files (the MACRO database cannot even be
// opened for writing): the export fails half way and puts the previous export back. No room at all: it stops before touching anything and claims no removal.
TEST_F(FullDiskTest, AFailedExportPutsThePreviousDirectoryBackAndShowsNoSuccess) {
    ui.Answer(true); // the directory of the fixture is there: overwrite it
    ASSERT_TRUE(ExportProject(*project, TProjectExportOptions{}));
    const QString overwrite =
        u"Are you sure you want to overwrite existing input files and delete existing output "
        u"files at "_s +
        project->Path + u" directories?"_s;
    EXPECT_EQ((QStringList{overwrite, u"Saved all files at subdirectory "_s + project->Path}),
              ui.TakeTexts());
    const QMap<QString, QByteArray> before = Files(project->Path);
    ChangeRates();
    const struct {
        long limit;
        QString failure;
        QStringList after; // what follows the failure
    } cases[] = {
        {150,
         u"Unable to open MACRO database: "_s + InstallDir() + u"MACRO/pest_focus.sqlite"_s,
         {u"The export was not completed; the files written before the failure were removed from "_s +
          project->Path + u". The MACRO database keeps the runs it held before."_s}},
        {0, u"Cannot write "_s + project->Path + u"/EXPORT_INCOMPLETE.txt"_s, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.limit);
        const TLimitedOutcome outcome = RunWithFileSizeLimit(c.limit, ui, [this] {
            ui.Answer(true);
            if (ExportProject(*project, TProjectExportOptions{}))
                throw EKelvoError(u"the export succeeded"_s);
        });
        ASSERT_TRUE(outcome.ended);
        EXPECT_EQ(QString(), outcome.error);
        ASSERT_EQ(2 + c.after.size(), outcome.messages.size())
            << outcome.messages.join(u" | "_s).toStdString();
        EXPECT_EQ(overwrite, outcome.messages[0]);
        EXPECT_TRUE(outcome.messages[1].startsWith(c.failure))
            << outcome.messages[1].toStdString();
        EXPECT_EQ(c.after, outcome.messages.mid(2));
        EXPECT_EQ(before, Files(project->Path));
        EXPECT_FALSE(QFileInfo::exists(project->Path + u"/.kelvo-previous"_s));
    }
}

} // namespace
