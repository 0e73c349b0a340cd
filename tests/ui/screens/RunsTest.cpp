#include "ScreensTest.h"

#include "store/Locate.h"
#include "ui/GridClipboard.h"
#include "ui/models/RecordSetModel.h"
#include "ui/screens/Runs.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;

namespace {

using TKind = TScriptedUserInterface::TKind;
using TEntries = QVector<TScriptedUserInterface::TEntry>;
const QString Discard = u"Discard the changes to the runs of this project?"_s;

// The runs editor on "Beta", opened from the project browser's lists.
class RunsTest : public TScreensTest {
protected:
    void SetUp() override {
        TScreensTest::SetUp();
        if (HasFatalFailure()) return;
        before = Snapshot();
        ASSERT_TRUE(dm->OpenProjects());
        ASSERT_TRUE(LocateByIntegerKeys(dm->qryProjects, {ids[1]}));
        ASSERT_TRUE(dm->OpenRuns());
        dm->RefreshRuns();
    }
    void TearDown() override {
        runs.reset();
        if (dm) {
            dm->CloseRuns();
            dm->CloseProjects();
        }
        TScreensTest::TearDown();
    }
    // Modal, as the project browser shows it.
    void Open() {
        runs = std::make_unique<TfrmRuns>();
        runs->setWindowModality(Qt::ApplicationModal);
        runs->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(runs.get()));
        QTest::qWait(10);
    }

    QTableView* Runs() { return Control<QTableView>(runs.get(), u"grdRuns"_s); }
    QTableView* Applications() { return Control<QTableView>(runs.get(), u"grdApplications"_s); }
    TRecordSetModel* RunModel() { return static_cast<TRecordSetModel*>(Runs()->model()); }
    void Click(const QString& button) {
        QTest::mouseClick(Control<QPushButton>(runs.get(), button), Qt::LeftButton);
    }
    int RowOf(const QString& runId) { return static_cast<int>(GridColumn(Runs(), 0).indexOf(runId)); }
    // The first run of the scenario whose RunID ends in the suffix.
    QString RunAt(const QString& location, const QString& suffix) {
        return Value(u"SELECT RunID FROM Runs WHERE ProjectID = ? AND LocationCode = ? AND RunID LIKE ? "
                     u"ORDER BY RunID"_s,
                     {ids[1], location, u"%"_s + suffix})
            .toString();
    }
    // Types a value into a grid cell and leaves the editor open.
    QWidget* Type(QTableView* view, int row, int column, const QString& text) {
        ClickCell(view, row, column);
        // A click on the current cell opens its editor once the double-click time has passed; F2 opens the
        // editor of any other cell.
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        if (QApplication::focusWidget() == view) QTest::keyClick(view, Qt::Key_F2);
        QWidget* editor = QApplication::focusWidget();
        EXPECT_NE(editor, view);
        if (!editor || editor == view) return nullptr;
        if (auto* line = qobject_cast<QLineEdit*>(editor)) line->selectAll();
        QTest::keyClicks(editor, text);
        return editor;
    }
    // Types a value into a grid cell and commits it with Enter.
    void TypeInto(QTableView* view, int row, int column, const QString& text) {
        QWidget* editor = Type(view, row, column, text);
        ASSERT_NE(editor, nullptr);
        QTest::keyClick(editor, Qt::Key_Return);
        QTest::qWait(10);
    }
    double Rate(const QString& runId) {
        return Value(u"SELECT Rate FROM Applications WHERE RunID = ? AND ApplicationNr = 1"_s, {runId}).toDouble();
    }
    bool Editable(QTableView* view, int row, int column) {
        return view->model()->flags(view->model()->index(row, column)).testFlag(Qt::ItemIsEditable);
    }
    QStringList CommittedSnapshot() {
        TConnection other;
        other.Open(DatabaseFile());
        QStringList rows;
        for (const char* table : {"Runs", "Applications", "SubstancexCropxLocation"})
            for (const TSqlRow& row :
                 other.Select(u"SELECT * FROM %1 ORDER BY 1, 2, 3"_s.arg(QString::fromLatin1(table))).rows) {
                QStringList values;
                for (const QVariant& value : row)
                    values << value.toString();
                rows << values.join(u'|');
            }
        return rows;
    }

