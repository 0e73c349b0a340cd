#include "ui/wizards/FocusWizard.h"
#include "ui/wizards/UserWizard.h"
#include "ui/wizards/WizardTest.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

// The refusal names what the substance editor shows empty; with no substance chosen there is nothing to name.
const QString noSubstance =
    u"Error: You selected an incompletely defined substance. Please complete first to be able "
    "to compose a project."_s;
const QString incomplete = noSubstance + u"\n\nMissing: Molar mass (g/mol)"_s;
const QString invalidName = u"invalid character (/ \\ : ? \" < > |)"_s;
const QString saveAsDefault = u"Save as default project path?"_s;

class FocusWizardTest : public TWizardTest {
protected:
    void SetUp() override {
        TWizardTest::SetUp();
        if (HasFatalFailure()) return;
        Parent(u"HALF"_s);
        db().Execute(u"UPDATE Substances SET MolMass = NULL WHERE SubstanceCode = 'HALF'"_s);
        Parent(u"SECOND"_s);
        wizard = std::make_unique<TfrmFocusWizard>();
    }
    void TearDown() override {
        wizard.reset();
        TWizardTest::TearDown();
    }

    // One use of the wizard, as the launcher starts it.
    void Open() {
        wizard->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(wizard.get()));
    }
    void Fill(const QString& name, const QString& substance, const QString& crop) {
        Type(*wizard, "edtName", name);
        Choose(*wizard, "cmbSubstances", substance);
        Choose(*wizard, "cmbCrop", crop);
    }
    QString Focused() const {
        return wizard->focusWidget() ? wizard->focusWidget()->objectName() : QString();
    }

    std::unique_ptr<TfrmFocusWizard> wizard;
};

TEST_F(FocusWizardTest, OffersParentSubstancesAndTheWizardCrops) {
    EXPECT_EQ(wizard->windowTitle(), u"FOCUS Wizard"_s);
    EXPECT_EQ(wizard->property("helpContext").toInt(), 17);
    EXPECT_EQ(Find<QLineEdit>(*wizard, "edtName")->maxLength(), 20);
    EXPECT_TRUE(Find<QLineEdit>(*wizard, "pnlPath")->isReadOnly());
    EXPECT_FALSE(Find<QComboBox>(*wizard, "cmbSubstances")->isEditable());
    EXPECT_TRUE(Find<QPushButton>(*wizard, "btnFinish")->isDefault());
    EXPECT_EQ(Find<QPushButton>(*wizard, "btnFinish")->text(), u"Create runs!"_s);
    for (const char* name :
         {"edtName", "edtDescription", "pnlPath", "SpeedButton1", "cmbSubstances", "cmbCrop"})
        EXPECT_EQ(Find(*wizard, name)->parentWidget(), Find(*wizard, "grpProject")) << name;

    // Crops numbered 26 and above are never offered; the first crop is chosen at the start.
    auto* crops = Find<QComboBox>(*wizard, "cmbCrop");
    ASSERT_EQ(crops->count(), 25);
    EXPECT_EQ(crops->itemText(0), u"Cereals, spring"_s);
    EXPECT_EQ(crops->itemText(24), u"Vines, late applns"_s);
    EXPECT_EQ(crops->currentIndex(), 0);

    Open();
    auto* substances = Find<QComboBox>(*wizard, "cmbSubstances");
    QStringList offered;
    for (int i = 0; i < substances->count(); ++i)
        offered << substances->itemText(i);
    EXPECT_EQ(offered, (QStringList{u"EXAMPLE_P"_s, u"HALF"_s, u"SECOND"_s}));
    EXPECT_EQ(substances->currentIndex(), 0);
    EXPECT_EQ(Text(*wizard, "pnlPath"), root);
    EXPECT_EQ(Focused(), u"edtName"_s);
}

