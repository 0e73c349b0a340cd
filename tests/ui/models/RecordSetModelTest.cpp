#include "ui/models/RecordSetModel.h"
#include "foundation/Errors.h"
#include "store/EventHook.h"
#include "store/RecordSet.h"
#include "ui/models/RunsProjectTest.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

class RecordSetModelTest : public TRunsProjectTest {
protected:
    using TTester = QAbstractItemModelTester;

    // A grid shown on the screen, bound to the model, which the model tester watches meanwhile.
    std::unique_ptr<QTableView> Grid(TRecordSetModel& model) {
        auto view = std::make_unique<QTableView>();
        new TTester(&model, TTester::FailureReportingMode::Fatal, view.get());
        model.bindView(view.get());
        view->resize(900, 300);
        view->show();
        QApplication::setActiveWindow(view.get());
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        view->setFocus();
        return view;
    }

    // Opens the cell's editor as F2 does, types the text over its value and ends with Return (the grid
    // takes the value when events are processed).
    static void TypeInto(QTableView& view, int row, int column, const QString& text) {
        view.setCurrentIndex(view.model()->index(row, column));
        QTest::keyClick(&view, Qt::Key_F2);
        auto* editor = view.viewport()->findChild<QLineEdit*>();
        ASSERT_TRUE(editor) << "no editor opened";
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        Settle();
    }

    // Lets queued commits run and closed editors go.
    static void Settle() {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static void Click(QTableView& view, int row, int column) {
        const QModelIndex index = view.model()->index(row, column);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(index).center());
    }
};

// The models of the runs editor's two grids stay consistent through everything the record sets do.
TEST_F(RecordSetModelTest, RunsAndApplicationsModelsPassTheModelTester) {
    TRecordSetModel runs(dm->tblRuns, RunColumns());
    TRecordSetModel applications(dm->tblApplications, ApplicationColumns());
    TTester runsTester(&runs, TTester::FailureReportingMode::Fatal);
    TTester applicationsTester(&applications, TTester::FailureReportingMode::Fatal);
    EXPECT_EQ(runs.rowCount(), dm->tblRuns.recordCount());
    EXPECT_EQ(runs.columnCount(), 12);

    dm->tblRuns.next();
    dm->tblRuns.last();
    dm->tblRuns.refresh();
    dm->RefreshRuns();
    dm->tblApplications.insert(); // the run has all its applications: the rule cancels the new row
    EXPECT_EQ(applications.rowCount(), 1);
    dm->tblApplications.edit();
    dm->tblApplications.fieldByName(u"Rate"_s).setAsFloat(0.25);
    dm->tblRuns.first(); // posts the application
    dm->tblRuns.edit();
    dm->tblRuns.fieldByName(u"MinIntervalApps"_s).setAsInteger(0);
    dm->tblRuns.post(); // the rules spread the pattern and reload the applications
    dm->qryProjects.first();
    dm->CloseRuns();
    EXPECT_EQ(runs.rowCount(), 0);
    EXPECT_EQ(applications.rowCount(), 0);
    ASSERT_TRUE(dm->OpenRuns());
    EXPECT_EQ(runs.rowCount(), dm->tblRuns.recordCount());
}