    QStringList before;
    std::unique_ptr<TfrmRuns> runs;
};

TEST_F(RunsTest, MetaboliteRowsAreShadedAndLockedParentRowsEditable) {
    Open();
    EXPECT_EQ(runs->windowTitle(), u"Applications"_s);
    EXPECT_EQ(Headers(Runs()), (QStringList{u"ID"_s, u"Scenario"_s, u"Crop"_s, u"Nr in season"_s,
                                            u"Waterbody"_s, u"Appl. Method"_s, u"# Appls."_s, u"First"_s,
                                            u"DayNr"_s, u"Last"_s, u"DayNr"_s, u"Min. Interval (d)"_s,
                                            u"Buffer (m)"_s, u"Drift red. (%)"_s}));
    const int metabolite = RowOf(RunAt(u"D4"_s, u"_m1"_s));
    const int parent = RowOf(RunAt(u"D4"_s, u"_pa"_s));
    ASSERT_GE(metabolite, 0);
    ASSERT_GE(parent, 0);
    const auto background = [&](int row, int column) {
        return Runs()->model()->index(row, column).data(Qt::BackgroundRole).value<QColor>();
    };
    for (int column = 0; column < TfrmRuns::RunColumnCount; ++column)
        EXPECT_EQ(background(metabolite, column), TRecordSetModel::InfoColour()) << column;
    EXPECT_EQ(background(parent, TfrmRuns::ColRunID), TRecordSetModel::InfoColour());
    EXPECT_EQ(background(parent, TfrmRuns::ColNumber), QColor(Qt::white));

    ClickCell(Runs(), metabolite, TfrmRuns::ColNumber);
    EXPECT_EQ(Runs()->toolTip(), u"Displayed data relate to parent"_s);
    EXPECT_FALSE(Applications()->isEnabled());
    for (int column = TfrmRuns::ColMethod; column < TfrmRuns::RunColumnCount; ++column)
        EXPECT_FALSE(Editable(Runs(), metabolite, column)) << column;

    ClickCell(Runs(), parent, TfrmRuns::ColNumber);
    EXPECT_TRUE(Applications()->isEnabled());
    for (int column = 0; column < TfrmRuns::RunColumnCount; ++column)
        EXPECT_EQ(Editable(Runs(), parent, column), column >= TfrmRuns::ColMethod) << column;
}

TEST_F(RunsTest, RunoffRunsShowTheirPRZMColumnsDrainageRunsHideThem) {
    Open();
    auto* lblPRZM = Control<QLabel>(runs.get(), u"lblPRZM"_s);
    ClickCell(Runs(), RowOf(RunAt(u"R1"_s, u"_pa"_s)), TfrmRuns::ColNumber);
    EXPECT_TRUE(lblPRZM->isVisible());
    EXPECT_FALSE(Applications()->isColumnHidden(TfrmRuns::ColCAM));
    EXPECT_FALSE(Applications()->isColumnHidden(TfrmRuns::ColDepth));
    EXPECT_EQ(Applications()->toolTip(), u"See help, subject CAM"_s);
    EXPECT_EQ(Applications()
                  ->model()
                  ->index(0, TfrmRuns::ColCAM)
                  .data(TRecordSetModel::PickListRole)
                  .toStringList(),
              dm->CAMsForMethod(dm->tblRuns.fieldByName(u"AppMethod"_s).asString()));

    ClickCell(Runs(), RowOf(RunAt(u"D4"_s, u"_pa"_s)), TfrmRuns::ColNumber);
    EXPECT_FALSE(lblPRZM->isVisible());
    EXPECT_TRUE(Applications()->isColumnHidden(TfrmRuns::ColCAM));
    EXPECT_TRUE(Applications()->isColumnHidden(TfrmRuns::ColDepth));
    EXPECT_TRUE(Applications()->isColumnHidden(TfrmRuns::ColRun));
    EXPECT_TRUE(Applications()->isColumnHidden(TfrmRuns::ColPerc));
}