// Each refused Finish keeps the window open with its inputs, the focus on the control to mend; the
// last one stores the project.
TEST_F(FocusWizardTest, FinishChecksThenStoresTheProjectWithItsRuns) {
    db().Execute(u"INSERT INTO ToxswaMap (MapID, Name, Focus) VALUES (1, 'TEST', 1)"_s);
    struct TCase {
        const char* title;
        QString name;
        QString substance;
        QString sqlBefore;
        QStringList shown;
        QString focus;
    };
    const TCase refused[] = {
        {"no name", QString(), u"EXAMPLE_P"_s, QString(), {u"Enter project name"_s}, u"edtName"_s},
        {"a map of that name in other letters",
         u"Test"_s,
         u"EXAMPLE_P"_s,
         QString(),
         {u"Project name already exists"_s},
         u"edtName"_s},
        {"an incomplete substance", u"Maize1"_s, u"HALF"_s, QString(), {incomplete}, u"cmbSubstances"_s},
        {"the project row refused",
         u"Maize1"_s,
         u"EXAMPLE_P"_s,
         u"CREATE TRIGGER NoProjects BEFORE INSERT ON Projects BEGIN SELECT RAISE(ABORT, 'disk full'); END"_s,
         {u"disk full"_s, u"Error creating runs"_s},
         u"btnCancel"_s},
    };
    Open();
    for (const TCase& c : refused) {
        SCOPED_TRACE(c.title);
        if (!c.sqlBefore.isEmpty()) db().Execute(c.sqlBefore);
        Fill(c.name, c.substance, u"Maize"_s);
        Click(*wizard, "btnFinish");
        QStringList shown = ui.TakeTexts();
        if (shown.size() == 2 && shown[0].contains(u"disk full"_s)) shown[0] = u"disk full"_s;
        EXPECT_EQ(shown, c.shown);
        EXPECT_TRUE(wizard->isVisible());
        EXPECT_EQ(Focused(), c.focus);
        EXPECT_EQ(Text(*wizard, "edtName"), c.name);
        EXPECT_EQ(Text(*wizard, "pnlPath"), root);
        EXPECT_EQ(Projects(), 0);
    }
    db().Execute(u"DROP TRIGGER NoProjects"_s);

    Type(*wizard, "edtDescription", u"maize in all scenarios"_s);
    Click(*wizard, "btnFinish");
    // D3 and D6 a ditch, D4, D5 and R1 pond and stream, R2-R4 a stream: 11 parent runs, each with its
    // metabolite run.
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Created runs: 22"_s});
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_EQ(wizard->result(), QDialog::Accepted);
    EXPECT_EQ(ProjectRow(u"Maize1"_s),
              (QStringList{u"EXAMPLE_P"_s, u"maize in all scenarios"_s, root + u"/Maize1"_s}));
    const QStringList runs = RunsOf(u"Maize1"_s);
    ASSERT_EQ(runs.size(), 22);
    EXPECT_EQ(runs.first(), u"D3 Maize focus_ditch m1"_s);
    EXPECT_EQ(runs.filter(u" m1"_s).size(), 11);
    EXPECT_EQ(runs.filter(u"focus_pond"_s).size(), 6);
    EXPECT_TRUE(QDir(root + u"/Maize1"_s).exists());
    EXPECT_EQ(Value(u"SELECT COUNT(*) FROM ToxswaMap WHERE Name = 'Maize1'"_s).toInt(), 1);
}

TEST_F(FocusWizardTest, CropGrownNowhereGivesAProjectWithoutRuns) {
    db().Execute(u"DELETE FROM CropsxLocations WHERE CropCode = 'Tobacco'"_s);
    Open();
    Fill(u"NoTobacco"_s, u"EXAMPLE_P"_s, u"Tobacco"_s);
    Click(*wizard, "btnFinish");
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Created runs: 0"_s});
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_EQ(ProjectRow(u"NoTobacco"_s).value(0), u"EXAMPLE_P"_s);
    EXPECT_TRUE(RunsOf(u"NoTobacco"_s).isEmpty());
}

// The one window serves every use: a new project each time, the substance and crop of the time before
// preselected, the typed texts kept.
TEST_F(FocusWizardTest, NextUsePreselectsTheSubstanceAndCropOfTheLast) {
    Open();
    Fill(u"Kept"_s, u"SECOND"_s, u"Potatoes"_s);
    Type(*wizard, "edtDescription", u"typed before"_s);
    Click(*wizard, "btnCancel");
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_EQ(wizard->result(), QDialog::Rejected);
    EXPECT_EQ(Projects(), 0);

    Open();
    EXPECT_EQ(Find<QComboBox>(*wizard, "cmbSubstances")->currentText(), u"SECOND"_s);
    EXPECT_EQ(Find<QComboBox>(*wizard, "cmbCrop")->currentText(), u"Potatoes"_s);
    EXPECT_EQ(Text(*wizard, "edtName"), u"Kept"_s);
    EXPECT_EQ(Text(*wizard, "edtDescription"), u"typed before"_s);
    Click(*wizard, "btnFinish");
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Created runs: 9"_s});
    // D3, D4 pond and stream, D6 in two seasons, R1 pond and stream, R2, R3.
    EXPECT_EQ(RunsOf(u"Kept"_s).filter(u"Potatoes"_s).size(), 9);

    // The remembered position is gone from a shorter list: no substance is chosen.
    db().Execute(u"DELETE FROM Substances WHERE SubstanceCode = 'HALF'"_s);
    dm->CloseSubstanceTables();
    Open();
    EXPECT_EQ(Find<QComboBox>(*wizard, "cmbSubstances")->currentIndex(), -1);
    Type(*wizard, "edtName", u"Other"_s);
    Click(*wizard, "btnFinish");
    EXPECT_EQ(ui.TakeTexts(), QStringList{noSubstance});
    EXPECT_EQ(Focused(), u"cmbSubstances"_s);
}

