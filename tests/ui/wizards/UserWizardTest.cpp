#include "ui/wizards/UserWizard.h"
#include "ui/wizards/WizardTest.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// The refusal names what the substance editor shows empty.
const QString incomplete =
    u"Error: You selected an incompletely defined substance. Please complete first to be able "
    "to compose a project."_s
    + u"\n\nMissing: Molar mass (g/mol)"_s;

class UserWizardTest : public TWizardTest {
protected:
    void SetUp() override {
        TWizardTest::SetUp();
        if (HasFatalFailure()) return;
        wizard = std::make_unique<TfrmUserWizard>();
        wizard->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(wizard.get()));
    }
    void TearDown() override {
        wizard.reset();
        TWizardTest::TearDown();
    }

    QListWidget* List(const char* name) const { return Find<QListWidget>(*wizard, name); }
    static QStringList Entries(const QListWidget* list) {
        QStringList entries;
        for (int row = 0; row < list->count(); ++row)
            entries << list->item(row)->text();
        return entries;
    }
    static QStringList Selected(const QListWidget* list) {
        QStringList selected;
        for (int row = 0; row < list->count(); ++row)
            if (list->item(row)->isSelected()) selected << list->item(row)->text();
        return selected;
    }
    // Clicks the entries; the first plainly, the others with Ctrl held, as a user selects several.
    static void Select(QListWidget* list, const QStringList& entries) {
        for (const QString& entry : entries) {
            const QList<QListWidgetItem*> found = list->findItems(entry, Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1) << entry.toStdString();
            list->scrollToItem(found[0]);
            QTest::mouseClick(list->viewport(), Qt::LeftButton,
                              entry == entries.first() ? Qt::NoModifier : Qt::ControlModifier,
                              list->visualItemRect(found[0]).center());
        }
        ASSERT_EQ(Selected(list).size(), entries.size());
    }
    static void DoubleClick(QListWidget* list, const QString& entry) {
        const QList<QListWidgetItem*> found = list->findItems(entry, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << entry.toStdString();
        list->scrollToItem(found[0]);
        const QPoint at = list->visualItemRect(found[0]).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }
    QString Page() const { return Find<QStackedWidget>(*wizard, "pgsWizard")->currentWidget()->objectName(); }
    bool Enabled(const char* name) const { return Find(*wizard, name)->isEnabled(); }
    // Back, Next, Finish enabled, as "BNF" with a dash for a disabled button.
    QString Buttons() const {
        return QString() + (Enabled("btnBack") ? u'B' : u'-') + (Enabled("btnNext") ? u'N' : u'-') +
               (Enabled("btnFinish") ? u'F' : u'-');
    }
    QString Focused() const {
        return wizard->focusWidget() ? wizard->focusWidget()->objectName() : QString();
    }
    void Tick(const char* name, bool ticked) {
        auto* box = Find<QCheckBox>(*wizard, name);
        if (box->isChecked() != ticked)
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
        ASSERT_EQ(box->isChecked(), ticked) << name;
    }
    // From page 1 to page 5: the crops, the water bodies ticked, the scenarios, then the name.
    void Compose(const QStringList& crops, const QStringList& waterBoxes, const QStringList& scenarios,
                 const QString& name) {
        Click(*wizard, "btnNext");
        Select(List("CropsSrcList"), crops);
        Click(*wizard, "CropsIncludeBtn");
        Click(*wizard, "btnNext");
        for (const char* box : {"cbDitch", "cbPond", "cbStream"})
            Tick(box, waterBoxes.contains(QString::fromLatin1(box)));
        Click(*wizard, "btnNext");
        Select(List("LocationsSrcList"), scenarios);
        Click(*wizard, "LocationsIncludeBtn");
        Click(*wizard, "btnNext");
        Type(*wizard, "edtName", name);
    }

    std::unique_ptr<TfrmUserWizard> wizard;
};