TEST_F(RunsTest, MethodPickListLeavesOutTheMethodThatDoesNotFitTheCrop) {
    const QStringList methods = dm->ApplicationMethodList(-1);
    for (const bool airBlast : {false, true}) {
        SCOPED_TRACE(airBlast);
        db().Execute(u"UPDATE Crops SET AirBlast = ? WHERE CropCode = 'Maize'"_s, {airBlast});
        Open();
        ClickCell(Runs(), RowOf(RunAt(u"D4"_s, u"_pa"_s)), TfrmRuns::ColMethod);
        QStringList expected = methods;
        expected.removeAt(airBlast ? 3 : 1);
        EXPECT_EQ(RunModel()->pickList(TfrmRuns::ColMethod), expected);
        EXPECT_EQ(Runs()->toolTip(), u"<click to edit>"_s);
        runs.reset();
    }
}

TEST_F(RunsTest, ClickingAnInformativeColumnMovesToTheMethod) {
    Open();
    const int row = RowOf(RunAt(u"R1"_s, u"_pa"_s));
    for (const int column : {TfrmRuns::ColRunID, TfrmRuns::ColWaterbody}) {
        ClickCell(Runs(), row, column);
        QTest::qWait(20);
        EXPECT_EQ(Runs()->currentIndex().column(), TfrmRuns::ColMethod) << column;
        EXPECT_EQ(Runs()->currentIndex().row(), row);
    }
    ClickCell(Runs(), row, TfrmRuns::ColFirst);
    EXPECT_EQ(Runs()->toolTip(), u"default is 2 weeks before emergence date"_s);
}

// Every numeric column tells what it holds, with its unit, over its caption.
TEST_F(RunsTest, NumericColumnsTellTheirUnits) {
    Open();
    const auto tip = [](QTableView* view, int column) {
        return view->model()->headerData(column, Qt::Horizontal, Qt::ToolTipRole).toString();
    };
    EXPECT_EQ(tip(Applications(), TfrmRuns::ColRate), u"Application rate (kg active substance per ha)"_s);
    EXPECT_EQ(tip(Applications(), TfrmRuns::ColDepth), u"Depth of incorporation into the soil (cm)"_s);
    EXPECT_EQ(tip(Runs(), TfrmRuns::ColInterval), u"Minimum interval between applications (days)"_s);
    for (const int column : {TfrmRuns::ColFirstDay, TfrmRuns::ColLastDay})
        EXPECT_TRUE(tip(Runs(), column).endsWith(u"(day of the year, 1-366)"_s)) << column;
    EXPECT_EQ(Headers(Applications()).value(TfrmRuns::ColRate), u"Rate (kg/ha)"_s);

    // The caption of the possible days stands over the day columns, also after a column was narrowed.
    auto* caption = Control<QLabel>(runs.get(), u"Label1"_s);
    const QHeaderView* header = Runs()->horizontalHeader();
    for (const int width : {0, 40}) {
        if (width > 0) Runs()->setColumnWidth(TfrmRuns::ColCrop, width);
        QTest::qWait(10);
        const int left = Runs()->viewport()->mapTo(runs.get(), QPoint(header->sectionViewportPosition(TfrmRuns::ColFirst), 0)).x();
        const int right = Runs()->viewport()
                              ->mapTo(runs.get(), QPoint(header->sectionViewportPosition(TfrmRuns::ColLastDay) +
                                                             header->sectionSize(TfrmRuns::ColLastDay),
                                                         0))
                              .x();
        const int centre = caption->mapTo(runs.get(), caption->contentsRect().center()).x();
        EXPECT_NEAR(centre, (left + right) / 2, 2) << width;
    }
}