TEST_F(FocusWizardTest, RefusedCharacterFallsBackToTheLastValidName) {
    Open();
    struct TCase {
        const char* title;
        QString typed;
        QString shown;
    };
    const TCase cases[] = {
        {"a period", u"ab."_s, u"ab"_s},
        {"a blank", u"ab "_s, u"ab"_s},
        {"a slash", u"x/"_s, u"x"_s},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.title);
        Type(*wizard, "edtName", c.typed);
        EXPECT_EQ(Text(*wizard, "edtName"), c.shown);
        EXPECT_EQ(ui.Take(), (QVector<TScriptedUserInterface::TEntry>{{TKind::Error, invalidName}}));
    }
    // The name kept from the use before is the one to fall back to.
    Click(*wizard, "btnCancel");
    Open();
    QTest::keyClick(Find(*wizard, "edtName"), Qt::Key_End);
    QTest::keyClicks(Find(*wizard, "edtName"), u"?"_s);
    EXPECT_EQ(Text(*wizard, "edtName"), u"x"_s);
    EXPECT_EQ(ui.TakeTexts(), QStringList{invalidName});
}

TEST_F(FocusWizardTest, PathButtonMayChangeTheDefaultRootOfBothWizards) {
    const QString elsewhere = QDir::cleanPath(ProjectsRoot() + u"/../elsewhere"_s);
    const QString chosenRoot = QDir::cleanPath(ProjectsRoot() + u"/../chosen"_s);
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    ASSERT_TRUE(QDir().mkpath(chosenRoot));
    Open();

    // Cancelled: nothing changes. The default root itself: no question.
    ui.AnswerPath(QString());
    Click(*wizard, "SpeedButton1");
    ui.AnswerPath(root + u'/');
    Click(*wizard, "SpeedButton1");
    EXPECT_EQ(ui.Take(),
              (QVector<TScriptedUserInterface::TEntry>{{TKind::FileQuestion, u"Select Directory"_s},
                                                       {TKind::FileQuestion, u"Select Directory"_s}}));

    // No: this project only.
    ui.AnswerPath(elsewhere);
    ui.Answer(false, saveAsDefault);
    Click(*wizard, "SpeedButton1");
    EXPECT_EQ(ui.TakeTexts(), (QStringList{u"Select Directory"_s, saveAsDefault}));
    EXPECT_EQ(Text(*wizard, "pnlPath"), elsewhere);
    EXPECT_EQ(DefaultProjectRoot(), root);
    Fill(u"There"_s, u"EXAMPLE_P"_s, u"Hops"_s);
    Click(*wizard, "btnFinish");
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Created runs: 4"_s});
    EXPECT_EQ(ProjectRow(u"There"_s).value(2), elsewhere + u"/There"_s);

    Open();
    EXPECT_EQ(Text(*wizard, "pnlPath"), root);
    // Yes: later projects of both wizards start there.
    ui.AnswerPath(chosenRoot);
    ui.Answer(true, saveAsDefault);
    Click(*wizard, "SpeedButton1");
    ui.TakeTexts();
    EXPECT_EQ(DefaultProjectRoot(), chosenRoot);
    Click(*wizard, "btnCancel");
    Open();
    EXPECT_EQ(Text(*wizard, "pnlPath"), chosenRoot);
    Click(*wizard, "btnCancel");
    TfrmUserWizard user;
    user.show();
    EXPECT_EQ(Text(user, "pnlPath"), chosenRoot);
}

// The window becoming active again (as when a message box or the directory dialog closes over it) is no
// new use: the project keeps its path.
TEST_F(FocusWizardTest, ActivationAfterItsOwnDialogsKeepsTheProject) {
    const QString elsewhere = QDir::cleanPath(ProjectsRoot() + u"/../elsewhere"_s);
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    Open();
    ui.AnswerPath(elsewhere);
    ui.Answer(false, saveAsDefault);
    Click(*wizard, "SpeedButton1");
    ui.TakeTexts();
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QApplication::setActiveWindow(wizard.get());
    EXPECT_EQ(Text(*wizard, "pnlPath"), elsewhere);
    Fill(u"Back"_s, u"EXAMPLE_P"_s, u"Hops"_s);
    Click(*wizard, "btnFinish");
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Created runs: 4"_s});
    EXPECT_EQ(ProjectRow(u"Back"_s).value(2), elsewhere + u"/Back"_s);
}

TEST_F(FocusWizardTest, ShownModallyItClosesWithOkOnceTheRunsAreMade) {
    QTimer::singleShot(0, wizard.get(), [this] {
        Fill(u"Modal"_s, u"EXAMPLE_P"_s, u"Hops"_s);
        QTest::keyClick(Find(*wizard, "edtName"), Qt::Key_Return);
    });
    EXPECT_EQ(wizard->exec(), QDialog::Accepted);
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Created runs: 4"_s});
    EXPECT_EQ(RunsOf(u"Modal"_s), (QStringList{u"R1 Hops focus_pond m1"_s, u"R1 Hops focus_pond pa"_s,
                                               u"R1 Hops focus_stream m1"_s, u"R1 Hops focus_stream pa"_s}));
}

} // namespace
