#include "domain/ProjectExport.h"
#include "ExportTestBase.h"
#include "foundation/Installation.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

class ProjectExportTest : public TExportTest {
protected:
    void SetUp() override {
        TExportTest::SetUp();
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
                .water = u"focus_ditch"_s});
        Store();
        ASSERT_TRUE(QDir(project->Path).removeRecursively());
    }
    void TearDown() override {
        SetModelAvailable(TModelKind::Macro, false);
        SetModelAvailable(TModelKind::Przm, false);
        TExportTest::TearDown();
    }

    QString Saved() const { return u"Saved all files at subdirectory "_s + project->Path; }
    QString Overwrite() const {
        return u"Are you sure you want to overwrite existing input files and delete existing output files at "_s +
               project->Path + u" directories?"_s;
    }
    bool Exists(const QString& relative) const { return QFileInfo::exists(project->Path + u'/' + relative); }
    int MacroRuns() {
        if (!macro->OpenMacroDatabase()) return -1;
        const int count = macro->dbMacroADO.Select(u"SELECT count(*) FROM run"_s).rows[0][0].toInt();
        macro->CloseMacroDatabase();
        return count;
    }
    int SchemeRows() {
        return dm->dbKelvoADO.Select(u"SELECT count(*) FROM ApplicationSchemes"_s).rows[0][0].toInt();
    }
};

TEST_F(ProjectExportTest, OptionsAndAvailability) {
    struct TCase {
        const char* name;
        TProjectExportOptions options;
        bool przmAvailable;
        bool macroAvailable;
        bool report;
        bool przm;
        int macroRuns;
    };
    const TCase cases[] = {
        {"everything", {}, true, true, true, true, 1},
        {"no report", {.Report = false}, true, true, false, true, 1},
        {"PRZM refused", {.PRZM = false}, true, true, true, false, 1},
        {"PRZM not available", {}, false, true, true, false, 1},
        {"MACRO refused", {.MACRO = false}, true, true, true, true, 0},
        {"MACRO not available", {}, true, false, true, true, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(QDir(project->Path).removeRecursively());
        ASSERT_TRUE(macro->OpenMacroDatabase());
        macro->RemoveProjectRuns(u"P1"_s);
        macro->CloseMacroDatabase();
        SetModelAvailable(TModelKind::Przm, c.przmAvailable);
        SetModelAvailable(TModelKind::Macro, c.macroAvailable);

        EXPECT_TRUE(ExportProject(*project, c.options));
        EXPECT_EQ(ui.TakeTexts(), QStringList{Saved()});
        for (const char* directory : {"TOXSWA", "PRZM", "MACRO"})
            EXPECT_TRUE(QFileInfo(project->Path + u'/' + QString::fromLatin1(directory)).isDir())
                << directory;
        EXPECT_EQ(Exists(u"P1_report.txt"_s), c.report);
        EXPECT_EQ(Exists(u"PRZM/MZ/przm.pzm"_s), c.przm);
        EXPECT_EQ(MacroRuns(), c.macroRuns);
        EXPECT_EQ(SchemeRows(), 2);
    }
}

TEST_F(ProjectExportTest, AnEarlierExportIsOverwrittenOnlyWhenConfirmed) {
    ASSERT_TRUE(QDir().mkpath(project->Path + u"/TOXSWA"_s));
    QFile output(project->Path + u"/TOXSWA/output.txt"_s);
    ASSERT_TRUE(output.open(QIODevice::WriteOnly));
    output.close();

    ui.Answer(false, Overwrite());
    EXPECT_FALSE(ExportProject(*project, {}));
    EXPECT_EQ(ui.TakeTexts(), QStringList{Overwrite()});
    EXPECT_TRUE(Exists(u"TOXSWA/output.txt"_s));
    EXPECT_FALSE(Exists(u"P1_report.txt"_s));
    EXPECT_EQ(SchemeRows(), 0);

    ui.Answer(true, Overwrite());
    EXPECT_TRUE(ExportProject(*project, {}));
    EXPECT_EQ(ui.TakeTexts(), (QStringList{Overwrite(), Saved()}));
    EXPECT_FALSE(Exists(u"TOXSWA/output.txt"_s));
    EXPECT_TRUE(Exists(u"P1_report.txt"_s));
}

TEST_F(ProjectExportTest, AFailedWriteIsShownAndNothingReportsSuccess) {
    // The directory's parent is missing: the directories cannot be made and PRZM cannot write.
    project->Path = InstallDir() + u"missing/P1"_s;
    EXPECT_FALSE(ExportProject(*project, {}));
    const QVector<TScriptedUserInterface::TEntry> shown = ui.Take();
    ASSERT_GE(shown.size(), 2);
    const auto& error = shown[shown.size() - 2];
    EXPECT_EQ(error.kind, TScriptedUserInterface::TKind::Error);
    EXPECT_TRUE(error.text.startsWith(u"Cannot write "_s + project->Path + u"/PRZM/MZ/przm.pzm"_s))
        << error.text.toStdString();
    EXPECT_EQ(shown.last(), (TScriptedUserInterface::TEntry{
                                TScriptedUserInterface::TKind::Warning,
                                u"The export was not completed; the files written before the failure were "
                                u"removed from "_s +
                                    project->Path + u". The MACRO database keeps the runs it held before."_s}));
    EXPECT_FALSE(QFileInfo::exists(project->Path));
    for (const auto& entry : shown)
        EXPECT_FALSE(entry.text.startsWith(u"Saved all files"_s));
    EXPECT_EQ(SchemeRows(), 0);
}

// MACRO is written before TOXSWA's rows; the scenario database, locked by another program past the
// timeout, stops the export after that: MACRO keeps what it held, as the project folder does.
TEST_F(ProjectExportTest, AFailureAfterMacroWasWrittenLeavesMacroAsBefore) {
    const int macroRunsBefore = MacroRuns();
    TConnection other;
    other.Open(DatabaseFile());
    other.Execute(u"BEGIN IMMEDIATE"_s);
    EXPECT_FALSE(ExportProject(*project, {.Report = false, .PRZM = false, .MACRO = true}));
    other.Execute(u"ROLLBACK"_s);
    other.Close();
    const QVector<TScriptedUserInterface::TEntry> shown = ui.Take();
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_EQ(shown.last().text, u"The export was not completed; the files written before the failure were "
                                 u"removed from "_s +
                                     project->Path + u". The MACRO database keeps the runs it held before."_s);
    EXPECT_EQ(MacroRuns(), macroRunsBefore);
    EXPECT_FALSE(QFileInfo::exists(project->Path));
    EXPECT_EQ(SchemeRows(), 0);
}

} // namespace