TEST_F(RunsTest, CancelRestoresEveryRowAndOKCommits) {
    Open();
    const QString parent = RunAt(u"D4"_s, u"_pa"_s);
    // A wider window first, so that two applications fit.
    TypeInto(Runs(), RowOf(parent), TfrmRuns::ColLastDay, u"250"_s);
    TypeInto(Runs(), RowOf(parent), TfrmRuns::ColNumber, u"2"_s);
    TypeInto(Runs(), RowOf(parent), TfrmRuns::ColInterval, u"20"_s);
    TypeInto(Applications(), 0, TfrmRuns::ColRate, u"0.5"_s);
    ClickCell(Runs(), RowOf(RunAt(u"R1"_s, u"_pa"_s)), TfrmRuns::ColNumber);
    EXPECT_EQ(ui.TakeTexts(), QStringList());
    EXPECT_EQ(Value(u"SELECT NumberOfApps FROM Runs WHERE RunID = ?"_s, {parent}).toInt(), 2);
    EXPECT_NE(Snapshot(), before);
    // Nothing is visible to another connection before OK.
    EXPECT_EQ(CommittedSnapshot(), before);
    ui.Answer(true, Discard);
    Click(u"btnCancel"_s);
    EXPECT_EQ(ui.Take(), (TEntries{{TKind::DestructiveQuestion, Discard}}));
    EXPECT_FALSE(runs->isVisible());
    EXPECT_FALSE(db().InTransaction());
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(dm->tblRuns.fieldByName(u"NumberOfApps"_s).asInteger(),
              Value(u"SELECT NumberOfApps FROM Runs WHERE RunID = ?"_s,
                    {dm->tblRuns.fieldByName(u"RunID"_s).asString()})
                  .toInt());
    runs.reset();

    Open();
    TypeInto(Runs(), RowOf(parent), TfrmRuns::ColLastDay, u"250"_s);
    TypeInto(Runs(), RowOf(parent), TfrmRuns::ColNumber, u"2"_s);
    Click(u"btnOK"_s);
    ui.TakeTexts();
    EXPECT_FALSE(runs->isVisible());
    EXPECT_FALSE(db().InTransaction());
    EXPECT_EQ(CommittedSnapshot(), Snapshot());
    EXPECT_EQ(Value(u"SELECT NumberOfApps FROM Runs WHERE RunID = ?"_s, {parent}).toInt(), 2);
}

// A value typed and followed at once by a click on OK is stored (the grid's editor is still open).
TEST_F(RunsTest, AValueTypedAndFollowedByOKIsStored) {
    const QString parent = RunAt(u"D4"_s, u"_pa"_s);
    struct TCase {
        bool applications;
        int column;
        QString text;
        QString stored;
    } cases[] = {
        {true, TfrmRuns::ColRate, u"0.25"_s, u"SELECT Rate FROM Applications WHERE RunID = ? AND ApplicationNr = 1"_s},
        {false, TfrmRuns::ColInterval, u"21"_s, u"SELECT MinIntervalApps FROM Runs WHERE RunID = ?"_s},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        Open();
        ClickCell(Runs(), RowOf(parent), TfrmRuns::ColNumber);
        ASSERT_NE(Type(c.applications ? Applications() : Runs(), c.applications ? 0 : RowOf(parent), c.column,
                       c.text),
                  nullptr);
        Click(u"btnOK"_s);
        EXPECT_EQ(ui.TakeTexts(), QStringList());
        EXPECT_FALSE(runs->isVisible());
        EXPECT_EQ(Value(c.stored, {parent}).toString(), c.text);
        EXPECT_EQ(CommittedSnapshot(), Snapshot());
        runs.reset();
    }
}