TEST_F(UserWizardTest, StartsOnTheSubstancePageWithANewProject) {
    EXPECT_EQ(wizard->windowTitle(), u"Wizard"_s);
    EXPECT_EQ(wizard->property("helpContext").toInt(), 18);
    EXPECT_EQ(Page(), u"pnlSubstances"_s);
    for (const char* page : {"pnlCrops", "pnlWaterBodyType", "pnlLocations", "pnlProject"})
        EXPECT_FALSE(Find(*wizard, page)->isVisible()) << page;
    EXPECT_EQ(Buttons(), u"-N-"_s);
    EXPECT_TRUE(Find<QPushButton>(*wizard, "btnFinish")->isDefault());
    EXPECT_EQ(Focused(), u"cmbSubstances"_s);
    EXPECT_EQ(Find<QComboBox>(*wizard, "cmbSubstances")->currentText(), u"EXAMPLE_P"_s);
    EXPECT_EQ(Text(*wizard, "edtName"), u"project_EXAMPLE_P"_s);
    EXPECT_EQ(Find<QLineEdit>(*wizard, "edtName")->maxLength(), 20);
    EXPECT_EQ(Text(*wizard, "pnlPath"), root);
    for (const char* box : {"cbDitch", "cbPond", "cbStream"})
        EXPECT_TRUE(Find<QCheckBox>(*wizard, box)->isChecked()) << box;
    // Crops numbered 26 and above are never offered.
    EXPECT_EQ(List("CropsSrcList")->count(), 25);
    EXPECT_TRUE(List("CropsDstList")->count() == 0 && List("LocationsSrcList")->count() == 0);
    for (const char* button :
         {"CropsExcludeBtn", "CropsExAllBtn", "LocationsExcludeBtn", "LocationsExAllBtn"})
        EXPECT_FALSE(Enabled(button)) << button;
}

TEST_F(UserWizardTest, EachSubstanceChosenSuggestsAName) {
    for (const char* code : {"SECOND", "X.Y", "X Z"})
        Parent(QString::fromLatin1(code));
    wizard = std::make_unique<TfrmUserWizard>();
    wizard->show();
    // A name typed on the last page is replaced by the next choice of a substance.
    Compose({u"Hops"_s}, {u"cbStream"_s}, {u"R1"_s}, u"typed"_s);
    for (int i = 0; i < 4; ++i)
        Click(*wizard, "btnBack");
    struct TCase {
        QString substance;
        QString name;
    };
    const TCase cases[] = {{u"SECOND"_s, u"project_SECOND"_s},
                           {u"X.Y"_s, u"enter_projectname"_s},
                           {u"X Z"_s, u"enter_projectname"_s},
                           {u"EXAMPLE_P"_s, u"project_EXAMPLE_P"_s}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.substance.toStdString());
        Choose(*wizard, "cmbSubstances", c.substance);
        EXPECT_EQ(Text(*wizard, "edtName"), c.name);
    }
}

