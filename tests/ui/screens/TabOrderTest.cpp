#include "ScreensTest.h"

#include "store/Locate.h"
#include "ui/TabOrder.h"
#include "ui/drift/Drift.h"
#include "ui/screens/CopyProject.h"
#include "ui/screens/Runs.h"
#include "ui/substances/SubstanceNew.h"

#include <QApplication>
#include <QGroupBox>
#include <QTableView>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// Shows the window and presses Tab from the field that has the focus round the
// whole chain: the object names of the controls met, the first one the control focused at the start. A grid
// takes Tab from cell to cell and is left after its last cell: it counts once.
QStringList TabWalk(QWidget& window) {
    window.show();
    QApplication::setActiveWindow(&window);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    QStringList names;
    QWidget* start = QApplication::focusWidget();
    if (!start) return names;
    names << start->objectName();
    bool left = false;
    for (int presses = 0; presses < 2000; ++presses) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* at = QApplication::focusWidget();
        if (!at) break;
        left = left || at != start;
        if (left && at == start) break;
        if (names.last() != at->objectName()) names << at->objectName();
    }
    window.hide();
    return names;
}

// The windows as Kelvo shows them: with their reading Tab order.
class TabOrderTest : public TScreensTest {
protected:
    void SetUp() override {
        TScreensTest::SetUp();
        InstallTabOrder();
    }
    void TearDown() override {
        RemoveTabOrder();
        TScreensTest::TearDown();
    }
};

} // namespace

TEST_F(TabOrderTest, DialogsAreCrossedAsTheyAreReadWithTheirButtonsLast) {
    TfrmCopyProject copy(u"Alpha"_s, u"A project"_s, nullptr);
    // The original's name and description are only shown.
    EXPECT_EQ(TabWalk(copy), (QStringList{u"edtNameNew"_s, u"edtDescNew"_s, u"btnOK"_s, u"btnCancel"_s}));

    TfrmNewSubstance substance(*dm);
    EXPECT_EQ(TabWalk(substance), (QStringList{u"edtCodeNew"_s, u"edtNameNew"_s, u"btnOK"_s, u"btnCancel"_s}));

    TfrmDrift drift;
    drift.show();
    // Setting the order lays the window out first: a group box's fields stay below its title.
    for (const QGroupBox* group : drift.findChildren<QGroupBox*>())
        for (const QWidget* field : group->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (field->isVisibleTo(group)) {
                EXPECT_GE(field->y(), group->contentsRect().top())
                    << group->objectName().toStdString() << " " << field->objectName().toStdString();
            }
    EXPECT_EQ(TabWalk(drift), (QStringList{u"edtRate"_s, u"cmbNumber"_s, u"cmbCrop"_s, u"cmbWater"_s,
                                           u"cmbMitigation"_s, u"cmbReduction"_s, u"chkCurve"_s, u"btnSave"_s,
                                           u"btnPrint"_s, u"btnClose"_s}));

    ASSERT_TRUE(dm->OpenProjects());
    ASSERT_TRUE(LocateByIntegerKeys(dm->qryProjects, {ids[1]}));
    ASSERT_TRUE(dm->OpenRuns());
    dm->RefreshRuns();
    {
        TfrmRuns runs;
        // Tab crosses the runs grid cell by cell and goes on after its last cell; there the current run is
        // a metabolite run, whose applications are not edited.
        EXPECT_EQ(TabWalk(runs), (QStringList{u"grdRuns"_s, u"btnCopyAppls"_s, u"btnDefaults"_s, u"btnPrint"_s,
                                              u"btnOK"_s, u"btnCancel"_s}));
        EXPECT_FALSE(runs.findChild<QWidget*>(u"grdApplications"_s)->isEnabled());
        // Ctrl+Tab leaves a grid at once, for the applications of the first (parent) run; Shift+Tab on
        // the grid's first cell goes back.
        runs.show();
        QApplication::setActiveWindow(&runs);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&runs));
        auto* grid = runs.findChild<QTableView*>(u"grdRuns"_s);
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(0, 1));
        QTest::keyClick(grid, Qt::Key_Tab, Qt::ControlModifier);
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), u"grdApplications"_s);
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(0, 0));
        QTest::keyClick(grid, Qt::Key_Backtab, Qt::ShiftModifier);
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), u"btnCancel"_s);
    }
    dm->CloseRuns();
    dm->CloseProjects();
}