// Esc in a grid closes the cell editor only; Esc elsewhere, Cancel and the close box ask before they
// drop a change and close at once without one.
TEST_F(RunsTest, EscInAGridNeverClosesTheWindow) {
    const QString parent = RunAt(u"D4"_s, u"_pa"_s);
    Open();
    const double rate = Rate(parent);
    ClickCell(Runs(), RowOf(parent), TfrmRuns::ColNumber);
    QWidget* editor = Type(Applications(), 0, TfrmRuns::ColRate, u"0.75"_s);
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Escape);
    QTest::qWait(10);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTest::qWait(10);
    EXPECT_TRUE(runs->isVisible());
    EXPECT_EQ(ui.Take(), TEntries());
    EXPECT_EQ(Rate(parent), rate);
    EXPECT_EQ(Applications()->currentIndex().data().toDouble(), rate);
}

TEST_F(RunsTest, CancelEscAndTheCloseBoxAskOnlyWhenSomethingChanged) {
    const QString parent = RunAt(u"D4"_s, u"_pa"_s);
    const std::pair<const char*, std::function<void(TfrmRuns*)>> ways[] = {
        {"Cancel", [](TfrmRuns* w) { QTest::mouseClick(Control<QPushButton>(w, u"btnCancel"_s), Qt::LeftButton); }},
        {"Esc", [](TfrmRuns* w) {
             auto* print = Control<QPushButton>(w, u"btnPrint"_s);
             print->setFocus();
             QTest::keyClick(print, Qt::Key_Escape);
         }},
        {"close box", [](TfrmRuns* w) { w->close(); }},
    };
    for (const auto& [name, close] : ways) {
        SCOPED_TRACE(name);
        // Without a change: closed at once, nothing asked.
        Open();
        ClickCell(Runs(), RowOf(parent), TfrmRuns::ColNumber);
        close(runs.get());
        EXPECT_EQ(ui.Take(), TEntries());
        EXPECT_FALSE(runs->isVisible());
        runs.reset();

        // With a change: No keeps the window and the transaction, Yes rolls back.
        Open();
        ClickCell(Runs(), RowOf(parent), TfrmRuns::ColNumber);
        TypeInto(Applications(), 0, TfrmRuns::ColRate, u"0.75"_s);
        ui.Answer(false, Discard);
        close(runs.get());
        EXPECT_EQ(ui.Take(), (TEntries{{TKind::DestructiveQuestion, Discard}}));
        EXPECT_TRUE(runs->isVisible());
        EXPECT_TRUE(db().InTransaction());
        EXPECT_EQ(Applications()->model()->index(0, TfrmRuns::ColRate).data().toDouble(), 0.75);
        ui.Answer(true, Discard);
        close(runs.get());
        EXPECT_EQ(ui.Take(), (TEntries{{TKind::DestructiveQuestion, Discard}}));
        EXPECT_FALSE(runs->isVisible());
        EXPECT_FALSE(db().InTransaction());
        EXPECT_EQ(Snapshot(), before);
        runs.reset();

        // A value typed and not yet written is a change too.
        Open();
        ClickCell(Runs(), RowOf(parent), TfrmRuns::ColNumber);
        ASSERT_NE(Type(Applications(), 0, TfrmRuns::ColRate, u"0.5"_s), nullptr);
        ui.Answer(true, Discard);
        close(runs.get());
        EXPECT_EQ(ui.TakeTexts(), QStringList{Discard});
        EXPECT_FALSE(runs->isVisible());
        EXPECT_EQ(Snapshot(), before);
        runs.reset();
    }
}

TEST_F(RunsTest, ARefusedValueIsShownAndNotStored) {
    const QString parent = RunAt(u"D4"_s, u"_pa"_s);
    const std::pair<int, QString> refused[] = {{TfrmRuns::ColNumber, u"abc"_s},
                                               {TfrmRuns::ColNumber, u"-1"_s},
                                               {TfrmRuns::ColNumber, u"2"_s},
                                               {TfrmRuns::ColFirst, u"31-feb"_s}};
    for (const auto& [column, text] : refused) {
        SCOPED_TRACE(text.toStdString());
        Open();
        TypeInto(Runs(), RowOf(parent), column, text);
        ClickCell(Runs(), RowOf(RunAt(u"R1"_s, u"_pa"_s)), TfrmRuns::ColNumber);
        EXPECT_FALSE(ui.Take().isEmpty());
        EXPECT_EQ(Snapshot(), before);
        Click(u"btnCancel"_s);
        ui.Take();
        runs.reset();
    }
    EXPECT_EQ(Snapshot(), before);
}

