#include "store/RecordSet.h"
#include "ui/bound/CheckBoxBinding.h"
#include "ui/bound/ComboBoxBinding.h"
#include "ui/bound/DBNavigator.h"
#include "ui/bound/LineEditBinding.h"
#include "ui/bound/RadioGroupBinding.h"
#include "ui/models/RunsProjectTest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

class BoundEditsTest : public TRunsProjectTest {
protected:
    TTable& runs() { return dm->tblRuns; }
    QString RunText(const QString& field) { return runs().fieldByName(field).displayText(); }

    // Shown at its natural size, so that a click at its centre hits it.
    static void Show(QWidget& widget) {
        widget.resize(widget.sizeHint());
        widget.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&widget));
    }

    static void Type(QLineEdit& edit, const QString& text) {
        edit.selectAll();
        QTest::keyClicks(&edit, text);
        QTest::keyClick(&edit, Qt::Key_Return);
    }
};

TEST_F(BoundEditsTest, ALineEditShowsTheCurrentRowAndWritesWhenEditingEnds) {
    QLineEdit edit;
    new TLineEditBinding(&edit, runs(), u"MinIntervalApps"_s);
    const QString first = RunText(u"MinIntervalApps"_s);
    EXPECT_EQ(edit.text(), first);
    runs().edit();
    runs().fieldByName(u"MinIntervalApps"_s).setAsInteger(9);
    EXPECT_EQ(edit.text(), u"9"_s) << "a value set by code shows";
    runs().cancel();
    EXPECT_EQ(edit.text(), first);

    Type(edit, u"abc"_s);
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"'abc' is not a valid integer value for field 'MinIntervalApps'"_s});
    EXPECT_EQ(edit.text(), first) << "the refused text gives way to the field's value";
    Type(edit, u"7"_s);
    EXPECT_EQ(runs().state(), TRecordSet::TState::Edit);
    EXPECT_EQ(runs().fieldByName(u"MinIntervalApps"_s).asInteger(), 7);
    runs().post();
    EXPECT_EQ(Value(u"SELECT MinIntervalApps FROM Runs WHERE RunID = ?"_s, {CurrentRunId()}).toInt(), 7);

    // Leaving the control unchanged writes nothing.
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(runs().state(), TRecordSet::TState::Browse);

    runs().last();
    EXPECT_EQ(edit.text(), RunText(u"MinIntervalApps"_s));
    EXPECT_FALSE(edit.isReadOnly());
    runs().close();
    EXPECT_TRUE(edit.text().isEmpty());
    EXPECT_TRUE(edit.isReadOnly()) << "a closed record set cannot be modified";
}

TEST_F(BoundEditsTest, AReadOnlyFieldCannotBeEdited) {
    runs().fieldByName(u"RunID"_s).setReadOnly(true);
    QLineEdit edit;
    new TLineEditBinding(&edit, runs(), u"RunID"_s);
    EXPECT_EQ(edit.text(), CurrentRunId());
    EXPECT_TRUE(edit.isReadOnly());
    runs().fieldByName(u"RunID"_s).setReadOnly(false);
}

TEST_F(BoundEditsTest, ACheckBoxWritesItsValues) {
    QCheckBox box;
    new TCheckBoxBinding(&box, runs(), u"Selected"_s, u"Yes"_s, QVariant());
    QCheckBox locked;
    new TCheckBoxBinding(&locked, runs(), u"Locked"_s);
    Show(box);
    Show(locked);
    EXPECT_EQ(box.isChecked(), RunText(u"Selected"_s) == u"Yes"_s);
    EXPECT_EQ(locked.isChecked(), runs().fieldByName(u"Locked"_s).asBoolean());

    runs().edit();
    runs().fieldByName(u"Selected"_s).clear();
    EXPECT_FALSE(box.isChecked());
    QTest::mouseClick(&box, Qt::LeftButton);
    EXPECT_EQ(RunText(u"Selected"_s), u"Yes"_s);
    QTest::mouseClick(&box, Qt::LeftButton);
    EXPECT_TRUE(runs().fieldByName(u"Selected"_s).isNull());
    const bool wasLocked = locked.isChecked();
    QTest::mouseClick(&locked, Qt::LeftButton);
    EXPECT_EQ(runs().fieldByName(u"Locked"_s).asBoolean(), !wasLocked);
    runs().cancel();
    EXPECT_EQ(locked.isChecked(), wasLocked);
}

TEST_F(BoundEditsTest, AComboBoxShowsTheValuesItemAndWritesTheChosenOne) {
    const QStringList methods = dm->ApplicationMethodList(-1);
    QComboBox combo;
    combo.addItems(methods);
    new TComboBoxBinding(&combo, runs(), u"AppMethod"_s);
    const QString method = RunText(u"AppMethod"_s);
    ASSERT_EQ(combo.currentText(), method);
    const int position = combo.currentIndex();
    QTest::keyClick(&combo, position + 1 < combo.count() ? Qt::Key_Down : Qt::Key_Up);
    EXPECT_NE(RunText(u"AppMethod"_s), method);
    EXPECT_EQ(RunText(u"AppMethod"_s), combo.currentText());
    runs().cancel();
    EXPECT_EQ(combo.currentText(), method);
    runs().edit();
    runs().fieldByName(u"AppMethod"_s).setAsString(u"not a method"_s);
    EXPECT_EQ(combo.currentIndex(), -1) << "no item stands for the value";
    runs().cancel();
}

