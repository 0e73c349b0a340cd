#include "ScreensTest.h"

#include "ui/GridClipboard.h"
#include "ui/bound/DBNavigator.h"
#include "ui/models/RecordSetModel.h"
#include "ui/screens/Defaults.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

namespace {

// The default pattern editor on the unlocked ONEMET, which has one pattern for winter cereals at D1,
// or on the predefined EXAMPLE_P.
class DefaultsTest : public TScreensTest {
protected:
    void SetUp() override {
        TScreensTest::SetUp();
        if (HasFatalFailure()) return;
        db().Execute(
            u"INSERT INTO SubstancexCropxLocation (SubstanceCode, CropCode, LocationCode, CropNr, "
            u"DefAppMethod, DefNumberOfApps, DefMinIntervalApps, DefFirstDayYrApp, DefLastDayYrApp, DefRate, "
            u"Locked) VALUES ('ONEMET', 'Cereals, winter', 'D1', '1st', 'ground spray', 1, 14, 105, 165, "
            u"1.0, 0)"_s);
    }
    void TearDown() override {
        defaults.reset();
        TScreensTest::TearDown();
    }
    void Open(const QString& substance) {
        defaults = std::make_unique<TfrmDefaults>();
        ASSERT_TRUE(defaults->Prepare(substance));
        defaults->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(defaults.get()));
        QTest::qWait(20);
    }
    QTableView* Grid() { return Control<QTableView>(defaults.get(), u"grdDefaults"_s); }
    TRecordSetModel* Model() { return static_cast<TRecordSetModel*>(Grid()->model()); }
    TDBNavigator* Navigator() { return Control<TDBNavigator>(defaults.get(), u"navDefaults"_s); }

    std::unique_ptr<TfrmDefaults> defaults;
};

TEST_F(DefaultsTest, ALockedSubstanceIsShownReadOnlyAfterItsMessage) {
    Open(u"EXAMPLE_P"_s);
    EXPECT_EQ(
        ui.TakeTexts(),
        QStringList{
            u"Predefined FOCUS substance. It is not allowed to change the default application pattern."_s});
    EXPECT_EQ(Control<QLineEdit>(defaults.get(), u"edtSubCode"_s)->text(), u"EXAMPLE_P"_s);
    EXPECT_GT(Grid()->model()->rowCount(), 0);
    EXPECT_FALSE(Control<QPushButton>(defaults.get(), u"btnOK"_s)->isEnabled());
    for (int column = 0; column < TfrmDefaults::ColumnCount; ++column)
        EXPECT_FALSE(Grid()->model()->flags(Grid()->model()->index(0, column)).testFlag(Qt::ItemIsEditable));
    EXPECT_TRUE(Navigator()->button(TDBNavigator::Next)->isVisibleTo(defaults.get()));
    for (const TDBNavigator::TButton button :
         {TDBNavigator::Insert, TDBNavigator::Delete, TDBNavigator::Post, TDBNavigator::Cancel})
        EXPECT_FALSE(Navigator()->button(button)->isVisibleTo(defaults.get())) << button;
    // The message comes once per showing, not again when the window is active again.
    defaults->activateWindow();
    QTest::qWait(20);
    EXPECT_EQ(ui.TakeTexts(), QStringList());
}

TEST_F(DefaultsTest, PickListsNarrowToTheScenarioAndTheCrop) {
    Open(u"ONEMET"_s);
    ClickCell(Grid(), 0, TfrmDefaults::ColCrop);
    EXPECT_EQ(Model()->pickList(TfrmDefaults::ColCrop), dm->FirstCropCodesAt(u"D1"_s));
    EXPECT_LT(Model()->pickList(TfrmDefaults::ColCrop).size(), dm->LoadCropCodes(false).size());
    EXPECT_EQ(Grid()->toolTip(), u"<click to edit>"_s);
    ClickCell(Grid(), 0, TfrmDefaults::ColScenario);
    EXPECT_EQ(Model()->pickList(TfrmDefaults::ColScenario), dm->FirstCropLocationCodes(u"Cereals, winter"_s));
    EXPECT_EQ(Model()->pickList(TfrmDefaults::ColMethod), dm->ApplicationMethodList(-1));
    ClickCell(Grid(), 0, TfrmDefaults::ColNumber);
    EXPECT_EQ(Grid()->toolTip(), QString());
}

// Ctrl+V writes a block from the current cell as typing would, or nothing of it with one message naming
// the first refused cell.
TEST_F(DefaultsTest, CtrlVPastesABlockAllOrNothing) {
    InstallGridClipboard();
    const QString stored = u"SELECT DefNumberOfApps || '|' || DefFirstDayYrApp FROM SubstancexCropxLocation "
                           u"WHERE SubstanceCode = 'ONEMET'"_s;
    const QString before = Value(stored).toString();
    ASSERT_EQ(before, u"1|105"_s);
    const auto caption = [this](int column) {
        return u"Row 1, column \"%1\": "_s.arg(Model()->headerData(column, Qt::Horizontal).toString());
    };
    struct TCase {
        const char* name;
        QString block;
        QString stored;
        int refusedColumn; // -1: none
        QString message;   // the rule's message where the test knows it
    } cases[] = {
        {"a value the field refuses", u"3\tabc"_s, before, TfrmDefaults::ColFirst, {}},
        {"over an informative column", u"3\t100\t1-Apr"_s, before, TfrmDefaults::ColFirstDate,
         u"This column cannot be edited."_s},
        {"two values", u"2\t100\n"_s, u"2|100"_s, -1, {}},
    };
    Open(u"ONEMET"_s);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        ClickCell(Grid(), 0, TfrmDefaults::ColNumber);
        ASSERT_EQ(Grid()->currentIndex(), Model()->index(0, TfrmDefaults::ColNumber));
        QGuiApplication::clipboard()->setText(c.block);
        QTest::keyClick(Grid(), Qt::Key_V, Qt::ControlModifier);
        QTest::qWait(10);
        const QStringList texts = ui.TakeTexts();
        EXPECT_EQ(Value(stored).toString(), c.stored);
        EXPECT_EQ(dm->tblDefaults.state(), TRecordSet::TState::Browse);
        if (c.refusedColumn < 0) {
            EXPECT_EQ(texts, QStringList());
        } else {
            ASSERT_EQ(texts.size(), 1);
            EXPECT_EQ(texts[0].left(caption(c.refusedColumn).size()), caption(c.refusedColumn));
            EXPECT_TRUE(texts[0].endsWith(c.message)) << texts[0].toStdString();
        }
    }
}