// Ctrl+V writes a block of values from the current cell through the same rules as typing them, all or
// nothing: one message names the first refused cell and nothing of the block stays.
TEST_F(RunsTest, CtrlVPastesABlockAllOrNothing) {
    InstallGridClipboard();
    const QString parent = RunAt(u"D4"_s, u"_pa"_s);
    const QString interval = u"SELECT MinIntervalApps FROM Runs WHERE RunID = ?"_s;
    const QString caption = u"Row %1, column \"Min. Interval (d)\": "_s;
    struct TCase {
        const char* name;
        int column;
        QString block;
        QString stored;     // the interval stored; empty: nothing changed
        QString refusal;    // the start of the one message; empty: none
    } cases[] = {
        {"one value", TfrmRuns::ColInterval, u"25"_s, u"25"_s, {}},
        {"a row of two, as a spreadsheet copies it", TfrmRuns::ColLastDay, u"250\t21\r\n"_s, u"21"_s, {}},
        {"a value the field refuses", TfrmRuns::ColInterval, u"abc"_s, {}, caption},
        {"the second row is a metabolite's: the first is taken back", TfrmRuns::ColInterval, u"22\n23"_s, {},
         caption + u"This column cannot be edited."_s},
        {"wider than the grid", TfrmRuns::ColInterval, u"22\t30\t50\t1"_s, {},
         u"Row %1, column \"Drift red. (%)\": The block reaches past the last column."_s},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        Open();
        const int row = RowOf(parent);
        ClickCell(Runs(), row, c.column);
        ASSERT_EQ(Runs()->currentIndex(), RunModel()->index(row, c.column));
        QGuiApplication::clipboard()->setText(c.block);
        QTest::keyClick(Runs(), Qt::Key_V, Qt::ControlModifier);
        QTest::qWait(10);
        const QStringList texts = ui.TakeTexts();
        if (c.refusal.isEmpty()) {
            EXPECT_EQ(texts, QStringList());
            EXPECT_EQ(Value(interval, {parent}).toString(), c.stored);
        } else {
            ASSERT_EQ(texts.size(), 1) << texts.join(u'|').toStdString();
            const int refusedRow = c.block.contains(u'\n') ? row + 1 : row;
            EXPECT_TRUE(texts[0].startsWith(c.refusal.arg(refusedRow + 1))) << texts[0].toStdString();
            EXPECT_EQ(Snapshot(), before);
            EXPECT_EQ(dm->tblRuns.state(), TRecordSet::TState::Browse);
        }
        if (Snapshot() != before) ui.Answer(true, Discard);
        Click(u"btnCancel"_s);
        ui.Take();
        runs.reset();
    }
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(RunsTest, CopyTellsWhichRunsHadTooSmallAWindow) {
    const QString source = RunAt(u"D4"_s, u"_pa"_s);
    const QString narrow = RunAt(u"R1"_s, u"_pa"_s);
    Open();
    ClickCell(Runs(), RowOf(source), TfrmRuns::ColMethod);
    Click(u"btnCopyAppls"_s);
    EXPECT_EQ(ui.TakeTexts(), QStringList());
    Click(u"btnCancel"_s);
    runs.reset();

    db().Execute(u"UPDATE Runs SET FirstDayYrApp = 100, LastDayYrApp = 110 WHERE RunID = ?"_s, {narrow});
    Open();
    ClickCell(Runs(), RowOf(source), TfrmRuns::ColMethod);
    Click(u"btnCopyAppls"_s);
    const QStringList shown = ui.TakeTexts();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith(u"Application pattern is not copied to the following runs because the "
                                    u"application window was too small.\n"_s +
                                    narrow + u"\n"_s))
        << shown[0].toStdString();
    EXPECT_TRUE(
        shown[0].endsWith(u"\nPlease, extend the application window such, that:\nLast day - First day > "
                          u"30 d + ((no_of_appl-1) * min interval)"_s));
    Click(u"btnCancel"_s);
}