TEST_F(BoundEditsTest, ARadioGroupChecksTheButtonOfTheValue) {
    QWidget group;
    auto* first = new QRadioButton(u"1st"_s, &group);
    auto* second = new QRadioButton(u"2nd"_s, &group);
    new TRadioGroupBinding({first, second}, runs(), u"CropNr"_s, {u"1st"_s, u"2nd"_s});
    auto* layout = new QVBoxLayout(&group);
    layout->addWidget(first);
    layout->addWidget(second);
    Show(group);
    ASSERT_EQ(RunText(u"CropNr"_s), u"1st"_s);
    EXPECT_TRUE(first->isChecked());
    QTest::mouseClick(second, Qt::LeftButton);
    EXPECT_EQ(RunText(u"CropNr"_s), u"2nd"_s);
    runs().fieldByName(u"CropNr"_s).clear();
    EXPECT_FALSE(first->isChecked() || second->isChecked()) << "no button for no value";
    runs().cancel();
    EXPECT_TRUE(first->isChecked());
}

TEST_F(BoundEditsTest, TheNavigatorsButtonsFollowTheRecordSet) {
    TDBNavigator navigator;
    navigator.setRecordSet(&runs());
    const auto button = [&navigator](const char* name) {
        auto* b = navigator.findChild<QToolButton*>(QString::fromLatin1(name));
        EXPECT_TRUE(b) << name;
        return b;
    };
    const char* names[] = {"btnNavFirst",  "btnNavPrior",  "btnNavNext", "btnNavLast",
                           "btnNavInsert", "btnNavDelete", "btnNavPost", "btnNavCancel"};
    const auto enabled = [&] {
        QString states;
        for (const char* name : names)
            states += button(name)->isEnabled() ? u'1' : u'0';
        return states;
    };
    EXPECT_EQ(enabled(), u"00111100"_s) << "on the first row";
    QTest::mouseClick(button("btnNavNext"), Qt::LeftButton);
    EXPECT_EQ(runs().currentRow(), 1);
    EXPECT_EQ(enabled(), u"11111100"_s);
    QTest::mouseClick(button("btnNavLast"), Qt::LeftButton);
    EXPECT_EQ(runs().currentRow(), runs().rowCount() - 1);
    EXPECT_EQ(enabled(), u"11001100"_s);
    QTest::mouseClick(button("btnNavFirst"), Qt::LeftButton);
    EXPECT_EQ(runs().currentRow(), 0);

    const int interval = runs().fieldByName(u"MinIntervalApps"_s).asInteger();
    runs().edit();
    runs().fieldByName(u"MinIntervalApps"_s).setAsInteger(interval + 1);
    EXPECT_EQ(enabled(), u"00111111"_s) << "editing";
    QTest::mouseClick(button("btnNavCancel"), Qt::LeftButton);
    EXPECT_EQ(runs().fieldByName(u"MinIntervalApps"_s).asInteger(), interval);
    runs().edit();
    runs().fieldByName(u"MinIntervalApps"_s).setAsInteger(interval + 1);
    QTest::mouseClick(button("btnNavPost"), Qt::LeftButton);
    EXPECT_EQ(Value(u"SELECT MinIntervalApps FROM Runs WHERE RunID = ?"_s, {CurrentRunId()}).toInt(),
              interval + 1);
    EXPECT_EQ(enabled(), u"00111100"_s);

    // Delete asks nothing itself: the run rule asks, and No keeps the run.
    const int count = runs().recordCount();
    ui.Answer(false, u"Are you sure?"_s);
    QTest::mouseClick(button("btnNavDelete"), Qt::LeftButton);
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Are you sure?"_s});
    EXPECT_EQ(runs().recordCount(), count);

    // The application rule cancels a row beyond the run's number of applications at once.
    navigator.setRecordSet(&dm->tblApplications);
    QTest::mouseClick(button("btnNavInsert"), Qt::LeftButton);
    EXPECT_EQ(dm->tblApplications.state(), TRecordSet::TState::Browse);
    EXPECT_EQ(enabled(), u"00001100"_s);

    navigator.setVisibleButtons(
        {TDBNavigator::First, TDBNavigator::Prior, TDBNavigator::Next, TDBNavigator::Last});
    EXPECT_FALSE(button("btnNavNext")->isHidden());
    EXPECT_TRUE(button("btnNavInsert")->isHidden());
    dm->CloseRuns();
    EXPECT_EQ(enabled(), u"00000000"_s);
}

} // namespace

// A control on a hidden page of a shown window skips the moves and shows the current row once it is
// shown; the page in sight follows every move.
TEST_F(BoundEditsTest, AControlOnAHiddenPageCatchesUpWhenShown) {
    QTabWidget pages;
    auto* shown = new QLineEdit;
    auto* hidden = new QLineEdit;
    pages.addTab(shown, u"In sight"_s);
    pages.addTab(hidden, u"Hidden"_s);
    new TLineEditBinding(shown, runs(), u"RunID"_s);
    new TLineEditBinding(hidden, runs(), u"RunID"_s);
    Show(pages);
    runs().first();
    const QString first = CurrentRunId();
    runs().last();
    ASSERT_NE(CurrentRunId(), first);
    EXPECT_EQ(shown->text(), CurrentRunId());
    EXPECT_NE(hidden->text(), CurrentRunId()) << "a hidden control was laid out at the move";
    pages.setCurrentIndex(1);
    EXPECT_EQ(hidden->text(), CurrentRunId());
    runs().first();
    EXPECT_EQ(hidden->text(), first);
    EXPECT_NE(shown->text(), first);
    pages.setCurrentIndex(0);
    EXPECT_EQ(shown->text(), first);
}
