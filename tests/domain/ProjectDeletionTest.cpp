#include "domain/ProjectTestBase.h"
#include "export/DataModuleMacroADO.h"
#include "foundation/Errors.h"
#include "foundation/Installation.h"
#include "store/Locate.h"

using namespace Qt::Literals::StringLiterals;

namespace {

const QString removeQuestion = u"Remove project: Doomed"_s;
const QString filesQuestion = u"Also delete created files?"_s;

// A stored project "Doomed" (Maize at D4: two runs) beside a project "Kept", both with exported
// files, TOXSWA application schemes and MACRO runs; the project list open on "Doomed".
class ProjectDeletionTest : public TProjectTest {
protected:
    void SetUp() override {
        TProjectTest::SetUp();
        if (HasFatalFailure()) return;
        macro = std::make_unique<TdmMacroADO>();
        ASSERT_TRUE(macro->OpenMacroDatabase());
        // The example projects 1 to 3, not listed: the new projects become 4 and 5.
        db().Execute(u"INSERT INTO Projects (ProjectID, Name) VALUES (1, 'E1'), (2, 'E2'), (3, 'E3')"_s);
        for (const QString& name : {u"Kept"_s, u"Doomed"_s}) {
            auto project = NewProject(name, u"EXAMPLE_P"_s, {u"Maize"_s}, {u"D4"_s}, {u"focus_pond"_s});
            ASSERT_TRUE(project->Save(true));
            project->CreateDirectories();
            for (const TRun* run : project->Runs->Items<TRun>()) {
                db().Execute(u"INSERT INTO ApplicationSchemes (ApplicationSchemeID, Name) VALUES (?, ?)"_s,
                             {run->ApplicationSchemeNumber(), run->RunID});
                db().Execute(u"INSERT INTO ToxswaApplications (SchemeID, ApplicationNr) VALUES (?, 1)"_s,
                             {run->ApplicationSchemeNumber()});
            }
            macro->dbMacroADO.Execute(u"INSERT INTO run (runid, projectname) VALUES (?, ?)"_s,
                                      {project->ProjectID, name});
            paths << project->GetPath();
        }
        EXPECT_EQ(ui.TakeTexts(), (QStringList{u"Created runs: 2"_s, u"Created runs: 2"_s}));
        ASSERT_TRUE(dm->OpenProjects());
        ASSERT_TRUE(dm->OpenRuns());
        ASSERT_TRUE(LocateByTextKeys(dm->qryProjects, {u"5"_s}, 1));
    }
    void TearDown() override {
        SetModelAvailable(TModelKind::Macro, false);
        macro.reset();
        TProjectTest::TearDown();
    }

    // What is left of each project: its row, runs, map, schemes, directory and MACRO runs. The schemes
    // are named after the runs, which carry the run number.
    QString Left(int projectId, int runNumber, const QString& name, const QString& path) {
        return u"row %1, runs %2, map %3, schemes %4, directory %5, macro %6"_s
            .arg(Value(u"SELECT COUNT(*) FROM Projects WHERE ProjectID = ?"_s, {projectId}).toInt())
            .arg(Value(u"SELECT COUNT(*) FROM Runs WHERE ProjectID = ?"_s, {projectId}).toInt())
            .arg(Value(u"SELECT COUNT(*) FROM ToxswaMap WHERE Name = ?"_s, {name}).toInt())
            .arg(Value(u"SELECT COUNT(*) FROM ApplicationSchemes WHERE Name LIKE ?"_s,
                       {QString::number(runNumber).rightJustified(5, u'0') + u"%"_s})
                     .toInt())
            .arg(QFileInfo(path).isDir() ? 1 : 0)
            .arg(macro->dbMacroADO.Select(u"SELECT COUNT(*) FROM run WHERE projectname = ?"_s, {name})
                     .rows[0][0]
                     .toInt());
    }
    QString Doomed() { return Left(5, 2, u"Doomed"_s, paths[1]); }
    QString Kept() { return Left(4, 1, u"Kept"_s, paths[0]); }
    const QString everything = u"row 1, runs 2, map 1, schemes 2, directory 1, macro 1"_s;