// Step 4: a drift run takes a buffer and a drift reduction, refused with the core's message when they do
// not fit; a metabolite run's cells cannot be edited; Copy spreads them to the other drift runs of the
// crop and season with the pattern.
TEST_F(RunsTest, Step4ColumnsForDriftRunsRefusalsAndCopy) {
    const QString parent = RunAt(u"D4"_s, u"_pa"_s);
    const QString metabolite = RunAt(u"D4"_s, u"_m1"_s);
    const auto refusals = [this](const QString& text) {
        const QStringList shown = ui.TakeTexts();
        EXPECT_EQ(shown.size(), 1) << text.toStdString() << ": " << shown.join(u'|').toStdString();
        return shown.value(0);
    };
    Open();
    EXPECT_FALSE(Editable(Runs(), RowOf(metabolite), TfrmRuns::ColBuffer));
    EXPECT_FALSE(Editable(Runs(), RowOf(metabolite), TfrmRuns::ColReduction));
    EXPECT_TRUE(Editable(Runs(), RowOf(parent), TfrmRuns::ColBuffer));
    EXPECT_TRUE(Editable(Runs(), RowOf(parent), TfrmRuns::ColReduction));

    struct TRefusal {
        QString text;
        QString message; // its beginning
    };
    const TRefusal refused[] = {
        {u"0.2"_s, u"The buffer must be at least the FOCUS distance of "_s},
        {u"-4"_s, u"The buffer must be at least the FOCUS distance of "_s},
        {u"150"_s, u"The buffer of 150 m is too wide: it must lie between "_s},
        {u"abc"_s, u"'abc' is not a valid floating point value"_s},
    };
    for (const TRefusal& r : refused) {
        QWidget* editor = Type(Runs(), RowOf(parent), TfrmRuns::ColBuffer, r.text);
        ASSERT_NE(editor, nullptr);
        QTest::keyClick(editor, Qt::Key_Return);
        const QString shown = refusals(r.text);
        // The refused text stays in the editor until Esc takes it back.
        if (QApplication::focusWidget() != Runs()) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        EXPECT_TRUE(shown.startsWith(r.message)) << shown.toStdString();
        EXPECT_EQ(RunModel()->index(RowOf(parent), TfrmRuns::ColBuffer).data().toString(), QString());
    }
    TypeInto(Runs(), RowOf(parent), TfrmRuns::ColBuffer, u"25"_s);
    TypeInto(Runs(), RowOf(parent), TfrmRuns::ColReduction, u"7"_s); // the pick list's "75"
    EXPECT_EQ(ui.TakeTexts(), QStringList());
    ClickCell(Runs(), RowOf(parent), TfrmRuns::ColMethod);
    Click(u"btnCopyAppls"_s);
    EXPECT_EQ(ui.TakeTexts(), QStringList());
    Click(u"btnOK"_s);
    EXPECT_EQ(ui.TakeTexts(), QStringList());
    runs.reset();

    // The drift runs of the crop and season have the mitigation, the metabolite runs none.
    const TSqlResult rows = db().Select(
        u"SELECT RunID, BufferDistance, DriftReduction FROM Runs WHERE ProjectID = ? AND CropCode = "
        u"(SELECT CropCode FROM Runs WHERE RunID = ?) AND CropNr = (SELECT CropNr FROM Runs WHERE RunID = ?)"_s,
        {ids[1], parent, parent});
    int drift = 0;
    for (const TSqlRow& row : rows.rows) {
        SCOPED_TRACE(row[0].toString().toStdString());
        if (row[0].toString().endsWith(u"_pa"_s)) {
            ++drift;
            EXPECT_EQ(row[1].toDouble(), 25.0);
            EXPECT_EQ(row[2].toInt(), 75);
        } else {
            EXPECT_TRUE(row[1].isNull());
            EXPECT_TRUE(row[2].isNull());
        }
    }
    EXPECT_GT(drift, 1);
    EXPECT_EQ(CommittedSnapshot(), Snapshot());
}