TEST_F(UserWizardTest, MoveButtonsMoveTheSelectedCrops) {
    Click(*wizard, "btnNext");
    EXPECT_EQ(Page(), u"pnlCrops"_s);
    EXPECT_EQ(Buttons(), u"B--"_s);
    EXPECT_EQ(Focused(), u"CropsSrcList"_s);
    QListWidget* source = List("CropsSrcList");
    QListWidget* chosen = List("CropsDstList");

    // Two at once: the one further down comes first; the entry now at the first one's place is selected.
    Select(source, {u"Maize"_s, u"Potatoes"_s});
    Click(*wizard, "CropsIncludeBtn");
    EXPECT_EQ(Entries(chosen), (QStringList{u"Potatoes"_s, u"Maize"_s}));
    EXPECT_EQ(Selected(source), QStringList{u"Oil seed rape, spring"_s});
    EXPECT_EQ(Focused(), u"CropsSrcList"_s);
    EXPECT_EQ(Buttons(), u"BN-"_s);
    EXPECT_TRUE(Enabled("CropsExcludeBtn") && Enabled("CropsExAllBtn"));

    // The last two: the list has become shorter, its last entry is selected.
    Select(source, {u"Vines, early applns"_s, u"Vines, late applns"_s});
    Click(*wizard, "CropsIncludeBtn");
    EXPECT_EQ(Selected(source), QStringList{u"Vegetables, root"_s});
    DoubleClick(source, u"Hops"_s);
    EXPECT_EQ(Entries(chosen), (QStringList{u"Potatoes"_s, u"Maize"_s, u"Vines, late applns"_s,
                                            u"Vines, early applns"_s, u"Hops"_s}));

    // Back to the sorted list, in its order.
    Select(chosen, {u"Maize"_s, u"Hops"_s});
    Click(*wizard, "CropsExcludeBtn");
    EXPECT_EQ(Selected(chosen), QStringList{u"Vines, late applns"_s});
    DoubleClick(chosen, u"Potatoes"_s);
    EXPECT_EQ(Entries(chosen), (QStringList{u"Vines, late applns"_s, u"Vines, early applns"_s}));
    const QStringList available = Entries(source);
    EXPECT_EQ(available.size(), 23);
    EXPECT_TRUE(std::is_sorted(available.begin(), available.end()));

    Click(*wizard, "CropsExAllBtn");
    EXPECT_EQ(Entries(source).size(), 25);
    EXPECT_TRUE(Entries(chosen).isEmpty());
    EXPECT_EQ(Focused(), u"CropsDstList"_s);
    EXPECT_EQ(Buttons(), u"B--"_s);
    EXPECT_FALSE(Enabled("CropsExcludeBtn") || Enabled("CropsExAllBtn"));
    Click(*wizard, "CropsIncAllBtn");
    EXPECT_TRUE(Entries(source).isEmpty());
    EXPECT_EQ(Entries(chosen).first(), u"Cereals, spring"_s);
    EXPECT_FALSE(Enabled("CropsIncludeBtn") || Enabled("CropsIncAllBtn"));
    EXPECT_EQ(Buttons(), u"BN-"_s);
}

TEST_F(UserWizardTest, PagesFollowTheChoices) {
    Click(*wizard, "btnNext");
    Select(List("CropsSrcList"), {u"Maize"_s});
    Click(*wizard, "CropsIncludeBtn");
    Click(*wizard, "btnNext");
    EXPECT_EQ(Page(), u"pnlWaterBodyType"_s);
    EXPECT_EQ(Buttons(), u"BN-"_s);

    // No water body: no scenario at all, and no way on.
    for (const char* box : {"cbDitch", "cbPond", "cbStream"})
        Tick(box, false);
    Click(*wizard, "btnNext");
    EXPECT_EQ(Page(), u"pnlLocations"_s);
    EXPECT_EQ(Buttons(), u"B--"_s);
    EXPECT_TRUE(Entries(List("LocationsSrcList")).isEmpty());
    EXPECT_FALSE(Enabled("LocationsIncludeBtn") || Enabled("LocationsIncAllBtn"));

    Click(*wizard, "btnBack");
    EXPECT_FALSE(Find<QCheckBox>(*wizard, "cbPond")->isChecked());
    Tick("cbDitch", true);
    Click(*wizard, "btnNext");
    EXPECT_EQ(Entries(List("LocationsSrcList")), (QStringList{u"D3"_s, u"D6"_s}));
    EXPECT_EQ(Focused(), u"LocationsSrcList"_s);
    EXPECT_EQ(Buttons(), u"B--"_s);
    EXPECT_TRUE(Enabled("LocationsIncludeBtn") && Enabled("LocationsIncAllBtn"));
    EXPECT_FALSE(Enabled("LocationsExcludeBtn") || Enabled("LocationsExAllBtn"));
    DoubleClick(List("LocationsSrcList"), u"D6"_s);
    EXPECT_EQ(Entries(List("LocationsDstList")), QStringList{u"D6"_s});
    EXPECT_EQ(Selected(List("LocationsSrcList")), QStringList{u"D3"_s});
    EXPECT_EQ(Buttons(), u"BN-"_s);
    EXPECT_TRUE(Enabled("LocationsExcludeBtn") && Enabled("LocationsExAllBtn"));
    Click(*wizard, "btnNext");
    EXPECT_EQ(Page(), u"pnlProject"_s);
    EXPECT_EQ(Buttons(), u"B-F"_s);
    EXPECT_EQ(Focused(), u"edtName"_s);

    // A second crop: the chosen scenario stays chosen, those of the new crop join the offer.
    for (int i = 0; i < 3; ++i)
        Click(*wizard, "btnBack");
    EXPECT_EQ(Entries(List("CropsDstList")), QStringList{u"Maize"_s});
    EXPECT_EQ(Buttons(), u"BN-"_s);
    Select(List("CropsSrcList"), {u"Cereals, winter"_s});
    Click(*wizard, "CropsIncludeBtn");
    Click(*wizard, "btnNext");
    Click(*wizard, "btnNext");
    EXPECT_EQ(Entries(List("LocationsSrcList")), (QStringList{u"D1"_s, u"D2"_s, u"D3"_s}));
    EXPECT_EQ(Entries(List("LocationsDstList")), QStringList{u"D6"_s});
    EXPECT_EQ(Buttons(), u"BN-"_s);

    // Without crops the way on is closed again.
    Click(*wizard, "btnBack");
    Click(*wizard, "btnBack");
    Click(*wizard, "CropsExAllBtn");
    EXPECT_EQ(Buttons(), u"B--"_s);
    Click(*wizard, "btnBack");
    EXPECT_EQ(Page(), u"pnlSubstances"_s);
    EXPECT_EQ(Buttons(), u"-N-"_s);
}

