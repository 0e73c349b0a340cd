#include "domain/ProjectWizard.h"
#include "domain/ProjectBrowser.h"
#include "domain/ProjectTestBase.h"
#include "store/Locate.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// The refusal names what the substance editor shows empty.
const QString incomplete =
    u"Error: You selected an incompletely defined substance. Please complete first to be able to compose a project."_s
    + u"\n\nMissing: Molar mass (g/mol)"_s;

class ProjectWizardTest : public TProjectTest {
protected:
    // The FOCUS wizard's collection: the crop by name, every scenario growing it with a water body.
    std::unique_ptr<TProject> FocusProject(const QString& substance, const QString& cropName,
                                           const QString& name) {
        auto project = std::make_unique<TProject>(QString(), u"focus"_s);
        project->SubstanceCode = substance;
        project->SelectCrop(*crops, cropName);
        project->Locations = dm->LocationsFor(*project->Crops, project->WaterBodies);
        project->SetName(name);
        return project;
    }
    int Projects() { return Value(u"SELECT COUNT(*) FROM Projects"_s).toInt(); }
};

TEST_F(ProjectWizardTest, FinishChecksInOrder) {
    Parent(u"HALF"_s);
    db().Execute(u"UPDATE Substances SET MolMass = NULL WHERE SubstanceCode = 'HALF'"_s);
    db().Execute(u"INSERT INTO ToxswaMap (MapID, Name, Focus) VALUES (1, 'TEST', 1)"_s);
    struct TCase {
        const char* title;
        TProjectWizardKind kind;
        QString substance;
        QString crop;
        QString typed;
        TWizardFinish outcome;
        QStringList shown;
    };
    const TCase cases[] = {
        {"FOCUS wizard without a name",
         TProjectWizardKind::Focus,
         u"EXAMPLE_P"_s,
         u"Maize"_s,
         QString(),
         TWizardFinish::StayOnName,
         {u"Enter project name"_s}},
        {"user-defined wizard without crops",
         TProjectWizardKind::UserDefined,
         u"EXAMPLE_P"_s,
         QString(),
         u"P"_s,
         TWizardFinish::StayOnName,
         {u"Enter project name"_s}},
        {"a map of that name in other letters",
         TProjectWizardKind::Focus,
         u"EXAMPLE_P"_s,
         u"Maize"_s,
         u"Test"_s,
         TWizardFinish::StayOnName,
         {u"Project name already exists"_s}},
        {"an incomplete substance",
         TProjectWizardKind::UserDefined,
         u"HALF"_s,
         u"Maize"_s,
         u"P"_s,
         TWizardFinish::StayOnSubstance,
         {incomplete}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.title);
        auto project = FocusProject(c.substance, c.crop, c.typed);
        EXPECT_EQ(FinishProjectWizard(c.kind, *project, c.typed), c.outcome);
        EXPECT_EQ(ui.TakeTexts(), c.shown);
        EXPECT_EQ(Projects(), 0);
        EXPECT_EQ(project->GetPath(), root);
        dm->CloseSubstanceTables();
    }
}

TEST_F(ProjectWizardTest, FinishStoresTheProject) {
    auto project = FocusProject(u"EXAMPLE_P"_s, u"Maize"_s, u"Maize1"_s);
    ASSERT_EQ(project->Locations->Count(), 8);
    EXPECT_EQ(FinishProjectWizard(TProjectWizardKind::Focus, *project, u"Maize1"_s), TWizardFinish::Created);
    // D3 and D6 a ditch, D4, D5 and R1 pond and stream, R2-R4 a stream: 11 parent runs, each with its
    // metabolite run.
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Created runs: 22"_s});
    EXPECT_EQ(project->GetPath(), root + u"/Maize1"_s);
    EXPECT_EQ(Value(u"SELECT COUNT(*) FROM Runs WHERE ProjectID = 4"_s).toInt(), 22);

    // A crop grown nowhere still makes a listed project, without runs.
    auto empty = FocusProject(u"EXAMPLE_P"_s, u"No such crop"_s, u"Empty"_s);
    EXPECT_EQ(FinishProjectWizard(TProjectWizardKind::Focus, *empty, u"Empty"_s), TWizardFinish::Created);
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Created runs: 0"_s});
    ASSERT_TRUE(dm->OpenProjects());
    EXPECT_EQ(dm->qryProjects.recordCount(), 2);
}

TEST_F(ProjectWizardTest, FinishThatCannotStoreStaysWithItsInputs) {
    db().Execute(
        u"CREATE TRIGGER NoProjects BEFORE INSERT ON Projects BEGIN SELECT RAISE(ABORT, 'full'); END"_s);
    auto project = FocusProject(u"EXAMPLE_P"_s, u"Maize"_s, u"P1"_s);
    EXPECT_EQ(FinishProjectWizard(TProjectWizardKind::Focus, *project, u"P1"_s), TWizardFinish::StayOnCancel);
    const QStringList shown = ui.TakeTexts();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[0].contains(u"full"_s));
    EXPECT_EQ(shown[1], u"Error creating runs"_s);
    EXPECT_EQ(project->GetPath(), root);
}