TEST_F(RecordSetModelTest, CellsShowTheFieldsAsTheyAreFormatted) {
    TRecordSetModel applications(dm->tblApplications, ApplicationColumns());
    TRecordSet& apps = dm->tblApplications;
    apps.edit();
    apps.fieldByName(u"Rate"_s).setAsFloat(1.5);
    const QModelIndex rate = applications.index(0, 1);
    EXPECT_EQ(rate.data().toString(), u"1.5000"_s) << "display format 0.0000, the edited value";
    EXPECT_EQ(rate.data(Qt::EditRole).toString(), u"1.5000"_s);
    EXPECT_EQ(applications.headerData(1, Qt::Horizontal).toString(), u"Rate"_s);
    EXPECT_EQ(rate.data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
    apps.cancel();

    // Captions are the display labels; a column without a field in the record set shows nothing.
    apps.fieldByName(u"Rate"_s).setDisplayLabel(u"Rate (kg/ha)"_s);
    TRecordSetModel labelled(apps, {u"Rate"_s, u"NoSuchField"_s});
    EXPECT_EQ(labelled.headerData(0, Qt::Horizontal).toString(), u"Rate (kg/ha)"_s);
    EXPECT_FALSE(labelled.index(0, 1).data().isValid());
    EXPECT_FALSE(labelled.flags(labelled.index(0, 1)).testFlag(Qt::ItemIsEditable));
    apps.fieldByName(u"Rate"_s).setDisplayLabel({});
}

TEST_F(RecordSetModelTest, ReadOnlyColumnsPickListsAndBackgrounds) {
    TRecordSetModel runs(dm->tblRuns, RunColumns());
    const auto editable = [&runs](int column) {
        return runs.flags(runs.index(0, column)).testFlag(Qt::ItemIsEditable);
    };
    EXPECT_TRUE(editable(0));
    for (int c = 0; c < 5; ++c)
        runs.setColumnReadOnly(c, true);
    EXPECT_FALSE(editable(0));
    EXPECT_TRUE(editable(5));
    dm->tblRuns.fieldByName(u"AppMethod"_s).setReadOnly(true);
    EXPECT_FALSE(editable(5)) << "a read-only field";
    dm->tblRuns.fieldByName(u"AppMethod"_s).setReadOnly(false);

    runs.setPickList(5, {u"one"_s, u"two"_s});
    EXPECT_EQ(runs.index(0, 5).data(TRecordSetModel::PickListRole).toStringList(),
              (QStringList{u"one"_s, u"two"_s}));
    EXPECT_FALSE(runs.index(0, 6).data(TRecordSetModel::PickListRole).isValid());

    // Metabolite rows and the first five columns in the info colour.
    runs.setBackground([this](int row, int column) {
        const bool metabolite = dm->tblRuns.valueAt(row, 0).toString().mid(7, 1) == u"m"_s;
        return metabolite || column < 5 ? TRecordSetModel::InfoColour() : QColor();
    });
    for (int row = 0; row < runs.rowCount(); ++row) {
        const bool metabolite = runs.index(row, 0).data().toString().mid(7, 1) == u"m"_s;
        EXPECT_EQ(runs.index(row, 6).data(Qt::BackgroundRole).isValid(), metabolite) << row;
        EXPECT_EQ(runs.index(row, 1).data(Qt::BackgroundRole).value<QColor>(), TRecordSetModel::InfoColour());
    }

    // A record set that writes to no table gives a read-only model.
    TQuery joined(&dm->dbKelvoADO, u"qryJoined"_s,
                  {u"SELECT r.RunID, a.Rate FROM Runs r JOIN Applications a ON a.RunID = r.RunID"_s});
    joined.open();
    TRecordSetModel readOnly(joined, {u"RunID"_s, u"Rate"_s});
    ASSERT_GT(readOnly.rowCount(), 0);
    EXPECT_FALSE(readOnly.flags(readOnly.index(0, 1)).testFlag(Qt::ItemIsEditable));
    EXPECT_FALSE(readOnly.setData(readOnly.index(0, 1), u"2"_s));
}

TEST_F(RecordSetModelTest, TheViewAndTheRecordSetShareTheCurrentRow) {
    TRecordSetModel runs(dm->tblRuns, RunColumns());
    const auto view = Grid(runs);
    EXPECT_EQ(view->currentIndex().row(), 0);
    dm->tblRuns.next();
    EXPECT_EQ(view->currentIndex().row(), 1) << "a move by code selects the row";
    Click(*view, 3, 6);
    EXPECT_EQ(dm->tblRuns.currentRow(), 3) << "a click moves the record set";
    EXPECT_EQ(dm->tblApplications.fieldByName(u"RunID"_s).asString(), CurrentRunId())
        << "the applications follow the run";
    QTest::keyClick(view.get(), Qt::Key_Up);
    EXPECT_EQ(dm->tblRuns.currentRow(), 2);
    EXPECT_EQ(view->currentIndex().column(), 6) << "the column stays";
    dm->tblRuns.refresh();
    EXPECT_EQ(view->currentIndex().row(), 2);
    dm->RefreshRuns(); // back to the first run
    EXPECT_EQ(view->currentIndex().row(), 0);
    dm->tblRuns.last();
    EXPECT_EQ(view->currentIndex().row(), runs.rowCount() - 1);
    // Column widths from the fields' display widths (RunID: 12 characters).
    EXPECT_EQ(view->columnWidth(0), 12 * view->fontMetrics().horizontalAdvance(u'0') + 8);
}

TEST_F(RecordSetModelTest, TypedValuesGoThroughTheFieldAndArePostedWhenTheRowIsLeft) {
    TRecordSetModel runs(dm->tblRuns, RunColumns());
    TRecordSetModel applications(dm->tblApplications, ApplicationColumns());
    const auto runsView = Grid(runs);
    const auto applicationsView = Grid(applications);
    const QString runId = CurrentRunId();

    TypeInto(*applicationsView, 0, 1, u"2.123456"_s);
    EXPECT_EQ(dm->tblApplications.state(), TRecordSet::TState::Edit);
    EXPECT_EQ(applications.index(0, 1).data().toString(), u"2.1235"_s) << "the rate rule rounds";
    EXPECT_NE(StoredRate(runId), u"2.1235"_s) << "not posted while the row is current";

    Click(*runsView, 1, 6); // another run: the application row is left
    EXPECT_EQ(dm->tblApplications.state(), TRecordSet::TState::Browse);
    EXPECT_EQ(StoredRate(runId), u"2.1235"_s);

    // A run's interval typed in its grid, posted on the way down, spread to its siblings by the rules.
    const QString secondRun = CurrentRunId();
    TypeInto(*runsView, 1, 11, u"7"_s);
    QTest::keyClick(runsView.get(), Qt::Key_Down);
    EXPECT_EQ(dm->tblRuns.currentRow(), 2);
    EXPECT_EQ(Value(u"SELECT MinIntervalApps FROM Runs WHERE RunID = ?"_s, {secondRun}).toInt(), 7);
}

TEST_F(RecordSetModelTest, ARefusedValueIsShownAndTheOldValueKept) {
    TRecordSetModel applications(dm->tblApplications, ApplicationColumns());
    const auto view = Grid(applications);
    const QString before = applications.index(0, 1).data().toString();
    const QString stored = StoredRate(CurrentRunId());

    TypeInto(*view, 0, 1, u"1000"_s);
    EXPECT_EQ(ui.TakeTexts(),
              QStringList{u"1000 is not a valid value for field 'Rate'. The allowed range is 0 to 999"_s});
    EXPECT_EQ(applications.index(0, 1).data().toString(), before);
    // The editor stays with the refused text until the value is valid or Esc cancels it.
    auto* editor = view->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), u"1000"_s);
    QTest::keyClick(editor, Qt::Key_Tab);
    EXPECT_EQ(ui.TakeTexts(),
              QStringList{u"1000 is not a valid value for field 'Rate'. The allowed range is 0 to 999"_s});
    EXPECT_EQ(view->viewport()->findChild<QLineEdit*>(), editor);
    QTest::keyClick(editor, Qt::Key_Escape);
    Settle();
    EXPECT_EQ(view->viewport()->findChild<QLineEdit*>(), nullptr);
    EXPECT_EQ(applications.index(0, 1).data().toString(), before);

    TypeInto(*view, 0, 1, u"abc"_s);
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"'abc' is not a valid floating point value for field 'Rate'"_s});
    EXPECT_EQ(applications.index(0, 1).data().toString(), before);
    editor = view->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, u"2.5"_s);
    QTest::keyClick(editor, Qt::Key_Return);
    Settle();
    EXPECT_TRUE(ui.TakeTexts().isEmpty());
    EXPECT_EQ(applications.index(0, 1).data().toString(), u"2.5000"_s);
    dm->tblApplications.cancel();
    dm->tblApplications.checkBrowseMode();
    EXPECT_EQ(StoredRate(CurrentRunId()), stored);
}