TEST_F(RunsTest, DefaultPatternChangesBelongToTheEditorsTransaction) {
    db().Execute(
        u"INSERT INTO SubstancexCropxLocation (SubstanceCode, CropCode, LocationCode, CropNr, DefAppMethod, "
        u"DefNumberOfApps, DefMinIntervalApps, DefFirstDayYrApp, DefLastDayYrApp, DefRate, Locked) "
        u"VALUES ('ONEMET', 'Maize', 'D4', '1st', 'ground spray', 1, 14, 100, 160, 1.0, 0)"_s);
    before = Snapshot();
    Open();
    AnswerModal([this](QWidget* modal) {
        EXPECT_EQ(modal->windowTitle(), u"Default Application Pattern"_s);
        auto* grid = Control<QTableView>(modal, u"grdDefaults"_s);
        ASSERT_EQ(grid->model()->rowCount(), 1);
        // Typed and not yet written when OK is clicked.
        Type(grid, 0, 9, u"21"_s);
        QTest::mouseClick(Control<QPushButton>(modal, u"btnOK"_s), Qt::LeftButton);
    });
    Click(u"btnDefaults"_s);
    EXPECT_EQ(
        Value(u"SELECT DefMinIntervalApps FROM SubstancexCropxLocation WHERE SubstanceCode = 'ONEMET'"_s)
            .toInt(),
        21);
    EXPECT_TRUE(db().InTransaction());
    ui.Answer(true, Discard);
    Click(u"btnCancel"_s);
    EXPECT_EQ(ui.TakeTexts(), QStringList{Discard});
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(RunsTest, PrintsTheWindowLandscapeWithoutItsButtons) {
    Open();
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(u"runs.pdf"_s));
    runs->PrintTo(printer);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_GT(QFileInfo(dir.filePath(u"runs.pdf"_s)).size(), 1000);
    for (const QString& button : {u"btnPrint"_s, u"btnOK"_s, u"btnCancel"_s})
        EXPECT_TRUE(Control<QPushButton>(runs.get(), button)->isVisible()) << button.toStdString();
    Click(u"btnCancel"_s);
}

// Ctrl+P prints as the Print button does: the print dialog opens.
TEST_F(RunsTest, CtrlPOpensThePrintDialog) {
    Open();
    QString opened;
    AnswerModal([&opened](QWidget* dialog) {
        opened = dialog->objectName();
        dialog->close();
    });
    QTest::keyClick(Runs(), Qt::Key_P, Qt::ControlModifier);
    QTest::qWait(20);
    EXPECT_EQ(opened, u"dlgPrint"_s);
    EXPECT_TRUE(runs->isVisible());
    Click(u"btnCancel"_s);
}

// Another Kelvo or the TOXSWA shell holding the database for writing: the editor waits the busy timeout,
// says why it cannot edit, and closes without a transaction.
TEST_F(RunsTest, ADatabaseKeptBusyByAnotherProgramIsReportedAndTheEditorCloses) {
    TConnection other;
    other.Open(DatabaseFile());
    other.BeginTrans();
    runs = std::make_unique<TfrmRuns>();
    runs->show();
    QTest::qWait(50);
    const QStringList shown = ui.TakeTexts();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(
        shown[0].startsWith(u"The applications cannot be edited now: another program (Kelvo or the TOXSWA "
                            u"shell) is writing the scenario database."_s))
        << shown[0].toStdString();
    EXPECT_FALSE(runs->isVisible());
    EXPECT_FALSE(db().InTransaction());
    other.RollbackTrans();
    runs.reset();
    EXPECT_EQ(Snapshot(), before);
}

} // namespace