// The project browser: copy, select all, toggle.
class ProjectBrowserTest : public TProjectTest {
protected:
    void SetUp() override {
        TProjectTest::SetUp();
        if (HasFatalFailure()) return;
        ListedProject(4, {u"00041d_pa"_s});
        auto project = NewProject(u"Source"_s, u"EXAMPLE_P"_s, {u"Maize"_s}, {u"R1"_s});
        ASSERT_TRUE(project->Save(true));
        EXPECT_EQ(ui.TakeTexts(), QStringList{u"Created runs: 4"_s});
        ASSERT_TRUE(dm->OpenProjects());
        ASSERT_TRUE(dm->OpenRuns());
        ASSERT_TRUE(LocateByIntegerKeys(dm->qryProjects, {5}));
    }
    QStringList Selected(int projectId) {
        return Column(
            u"SELECT RunID || '=' || ifnull(Selected, 'null') FROM Runs WHERE ProjectID = ? ORDER BY RunID"_s,
            {projectId});
    }
};

TEST_F(ProjectBrowserTest, CopyMakesTheCopyCurrent) {
    ASSERT_TRUE(CopyCurrentProject(u"Copy_of_Source"_s, u"Copy_of_about Source"_s));
    EXPECT_EQ(ui.TakeTexts(), (QStringList{u"Created runs: 4"_s, u"New project created: Copy_of_Source"_s}));
    EXPECT_EQ(dm->qryProjects.fieldByName(u"Name"_s).asString(), u"Copy_of_Source"_s);
    EXPECT_EQ(dm->qryProjects.fieldByName(u"Path"_s).asString(), root + u"/Copy_of_Source"_s);
    EXPECT_EQ(dm->tblRuns.recordCount(), 4);
    EXPECT_EQ(
        Column(u"SELECT RunID || ' ' || Name FROM Runs WHERE ProjectID = 6 ORDER BY RunID"_s),
        (QStringList{u"00043p_m1 copy_Maize_R1_focus_pond"_s, u"00043p_pa copy_Maize_R1_focus_pond"_s,
                     u"00043s_m1 copy_Maize_R1_focus_stream"_s, u"00043s_pa copy_Maize_R1_focus_stream"_s}));
    EXPECT_EQ(Value(u"SELECT COUNT(*) FROM Applications WHERE RunID LIKE '00043%'"_s).toInt(), 4);
}

TEST_F(ProjectBrowserTest, CopyRefusals) {
    struct TCase {
        QString name;
        QString shown;
    } cases[] = {
        {QString(), u"Enter project name"_s},
        {u"source"_s, u"Project name already exists"_s},
    };
    for (const TCase& c : cases) {
        EXPECT_FALSE(CopyCurrentProject(c.name, QString()));
        EXPECT_EQ(ui.TakeTexts(), QStringList{c.shown});
    }
    dm->CloseProjects();
    EXPECT_FALSE(CopyCurrentProject(u"X"_s, QString()));
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"no project available"_s});
    EXPECT_EQ(Value(u"SELECT COUNT(*) FROM Projects"_s).toInt(), 2);
}

TEST_F(ProjectBrowserTest, SelectingRuns) {
    const QStringList all = {u"00042p_m1"_s, u"00042p_pa"_s, u"00042s_m1"_s, u"00042s_pa"_s};
    const auto with = [&](const QStringList& values) {
        QStringList texts;
        for (int i = 0; i < all.size(); ++i)
            texts << all[i] + u'=' + values[i];
        return texts;
    };
    SelectAllRuns(false);
    EXPECT_EQ(Selected(5), with({u""_s, u""_s, u""_s, u""_s}));
    EXPECT_EQ(dm->tblRuns.recordCount(), 4);
    EXPECT_EQ(dm->tblRuns.fieldByName(u"Selected"_s).asString(), QString());
    ASSERT_TRUE(LocateByTextKeys(dm->tblRuns, {u"00042s_pa"_s}, 1));
    ToggleRunSelection();
    EXPECT_EQ(Selected(5), with({u""_s, u""_s, u""_s, u"Yes"_s}));
    ToggleRunSelection();
    EXPECT_EQ(Selected(5), with({u""_s, u""_s, u""_s, u"null"_s}));
    SelectAllRuns(true);
    EXPECT_EQ(Selected(5), with({u"Yes"_s, u"Yes"_s, u"Yes"_s, u"Yes"_s}));
    EXPECT_EQ(Selected(4), QStringList{u"00041d_pa=null"_s}); // other projects stay as they are
    dm->CloseProjects();
    SelectAllRuns(false); // no current project: nothing changes
    EXPECT_EQ(Selected(5), with({u"Yes"_s, u"Yes"_s, u"Yes"_s, u"Yes"_s}));
}

} // namespace
