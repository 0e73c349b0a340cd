#include "domain/ProjectExport.h"
#include "ExportTestBase.h"
#include "domain/ProjectDirectoryRebuild.h"
#include "foundation/Installation.h"

#include <QDirIterator>
#include <functional>

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
    static QString NotWritten(const QString& model, const QString& reason) {
        return u"The %1 input was not written: %2%3. The %1 files of the earlier export are kept."_s.arg(
            model, InstallationDir(), reason);
    }
    QString AllBut(const QString& model) const {
        return u"Saved the files at subdirectory %1 except those of %2"_s.arg(project->Path, model);
    }
    // Every file and folder below the project directory, hidden ones too, with the files' bytes.
    QStringList Tree() const {
        QStringList entries;
        QDirIterator it(project->Path, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            entries << QDir(project->Path).relativeFilePath(path) +
                           (it.fileInfo().isFile() ? u" "_s + QString::fromLatin1(ReadAll(path).toHex())
                                                   : QString());
        }
        entries.sort();
        return entries;
    }
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
        QString notWritten; // the chosen model whose data are missing
    };
    const TCase cases[] = {
        {"everything", {}, true, true, true, true, 1, {}},
        {"no report", {.Report = false}, true, true, false, true, 1, {}},
        {"PRZM refused", {.PRZM = false}, true, true, true, false, 1, {}},
        {"PRZM not available", {}, false, true, true, false, 1, u"PRZM"_s},
        {"MACRO refused", {.MACRO = false}, true, true, true, true, 0, {}},
        {"MACRO not available", {}, true, false, true, true, 0, u"MACRO"_s},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(QDir(project->Path).removeRecursively());
        ASSERT_TRUE(macro->OpenMacroDatabase());
        macro->RemoveProjectRuns(u"P1"_s);
        macro->CloseMacroDatabase();
        SetModelAvailable(TModelKind::Przm, c.przmAvailable);
        SetModelAvailable(TModelKind::Macro, c.macroAvailable);

        EXPECT_EQ(ExportProject(*project, c.options), c.notWritten.isEmpty());
        const QString data =
            c.notWritten == u"PRZM"_s ? u"PRZM/wpic/chmdat.dat"_s : u"MACRO/pest_focus.sqlite"_s;
        const QStringList shown =
            c.notWritten.isEmpty()
                ? QStringList{Saved()}
                : QStringList{NotWritten(c.notWritten, data + u" could not be read"_s), AllBut(c.notWritten)};
        EXPECT_EQ(ui.TakeTexts(), shown);
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
    project->Path = QDir::cleanPath(ProjectsRoot() + u"/../missing/P1"_s);
    EXPECT_FALSE(ExportProject(*project, {}));
    // Nothing was written, so nothing is said to be removed.
    EXPECT_EQ(ui.Take(),
              (QVector<TScriptedUserInterface::TEntry>{
                  {TScriptedUserInterface::TKind::Error, u"Cannot create the folder "_s + project->Path}}));
    EXPECT_FALSE(QFileInfo::exists(project->Path));
    EXPECT_EQ(SchemeRows(), 0);
}

// A user's own file in the project directory stays through a re-export; the export's own files are
// replaced, the directory is marked as the project's, and no earlier export is left beside it.
TEST_F(ProjectExportTest, AReExportKeepsTheUsersOwnFiles) {
    ASSERT_TRUE(ExportProject(*project, {}));
    ui.TakeTexts();
    for (const QString& file : {u"notes.txt"_s, u"TOXSWA/output.txt"_s}) {
        QFile f(project->Path + u'/' + file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("mine");
    }
    ui.Answer(true, Overwrite());
    EXPECT_TRUE(ExportProject(*project, {}));
    EXPECT_EQ(ui.TakeTexts(), (QStringList{Overwrite(), Saved()}));
    EXPECT_TRUE(Exists(u"notes.txt"_s));
    EXPECT_FALSE(Exists(u"TOXSWA/output.txt"_s));
    EXPECT_TRUE(Exists(u"PRZM/MZ/przm.pzm"_s));
    EXPECT_FALSE(Exists(u".kelvo-previous"_s));
    EXPECT_FALSE(Exists(u"EXPORT_INCOMPLETE.txt"_s));
    QFile marker(project->Path + u'/' + ProjectMarkerName);
    ASSERT_TRUE(marker.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(marker.readAll()),
              u"ProjectID=1\nInstallation=%1\n"_s.arg(InstallationDir()));
}

// A model whose data are missing is named, its files of the earlier export stay as they were, and the
// export does not end as a success; the other models are written.
TEST_F(ProjectExportTest, AModelWithItsDataMissingKeepsItsEarlierFiles) {
    const QString dir = InstallationDir();
    // Each case moves the model's data aside for the second export and back afterwards.
    const struct {
        TModelKind kind;
        QString model;
        QString data;
    } cases[] = {
        {TModelKind::Przm, u"PRZM"_s, u"PRZM/wpic/chmdat.dat"_s},
        {TModelKind::Przm, u"PRZM"_s, u"PRZM/wpic"_s},
        {TModelKind::Macro, u"MACRO"_s, u"MACRO/pest_focus.sqlite"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data.toStdString());
        SetModelAvailable(TModelKind::Przm, true);
        SetModelAvailable(TModelKind::Macro, true);
        if (project->HasToxswaDirectory()) ui.Answer(true, Overwrite());
        ASSERT_TRUE(ExportProject(*project, {}));
        ui.Take();
        const QStringList before = Tree().filter(c.model + u'/');
        ASSERT_FALSE(before.isEmpty());
        macro->CloseMacroDatabase();
        const QString aside = InstallDir() + u"aside"_s;
        ASSERT_TRUE(QDir().rename(dir + c.data, aside));
        SetModelAvailable(c.kind, false);
        ui.Answer(true, Overwrite());
        EXPECT_FALSE(ExportProject(*project, {}));
        EXPECT_EQ(ui.TakeTexts(), (QStringList{Overwrite(), NotWritten(c.model, c.data + u" is missing"_s),
                                               AllBut(c.model)}));
        EXPECT_EQ(Tree().filter(c.model + u'/'), before);
        EXPECT_TRUE(Exists(u"P1_report.txt"_s));
        ASSERT_TRUE(QDir().rename(aside, dir + c.data));
    }
}

// The unfinished-export mark is written before any folder of the export is made or set aside; a rebuild
// that does not finish leaves the directory as it found it.
TEST_F(ProjectExportTest, TheUnfinishedMarkComesFirst) {
    {
        TProjectDirectoryRebuild rebuild(*project);
        EXPECT_EQ(QDir(project->Path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  (QStringList{u".kelvo-previous"_s, ProjectMarkerName, ExportIncompleteMarker}));
    }
    EXPECT_FALSE(QFileInfo::exists(project->Path));

    ASSERT_TRUE(ExportProject(*project, {}));
    ui.TakeTexts();
    const QStringList exported = Tree();
    {
        TProjectDirectoryRebuild rebuild(*project);
        EXPECT_TRUE(Exists(ExportIncompleteMarker));
        EXPECT_FALSE(Exists(u"TOXSWA"_s));
        EXPECT_TRUE(Exists(u".kelvo-previous/TOXSWA"_s));
        project->CreateDirectories();
    }
    EXPECT_EQ(Tree(), exported);
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