TEST_F(UserWizardTest, FinishStoresTheChosenRuns) {
    Compose({u"Maize"_s, u"Potatoes"_s}, {u"cbPond"_s}, {u"R1"_s, u"D4"_s}, u"Chosen"_s);
    Type(*wizard, "edtDescription", u"ponds only"_s);
    EXPECT_EQ(Entries(List("LocationsDstList")), (QStringList{u"D4"_s, u"R1"_s}));
    Click(*wizard, "btnFinish");
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Created runs: 8"_s});
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_EQ(wizard->result(), QDialog::Accepted);
    EXPECT_EQ(ProjectRow(u"Chosen"_s), (QStringList{u"EXAMPLE_P"_s, u"ponds only"_s, root + u"/Chosen"_s}));
    QStringList runs = RunsOf(u"Chosen"_s);
    runs.sort();
    EXPECT_EQ(runs, (QStringList{u"D4 Maize focus_pond m1"_s, u"D4 Maize focus_pond pa"_s,
                                 u"D4 Potatoes focus_pond m1"_s, u"D4 Potatoes focus_pond pa"_s,
                                 u"R1 Maize focus_pond m1"_s, u"R1 Maize focus_pond pa"_s,
                                 u"R1 Potatoes focus_pond m1"_s, u"R1 Potatoes focus_pond pa"_s}));
}