// When the row cannot be posted, the grid stays on it, still edited.
TEST_F(RecordSetModelTest, ARowThatCannotBePostedKeepsTheGridOnIt) {
    const TEventHook refusal(dm->tblRuns.beforePost, [](TRecordSet&) { throw EKelvoError(u"refused"_s); });
    TRecordSetModel runs(dm->tblRuns, RunColumns());
    const auto view = Grid(runs);
    const QString interval = runs.index(0, 11).data().toString();
    TypeInto(*view, 0, 11, interval == u"0"_s ? u"1"_s : u"0"_s);
    Click(*view, 2, 11);
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"refused"_s});
    EXPECT_EQ(dm->tblRuns.currentRow(), 0);
    EXPECT_EQ(view->currentIndex().row(), 0);
    EXPECT_EQ(dm->tblRuns.state(), TRecordSet::TState::Edit);
    dm->tblRuns.cancel();
    EXPECT_EQ(runs.index(0, 11).data().toString(), interval);
}

TEST_F(RecordSetModelTest, ACommaDecimalUserWritesWhatTheGridShows) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::Dutch));
    TRecordSetModel applications(dm->tblApplications, ApplicationColumns());
    const auto view = Grid(applications);
    TypeInto(*view, 0, 1, u"0,75"_s);
    EXPECT_EQ(applications.index(0, 1).data().toString(), u"0,7500"_s);
    TypeInto(*view, 0, 1, applications.index(0, 1).data().toString());
    dm->tblApplications.post();
    EXPECT_EQ(StoredRate(CurrentRunId()), u"0.75"_s);
    QLocale::setDefault(saved);
}