// Moving from one row to another narrows the lists for the row entered, not the row left.
TEST_F(DefaultsTest, PickListsFollowTheRowEntered) {
    db().Execute(
        u"INSERT INTO SubstancexCropxLocation (SubstanceCode, CropCode, LocationCode, CropNr, "
        u"DefAppMethod, DefNumberOfApps, DefMinIntervalApps, DefFirstDayYrApp, DefLastDayYrApp, DefRate, "
        u"Locked) VALUES ('ONEMET', 'Maize', 'R1', '1st', 'ground spray', 1, 14, 105, 165, 1.0, 0)"_s);
    Open(u"ONEMET"_s);
    ASSERT_EQ(Model()->rowCount(), 2);
    for (const int row : {0, 1, 0}) {
        const QString crop = Model()->index(row, TfrmDefaults::ColCrop).data().toString();
        const QString location = Model()->index(row, TfrmDefaults::ColScenario).data().toString();
        SCOPED_TRACE(location.toStdString());
        ClickCell(Grid(), row, TfrmDefaults::ColCrop);
        EXPECT_EQ(Model()->pickList(TfrmDefaults::ColCrop), dm->FirstCropCodesAt(location));
        ClickCell(Grid(), 1 - row, TfrmDefaults::ColScenario);
        const QString otherCrop = Model()->index(1 - row, TfrmDefaults::ColCrop).data().toString();
        EXPECT_EQ(Model()->pickList(TfrmDefaults::ColScenario), dm->FirstCropLocationCodes(otherCrop));
        EXPECT_NE(crop, otherCrop);
    }
}

TEST_F(DefaultsTest, TabPassesOverTheDateColumnsBothWays) {
    Open(u"ONEMET"_s);
    ClickCell(Grid(), 0, TfrmDefaults::ColFirst);
    QTest::keyClick(Grid(), Qt::Key_Tab);
    QTest::qWait(20);
    EXPECT_EQ(Grid()->currentIndex().column(), TfrmDefaults::ColLast);
    QTest::keyClick(Grid(), Qt::Key_Tab);
    QTest::qWait(20);
    EXPECT_EQ(Grid()->currentIndex().column(), TfrmDefaults::ColInterval);
    QTest::keyClick(Grid(), Qt::Key_Backtab);
    QTest::qWait(20);
    EXPECT_EQ(Grid()->currentIndex().column(), TfrmDefaults::ColLast);
    QTest::keyClick(Grid(), Qt::Key_Backtab);
    QTest::qWait(20);
    EXPECT_EQ(Grid()->currentIndex().column(), TfrmDefaults::ColFirst);
}

TEST_F(DefaultsTest, ASecondRowOfTheSameCombinationIsRefused) {
    Open(u"ONEMET"_s);
    QTest::mouseClick(Navigator()->button(TDBNavigator::Insert), Qt::LeftButton);
    const int row = dm->tblDefaults.currentRow();
    const std::pair<int, QString> values[] = {{TfrmDefaults::ColCrop, u"Cereals, winter"_s},
                                              {TfrmDefaults::ColCropNr, u"1st"_s},
                                              {TfrmDefaults::ColScenario, u"D1"_s},
                                              {TfrmDefaults::ColMethod, u"ground spray"_s},
                                              {TfrmDefaults::ColNumber, u"1"_s},
                                              {TfrmDefaults::ColFirst, u"100"_s},
                                              {TfrmDefaults::ColLast, u"170"_s},
                                              {TfrmDefaults::ColInterval, u"14"_s}};
    for (const auto& [column, value] : values)
        EXPECT_TRUE(Model()->setData(Model()->index(row, column), value)) << column;
    QTest::mouseClick(Navigator()->button(TDBNavigator::Post), Qt::LeftButton);
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Combination already exists."_s});
    EXPECT_EQ(Value(u"SELECT count(*) FROM SubstancexCropxLocation WHERE SubstanceCode = 'ONEMET'"_s).toInt(),
              1);
    // OK keeps the window open with the rule's message and the row in edit; Cancel drops it.
    QTest::mouseClick(Control<QPushButton>(defaults.get(), u"btnOK"_s), Qt::LeftButton);
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Combination already exists."_s});
    EXPECT_TRUE(defaults->isVisible());
    EXPECT_EQ(dm->tblDefaults.state(), TRecordSet::TState::Insert);
    EXPECT_EQ(Model()->index(row, TfrmDefaults::ColFirst).data().toString(), u"100"_s);
    QTest::mouseClick(Control<QPushButton>(defaults.get(), u"BitBtn2"_s), Qt::LeftButton);
    EXPECT_EQ(ui.TakeTexts(), QStringList());
    EXPECT_FALSE(defaults->isVisible());
    EXPECT_FALSE(dm->tblDefaults.active());
    EXPECT_EQ(Value(u"SELECT count(*) FROM SubstancexCropxLocation WHERE SubstanceCode = 'ONEMET'"_s).toInt(),
              1);
}

} // namespace
