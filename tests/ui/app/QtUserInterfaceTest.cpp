#include "ui/app/QtUserInterface.h"
#include "AppTestSupport.h"
#include "ui/app/Application.h"
#include "ui/app/Wait.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

class QtUserInterfaceTest : public TKelvoTest {
protected:
    TQtUserInterface qt;
};

// What a box showed, and the button clicked to close it.
struct TSeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

void AnswerBox(TSeenBox* seen, std::function<void(QMessageBox*)> close) {
    AnswerModal([seen, close](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        *seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons()};
        close(box);
    });
}

void Click(QMessageBox* box, QMessageBox::StandardButton button) {
    QTest::mouseClick(box->button(button), Qt::LeftButton);
}

// With the program's own set-up: plain messages carry the application name, which X11 and Wayland do not
// append to window titles (no display name is set); the program belongs to the desktop entry "kelvo".
TEST_F(QtUserInterfaceTest, MessageBoxesCarryTheirKindsTitleIconAndSingleButton) {
    const QString name = QApplication::applicationName();
    SetUpApplication();
    EXPECT_EQ(QGuiApplication::desktopFileName(), u"eu.kelvo.Kelvo"_s);
    EXPECT_FALSE(QApplication::windowIcon().isNull());
    struct TCase {
        TMessageKind kind;
        QString title;
        QMessageBox::Icon icon;
        QMessageBox::StandardButton button;
    } cases[] = {
        {TMessageKind::Warning, u"Warning"_s, QMessageBox::Warning, QMessageBox::Ok},
        {TMessageKind::Information, u"Information"_s, QMessageBox::Information, QMessageBox::Ok},
        {TMessageKind::Message, u"Kelvo_gui"_s, QMessageBox::NoIcon, QMessageBox::Ok},
        {TMessageKind::ErrorBox, u"Error"_s, QMessageBox::Critical, QMessageBox::Cancel},
        {TMessageKind::Error, u"Kelvo_gui"_s, QMessageBox::Critical, QMessageBox::Ok},
    };
    const QString text = u"Record is locked <b>because</b> it is a FOCUS predefined record"_s;
    for (const TCase& c : cases) {
        TSeenBox seen;
        AnswerBox(&seen, [&c](QMessageBox* box) { Click(box, c.button); });
        qt.Show(c.kind, text);
        EXPECT_EQ(seen.title, c.title);
        EXPECT_EQ(seen.text, text) << "shown unchanged, as plain text";
        EXPECT_EQ(seen.icon, c.icon) << c.title.toStdString();
        EXPECT_EQ(seen.buttons, QMessageBox::StandardButtons(c.button)) << c.title.toStdString();
    }
    QApplication::setApplicationName(name);
    QGuiApplication::setDesktopFileName(QString());
}

TEST_F(QtUserInterfaceTest, QuestionsAnswerYesOnlyForYesAndClosingCountsAsTheOtherButton) {
    struct TCase {
        TQuestionKind kind;
        QMessageBox::StandardButton other;
        std::function<void(QMessageBox*)> close;
        bool expected;
    };
    auto yes = [](QMessageBox* box) { Click(box, QMessageBox::Yes); };
    auto no = [](QMessageBox* box) { Click(box, QMessageBox::No); };
    auto cancel = [](QMessageBox* box) { Click(box, QMessageBox::Cancel); };
    auto escape = [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); };
    auto closeBox = [](QMessageBox* box) { box->close(); };
    const TCase cases[] = {
        {TQuestionKind::YesNo, QMessageBox::No, yes, true},
        {TQuestionKind::YesNo, QMessageBox::No, no, false},
        {TQuestionKind::YesNo, QMessageBox::No, escape, false},
        {TQuestionKind::YesNo, QMessageBox::No, closeBox, false},
        {TQuestionKind::YesCancel, QMessageBox::Cancel, yes, true},
        {TQuestionKind::YesCancel, QMessageBox::Cancel, cancel, false},
        {TQuestionKind::YesCancel, QMessageBox::Cancel, escape, false},
    };
    for (const TCase& c : cases) {
        TSeenBox seen;
        AnswerBox(&seen, c.close);
        EXPECT_EQ(qt.Ask(c.kind, u"Save changes?"_s), c.expected);
        EXPECT_EQ(seen.title, u"Confirm"_s);
        EXPECT_EQ(seen.text, u"Save changes?"_s);
        EXPECT_EQ(seen.icon, QMessageBox::Question);
        EXPECT_EQ(seen.buttons, QMessageBox::Yes | c.other);
    }
}