TEST_F(RecordSetModelTest, APickListColumnIsEditedWithAComboBox) {
    TRecordSetModel runs(dm->tblRuns, RunColumns());
    const QStringList methods = dm->ApplicationMethodList(-1);
    ASSERT_GE(methods.size(), 2);
    runs.setPickList(5, methods);
    const auto view = Grid(runs);
    const QString other = methods[0] == runs.index(0, 5).data().toString() ? methods[1] : methods[0];
    view->setCurrentIndex(runs.index(0, 5));
    QTest::keyClick(view.get(), Qt::Key_F2);
    auto* combo = view->viewport()->findChild<QComboBox*>();
    ASSERT_TRUE(combo);
    EXPECT_EQ(combo->count(), methods.size());
    combo->setCurrentIndex(static_cast<int>(methods.indexOf(other)));
    QTest::keyClick(combo, Qt::Key_Return);
    Settle();
    EXPECT_EQ(dm->tblRuns.fieldByName(u"AppMethod"_s).asString(), other);
    dm->tblRuns.cancel();
}

// A reload of the same rows keeps the open editor, the selection and the scroll position.
TEST_F(RecordSetModelTest, ARefreshOfTheSameRowsKeepsTheEditorAndTheScrollPosition) {
    TRecordSetModel runs(dm->tblRuns, RunColumns());
    const auto view = Grid(runs);
    view->resize(400, 80);
    dm->tblRuns.last();
    QApplication::processEvents();
    const int scrolled = view->verticalScrollBar()->value();
    ASSERT_GT(scrolled, 0);
    view->setCurrentIndex(runs.index(runs.rowCount() - 1, 11));
    QTest::keyClick(view.get(), Qt::Key_F2);
    ASSERT_TRUE(view->viewport()->findChild<QLineEdit*>());

    int resets = 0;
    QObject::connect(&runs, &QAbstractItemModel::modelReset, &runs, [&resets] { ++resets; });
    dm->tblRuns.refresh();
    QApplication::processEvents();
    EXPECT_TRUE(view->viewport()->findChild<QLineEdit*>()) << "the editor stays open";
    EXPECT_EQ(view->verticalScrollBar()->value(), scrolled);
    EXPECT_EQ(view->currentIndex(), runs.index(runs.rowCount() - 1, 11));
    QTest::keyClick(view->viewport()->findChild<QLineEdit*>(), Qt::Key_Escape);
    dm->tblRuns.cancel();
    dm->RefreshRuns(); // reloads the same runs: one change of values, back on the first run
    EXPECT_EQ(resets, 0);
    EXPECT_EQ(view->currentIndex(), runs.index(0, 11));
}

} // namespace