TEST_F(UserWizardTest, FinishThatIsRefusedStaysOnTheLastPage) {
    Parent(u"HALF"_s);
    db().Execute(u"UPDATE Substances SET MolMass = NULL WHERE SubstanceCode = 'HALF'"_s);
    db().Execute(u"INSERT INTO ToxswaMap (MapID, Name, Focus) VALUES (1, 'TEST', 1)"_s);
    wizard = std::make_unique<TfrmUserWizard>();
    wizard->show();
    Choose(*wizard, "cmbSubstances", u"HALF"_s);
    Compose({u"Hops"_s}, {u"cbStream"_s}, {u"R1"_s}, QString());
    // Finish keeps the state it had when the page was shown.
    EXPECT_EQ(Buttons(), u"B-F"_s);
    struct TCase {
        const char* title;
        QString name;
        QStringList sqlBefore;
        QStringList shown;
        QString page;
        QString focus;
    };
    const TCase cases[] = {
        {"an emptied name", QString(), {}, {u"Enter project name"_s}, u"pnlProject"_s, u"edtName"_s},
        {"a map of that name in other letters",
         u"test"_s,
         {},
         {u"Project name already exists"_s},
         u"pnlProject"_s,
         u"edtName"_s},
        {"an incomplete substance", u"Hops1"_s, {}, {incomplete}, u"pnlSubstances"_s, u"cmbSubstances"_s},
        {"the project row refused",
         u"Hops1"_s,
         {u"UPDATE Substances SET MolMass = 300 WHERE SubstanceCode = 'HALF'"_s,
          u"CREATE TRIGGER NoProjects BEFORE INSERT ON Projects BEGIN SELECT RAISE(ABORT, 'disk full'); END"_s},
         {u"disk full"_s, u"Error creating runs"_s},
         u"pnlProject"_s,
         u"btnCancel"_s},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.title);
        for (const QString& sql : c.sqlBefore)
            db().Execute(sql);
        while (Page() != u"pnlProject"_s)
            Click(*wizard, "btnNext");
        Type(*wizard, "edtName", c.name);
        Click(*wizard, "btnFinish");
        QStringList shown = ui.TakeTexts();
        if (shown.size() == 2 && shown[0].contains(u"disk full"_s)) shown[0] = u"disk full"_s;
        EXPECT_EQ(shown, c.shown);
        EXPECT_TRUE(wizard->isVisible());
        EXPECT_EQ(Page(), c.page);
        EXPECT_EQ(Focused(), c.focus);
        EXPECT_EQ(Text(*wizard, "edtName"), c.name);
        EXPECT_EQ(Text(*wizard, "pnlPath"), root);
        EXPECT_EQ(Projects(), 0);
    }
    db().Execute(u"DROP TRIGGER NoProjects"_s);
    Click(*wizard, "btnFinish");
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Created runs: 1"_s});
    EXPECT_EQ(RunsOf(u"Hops1"_s), QStringList{u"R1 Hops focus_stream pa"_s});
}

TEST_F(UserWizardTest, WithoutParentSubstancesThereIsNoWayOn) {
    db().Execute(u"DELETE FROM Substances"_s);
    dm->CloseSubstanceTables();
    wizard = std::make_unique<TfrmUserWizard>();
    wizard->show();
    EXPECT_EQ(Find<QComboBox>(*wizard, "cmbSubstances")->count(), 0);
    EXPECT_EQ(Buttons(), u"---"_s);
}

TEST_F(UserWizardTest, CancelStoresNothing) {
    Compose({u"Hops"_s}, {u"cbStream"_s}, {u"R1"_s}, u"Cancelled"_s);
    Click(*wizard, "btnCancel");
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_EQ(wizard->result(), QDialog::Rejected);
    EXPECT_EQ(Projects(), 0);
    EXPECT_EQ(Value(u"SELECT COUNT(*) FROM ToxswaMap"_s).toInt(), 0);
}

// The path dialog and message boxes closing over the wizard give it back the activation: it stays on
// its page with its choices.
TEST_F(UserWizardTest, ActivationAfterItsOwnDialogsKeepsThePage) {
    const QString elsewhere = QDir::cleanPath(ProjectsRoot() + u"/../elsewhere"_s);
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    Compose({u"Hops"_s}, {u"cbStream"_s}, {u"R1"_s}, u"Kept"_s);
    ui.AnswerPath(elsewhere);
    ui.Answer(false, u"Save as default project path?"_s);
    Click(*wizard, "SpeedButton1");
    ui.TakeTexts();
    EXPECT_EQ(Text(*wizard, "pnlPath"), elsewhere);
    Type(*wizard, "edtName", u"Kept."_s);
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"invalid character (/ \\ : ? \" < > |)"_s});
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QApplication::setActiveWindow(wizard.get());
    EXPECT_EQ(Page(), u"pnlProject"_s);
    EXPECT_EQ(Text(*wizard, "edtName"), u"Kept"_s);
    EXPECT_EQ(Text(*wizard, "pnlPath"), elsewhere);
    Click(*wizard, "btnFinish");
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Created runs: 2"_s});
    EXPECT_EQ(ProjectRow(u"Kept"_s).value(2), elsewhere + u"/Kept"_s);
}

} // namespace