// Yes, No and Cancel each answer for themselves; Return takes Yes, Escape and closing the box cancel.
TEST_F(QtUserInterfaceTest, YesNoCancelQuestionsAnswerEachButtonAndCancelWhenClosed) {
    const std::pair<std::function<void(QMessageBox*)>, TYesNoCancel> cases[] = {
        {[](QMessageBox* box) { Click(box, QMessageBox::Yes); }, TYesNoCancel::Yes},
        {[](QMessageBox* box) { Click(box, QMessageBox::No); }, TYesNoCancel::No},
        {[](QMessageBox* box) { Click(box, QMessageBox::Cancel); }, TYesNoCancel::Cancel},
        {[](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); }, TYesNoCancel::Yes},
        {[](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }, TYesNoCancel::Cancel},
        {[](QMessageBox* box) { box->close(); }, TYesNoCancel::Cancel},
    };
    for (const auto& [close, expected] : cases) {
        TSeenBox seen;
        AnswerBox(&seen, close);
        EXPECT_EQ(qt.AskYesNoCancel(u"Replace them?"_s), expected);
        EXPECT_EQ(seen.title, u"Confirm"_s);
        EXPECT_EQ(seen.text, u"Replace them?"_s);
        EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    }
}

// Return answers with the default button: Yes for an ordinary question, No where Yes destroys something.
TEST_F(QtUserInterfaceTest, ReturnNeverConfirmsADestructiveQuestion) {
    const QString text = u"Remove project: Alpha"_s;
    auto pressReturn = [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); };
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    AnswerModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        defaultButton = box->standardButton(box->defaultButton());
        EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(box->windowTitle(), u"Confirm"_s);
        EXPECT_EQ(box->text(), text);
        pressReturn(box);
    });
    EXPECT_FALSE(qt.AskDestructive(text));
    EXPECT_EQ(defaultButton, QMessageBox::No);

    TSeenBox seen;
    AnswerBox(&seen, pressReturn);
    EXPECT_TRUE(qt.Ask(TQuestionKind::YesNo, text)) << "an ordinary question keeps Yes as its default";
    TSeenBox destroyed;
    AnswerBox(&destroyed, [](QMessageBox* box) { Click(box, QMessageBox::Yes); });
    EXPECT_TRUE(qt.AskDestructive(text)) << "Yes still answers Yes";
}

TEST_F(QtUserInterfaceTest, BoxesAreModalOverTheActiveWindow) {
    QWidget owner;
    owner.show();
    QApplication::setActiveWindow(&owner);
    QWidget* parent = nullptr;
    AnswerModal([&parent](QWidget* modal) {
        parent = modal->parentWidget();
        Click(qobject_cast<QMessageBox*>(modal), QMessageBox::Ok);
    });
    qt.Show(TMessageKind::Information, u"Created runs: 4"_s);
    EXPECT_EQ(parent, &owner);
}

QProgressBar* Gauge() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* wait = qobject_cast<TfrmWait*>(w)) return wait->findChild<QProgressBar*>(u"Gauge1"_s);
    return nullptr;
}