    std::unique_ptr<TdmMacroADO> macro;
    QStringList paths;
};

struct TDeletionCase {
    const char* title;
    bool macroAvailable;
    QVector<bool> answers;
    bool deleted;
    QStringList shown;
    QString left;
};

void PrintTo(const TDeletionCase& c, std::ostream* os) {
    *os << c.title;
}

const TDeletionCase deletionCases[] = {
    {"No to the removal: nothing happens",
     true,
     {false},
     false,
     {removeQuestion},
     u"row 1, runs 2, map 1, schemes 2, directory 1, macro 1"_s},
    {"No to the files: only the row and its runs go",
     true,
     {true, false},
     true,
     {removeQuestion, filesQuestion},
     u"row 0, runs 0, map 1, schemes 2, directory 1, macro 1"_s},
    {"Yes to both: everything goes",
     true,
     {true, true},
     true,
     {removeQuestion, filesQuestion, u"All created files deleted!"_s},
     u"row 0, runs 0, map 0, schemes 0, directory 0, macro 0"_s},
    {"MACRO unavailable: its runs stay",
     false,
     {true, true},
     true,
     {removeQuestion, filesQuestion, u"All created files deleted!"_s},
     u"row 0, runs 0, map 0, schemes 0, directory 0, macro 1"_s},
};

class ProjectDeletionAnswers : public ProjectDeletionTest,
                               public ::testing::WithParamInterface<TDeletionCase> {};

TEST_P(ProjectDeletionAnswers, DecideWhatGoes) {
    const TDeletionCase& c = GetParam();
    SetModelAvailable(TModelKind::Macro, c.macroAvailable);
    const QStringList questions = {removeQuestion, filesQuestion};
    for (int i = 0; i < c.answers.size(); ++i)
        ui.Answer(c.answers[i], questions[i]);
    bool deleted = true;
    try {
        dm->qryProjects.deleteRecord();
    } catch (const EAbort&) {
        deleted = false;
    }
    EXPECT_EQ(deleted, c.deleted);
    EXPECT_EQ(ui.TakeTexts(), c.shown);
    EXPECT_EQ(Doomed(), c.left);
    EXPECT_EQ(Kept(), everything);
    EXPECT_EQ(dm->qryProjects.recordCount(), c.deleted ? 1 : 2);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProjectDeletionAnswers, ::testing::ValuesIn(deletionCases));

// The example projects 1 and 2 may be listed but not deleted; 3 is never listed.
TEST_F(ProjectDeletionTest, ExampleProjectsAreRefused) {
    db().Execute(u"INSERT INTO ToxswaMap (MapID, Name, Focus) VALUES (90, 'E2', 1), (91, 'E3', 1)"_s);
    db().Execute(u"INSERT INTO MapxProject (MapID, ProjectID) VALUES (90, 2), (91, 3)"_s);
    ASSERT_TRUE(dm->OpenProjects());
    EXPECT_FALSE(LocateByIntegerKeys(dm->qryProjects, {3}));
    ASSERT_TRUE(LocateByIntegerKeys(dm->qryProjects, {2}));
    try {
        dm->qryProjects.deleteRecord();
        ADD_FAILURE();
    } catch (const EKelvoError& e) {
        EXPECT_EQ(e.Message(), u"Not allowed to delete example project."_s);
    }
    EXPECT_EQ(Value(u"SELECT COUNT(*) FROM Projects"_s).toInt(), 5);
}

TEST_F(ProjectDeletionTest, ANeverExportedProjectLosesItsMapWithoutTheFilesMessage) {
    ASSERT_TRUE(QDir(paths[1]).removeRecursively());
    ui.Answer(true, removeQuestion);
    ui.Answer(true, filesQuestion);
    dm->qryProjects.deleteRecord();
    EXPECT_EQ(ui.TakeTexts(), (QStringList{removeQuestion, filesQuestion}));
    EXPECT_EQ(Doomed(), u"row 0, runs 0, map 0, schemes 0, directory 0, macro 1"_s);
}

// A directory that may not be deleted stops the clean-up and keeps the project row.
TEST_F(ProjectDeletionTest, ARefusedDirectoryKeepsTheProject) {
    db().Execute(u"UPDATE Projects SET Path = ? WHERE Name = 'Doomed'"_s, {root});
    ui.Answer(true, removeQuestion);
    ui.Answer(true, filesQuestion);
    EXPECT_THROW(dm->qryProjects.deleteRecord(), EKelvoError);
    EXPECT_EQ(ui.TakeTexts(), (QStringList{removeQuestion, filesQuestion}));
    EXPECT_EQ(Doomed(), everything);
    EXPECT_EQ(Kept(), everything);
}

// Another program holds the database: the deletion is refused before it asks anything and has deleted
// no file.
TEST_F(ProjectDeletionTest, ALockedDatabaseDeletesNoFile) {
    TConnection holder;
    holder.Open(DatabaseFile());
    holder.BeginTrans();
    holder.Execute(u"UPDATE Projects SET Description = 'held' WHERE Name = 'Kept'"_s);
    EXPECT_THROW(dm->qryProjects.deleteRecord(), EKelvoError);
    holder.RollbackTrans();
    EXPECT_EQ(ui.TakeTexts(), QStringList());
    for (const QString& folder : {u"/TOXSWA"_s, u"/PRZM"_s, u"/MACRO"_s})
        EXPECT_TRUE(QFileInfo(paths[1] + folder).isDir()) << folder.toStdString();
    EXPECT_TRUE(QFileInfo::exists(paths[1] + u'/' + ProjectMarkerName));
    EXPECT_EQ(Value(u"SELECT COUNT(*) FROM Projects WHERE Name = 'Doomed'"_s).toInt(), 1);
}

// In a normal run the MACRO database is closed after the start-up exchange: the deletion opens it for
// the removal of the MACRO runs and closes it again.
TEST_F(ProjectDeletionTest, ClosedMacroDatabaseIsOpenedForTheRemoval) {
    SetModelAvailable(TModelKind::Macro, true);
    macro->CloseMacroDatabase();
    ui.Answer(true, removeQuestion);
    ui.Answer(true, filesQuestion);
    dm->qryProjects.deleteRecord();
    EXPECT_EQ(ui.TakeTexts(), (QStringList{removeQuestion, filesQuestion, u"All created files deleted!"_s}));
    EXPECT_FALSE(macro->dbMacroADO.IsOpen());
    ASSERT_TRUE(macro->OpenMacroDatabase());
    EXPECT_EQ(Doomed(), u"row 0, runs 0, map 0, schemes 0, directory 0, macro 0"_s);
    EXPECT_EQ(Kept(), everything);
}

// Another process changes the project list between showing it and deleting: the project asked about
// is the one deleted, or, when it is gone, nothing is.
TEST_F(ProjectDeletionTest, AListChangedByAnotherProcessDeletesTheProjectAskedAbout) {
    SetModelAvailable(TModelKind::Macro, true);
    TConnection other;
    other.Open(DatabaseFile());
    other.Execute(u"INSERT INTO Projects (ProjectID, Name, Path) VALUES (9, 'Intruder', ?)"_s,
                  {root + u"/Intruder"_s});
    other.Execute(u"INSERT INTO ToxswaMap (MapID, Name, Focus) VALUES (109, 'Intruder', 1)"_s);
    other.Execute(u"INSERT INTO MapxProject (MapID, ProjectID) VALUES (109, 9)"_s);
    ui.Answer(true, removeQuestion);
    ui.Answer(true, filesQuestion);
    dm->qryProjects.deleteRecord();
    EXPECT_EQ(ui.TakeTexts(), (QStringList{removeQuestion, filesQuestion, u"All created files deleted!"_s}));
    EXPECT_EQ(Doomed(), u"row 0, runs 0, map 0, schemes 0, directory 0, macro 0"_s);
    EXPECT_EQ(Kept(), everything);
    EXPECT_EQ(Value(u"SELECT COUNT(*) FROM Projects WHERE ProjectID = 9"_s).toInt(), 1);

    // "Kept" is now current; another process removes it before the user's deletion reads it.
    ASSERT_TRUE(LocateByIntegerKeys(dm->qryProjects, {4}));
    other.Execute(u"DELETE FROM Projects WHERE ProjectID = 4"_s);
    ui.Answer(true, u"Remove project: Kept"_s);
    ui.Answer(true, filesQuestion);
    EXPECT_THROW(dm->qryProjects.deleteRecord(), EKelvoError);
    EXPECT_EQ(ui.TakeTexts(), (QStringList{u"Remove project: Kept"_s, filesQuestion}));
    EXPECT_EQ(Value(u"SELECT COUNT(*) FROM Projects WHERE ProjectID = 9"_s).toInt(), 1);
    EXPECT_TRUE(QFileInfo(paths[0]).isDir());
}

} // namespace