TEST_F(QtUserInterfaceTest, ProgressWindowShowsCommentAndAdvancesItsBarUpToItsSteps) {
    InstallUserInterface(&qt);
    TProgressWindow* progress = CreateProgressWindow(u"Writing PRZM files"_s, 3);
    QProgressBar* gauge = Gauge();
    ASSERT_NE(gauge, nullptr);
    QWidget* window = gauge->window();
    EXPECT_FALSE(window->isVisible()) << "made hidden";
    EXPECT_EQ(window->windowTitle(), u"Please wait ..."_s);
    EXPECT_EQ(window->findChild<QLabel*>(u"lblComment"_s)->text(), u"Writing PRZM files"_s);

    StartProgress(progress);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(gauge->text(), u"0%"_s);
    StepProgress(progress);
    StepProgress(progress);
    EXPECT_EQ(gauge->value(), 2);
    EXPECT_EQ(gauge->text(), u"66%"_s);
    StepProgress(progress);
    StepProgress(progress);
    EXPECT_EQ(gauge->text(), u"100%"_s) << "a step beyond the last keeps the bar full";

    CloseProgressWindow(progress);
    EXPECT_EQ(Gauge(), nullptr);
    InstallUserInterface(&ui);
}

TEST_F(QtUserInterfaceTest, ProgressWindowOfNoStepsShowsAnEmptyBarAndCloses) {
    std::unique_ptr<TProgressWindow> progress = qt.CreateProgress(u"Please wait."_s, 0);
    progress->Start();
    ASSERT_NE(Gauge(), nullptr);
    EXPECT_EQ(Gauge()->text(), u"0%"_s);
    EXPECT_EQ(Gauge()->minimum(), 0);
    EXPECT_GT(Gauge()->maximum(), 0) << "no busy indicator";
    progress.reset();
    EXPECT_EQ(Gauge(), nullptr);
}

TEST_F(QtUserInterfaceTest, ProgressWindowClosedWithItsOwnerIsNotFreedTwice) {
    auto* owner = new QWidget;
    owner->show();
    QApplication::setActiveWindow(owner);
    std::unique_ptr<TProgressWindow> progress = qt.CreateProgress(u"Exporting"_s, 2);
    progress->Start();
    EXPECT_EQ(Gauge()->window()->parentWidget(), owner);
    delete owner;
    progress->Step();
    progress.reset();
}

TEST_F(QtUserInterfaceTest, BusyCursorNestsAndIsRestored) {
    InstallUserInterface(&qt);
    {
        TBusyCursor busy;
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        { TBusyCursor inner; }
        EXPECT_NE(QApplication::overrideCursor(), nullptr);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    InstallUserInterface(&ui);
}

TEST_F(QtUserInterfaceTest, FileQuestionsAnswerTheChosenPathOrEmptyWhenCancelled) {
    QTemporaryDir dir;
    const QString target = dir.filePath(u"drift.bmp"_s);
    AnswerModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), u"Save Screen"_s);
        EXPECT_EQ(dialog->nameFilters(), QStringList{u"Bitmaps (*.bmp)"_s});
        dialog->selectFile(target);
        static_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_EQ(qt.AskSaveFileName(u"Save Screen"_s, target, u"Bitmaps (*.bmp)"_s), target);

    AnswerModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
        dialog->reject();
    });
    EXPECT_EQ(qt.AskDirectory(u"Projects root"_s, dir.path()), QString());

    AnswerModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->directory().absolutePath(), QDir(dir.path()).absolutePath());
        static_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_EQ(QDir(qt.AskDirectory(u"Projects root"_s, dir.path())).absolutePath(),
              QDir(dir.path()).absolutePath());
}

// A box under a busy cursor is read and answered with the normal cursor; the busy one returns after.
TEST_F(QtUserInterfaceTest, BoxesShowTheNormalCursorUnderABusyOne) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    for (const bool question : {false, true}) {
        Qt::CursorShape shown = Qt::WaitCursor;
        AnswerModal([&](QWidget* modal) {
            shown = QApplication::overrideCursor()->shape();
            modal->close();
        });
        if (question)
            qt.Ask(TQuestionKind::YesNo, u"Replace it?"_s);
        else
            qt.Show(TMessageKind::Message, u"Failed to open the KELVO-database."_s);
        EXPECT_EQ(shown, Qt::ArrowCursor);
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    QApplication::restoreOverrideCursor();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace
