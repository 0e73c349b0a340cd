#include "ui/ScreenFit.h"
#include "AppTestSupport.h"
#include "XServer.h"
#include "export/DataModuleMacroADO.h"
#include "store/DataModuleKelvoADO.h"
#include "ui/app/Help.h"
#include "ui/app/HelpWindow.h"
#include "ui/wizards/FocusWizard.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

TEST(ScreenFit, AFrameIsMovedIntoTheAvailableAreaAsLittleAsItCan) {
    const QRect area(0, 30, 1000, 700); // a panel above
    const struct {
        QRect frame;
        QPoint placed;
    } cases[] = {
        {{100, 100, 400, 300}, {100, 100}}, // inside: stays
        {{-50, 100, 400, 300}, {0, 100}},   // off the left
        {{100, 0, 400, 300}, {100, 30}},    // under the panel
        {{800, 600, 400, 300}, {600, 430}}, // off the right and the bottom
        {{-20, -20, 1200, 900}, {0, 30}},   // larger than the area: its top-left corner shows
        {{300, 500, 1200, 200}, {0, 500}},  // wider only
    };
    for (const auto& c : cases) {
        const QRect placed = PlaceInside(c.frame, area);
        EXPECT_EQ(placed.topLeft(), c.placed) << c.frame.x() << "," << c.frame.y();
        EXPECT_EQ(placed.size(), c.frame.size());
    }
}

class ScreenFitTest : public TKelvoTest {
protected:
    static QRect Area(const QWidget& window) { return window.screen()->availableGeometry(); }
    // Shows the window fitted as the application fits every window.
    static void Show(QWidget& window) {
        FitOnScreenWhenShown(window);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    static void ExpectFitsAndReaches(QWidget& window, QPushButton& close) {
        EXPECT_TRUE(Area(window).contains(window.frameGeometry())) << window.objectName().toStdString();
        auto* scroll = window.findChild<QScrollArea*>();
        ASSERT_NE(scroll, nullptr) << "contents larger than the screen scroll";
        scroll->ensureWidgetVisible(&close);
        EXPECT_FALSE(close.visibleRegion().isEmpty()) << "the Close button can be scrolled to";
        QTest::mouseClick(&close, Qt::LeftButton);
        EXPECT_FALSE(window.isVisible());
    }
};

TEST_F(ScreenFitTest, ATallDialogScrollsAndItsCloseButtonCanBeReached) {
    QWidget owner;
    owner.setGeometry(Area(owner).adjusted(100, 100, -100, -100));
    owner.show();
    QDialog dialog(&owner);
    auto* layout = new QVBoxLayout(&dialog);
    auto* form = new QLabel(u"a tall form"_s);
    form->setMinimumSize(Area(owner).width() + 200, Area(owner).height() * 2);
    layout->addWidget(form);
    auto* close = new QPushButton(u"Close"_s);
    layout->addWidget(close);
    QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::reject);
    Show(dialog);
    ExpectFitsAndReaches(dialog, *close);
}

TEST_F(ScreenFitTest, AMainWindowTooLargeScrollsItsCentralWidget) {
    QMainWindow window;
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    auto* form = new QLabel(u"a large form"_s);
    form->setMinimumSize(2000, 1500);
    layout->addWidget(form);
    auto* close = new QPushButton(u"Close"_s);
    layout->addWidget(close);
    QObject::connect(close, &QPushButton::clicked, &window, &QWidget::close);
    window.setCentralWidget(central);
    Show(window);
    ExpectFitsAndReaches(window, *close);
}

TEST_F(ScreenFitTest, AWindowWithoutOwnerIsCentredAndADependentOneMovedOnTheScreen) {
    QWidget launcher;
    launcher.resize(300, 200);
    Show(launcher);
    EXPECT_LE((launcher.frameGeometry().center() - Area(launcher).center()).manhattanLength(), 2);

    QWidget dependent(&launcher, Qt::Tool);
    dependent.resize(300, 200);
    dependent.move(Area(launcher).bottomRight() - QPoint(100, 50));
    Show(dependent);
    EXPECT_TRUE(Area(launcher).contains(dependent.frameGeometry()));
    EXPECT_EQ(dependent.frameGeometry().bottomRight(), Area(launcher).bottomRight());
}

// The launcher and every window it opens at a scale factor of 2 on a screen 1000 pixels high, on a real
// X server.
class WindowsXChild : public TInstallationTest {
protected:
    void TearDown() override {
        focusWizard.reset();
        launcher.reset();
        dm.reset();
        macro.reset();
        TInstallationTest::TearDown();
    }

    void ExpectOnScreen(const QWidget& window) {
        const QRect area = window.screen()->availableGeometry();
        EXPECT_TRUE(area.contains(window.frameGeometry()))
            << window.objectName().toStdString() << " at " << window.frameGeometry().x() << ","
            << window.frameGeometry().y() << " " << window.frameGeometry().width() << "x"
            << window.frameGeometry().height() << " on " << area.width() << "x" << area.height();
    }

    TProgramDir program;
    std::unique_ptr<TdmMacroADO> macro;
    std::unique_ptr<TdmKelvoADO> dm;
    std::unique_ptr<TfrmHelp> launcher;
    std::unique_ptr<TfrmFocusWizard> focusWizard;
};

TEST_F(WindowsXChild, EveryWindowOpensFullyOnTheScreen) {
    if (!OnXServer()) GTEST_SKIP() << "runs on the X server of WindowsOnASmallScreen";
    InstallScreenFit();
    macro = std::make_unique<TdmMacroADO>();
    dm = std::make_unique<TdmKelvoADO>();
    launcher = std::make_unique<TfrmHelp>(*dm, *macro);
    focusWizard = std::make_unique<TfrmFocusWizard>(launcher.get());
    launcher->SetFocusWizard(focusWizard.get());
    launcher->show();
    QString opened;
    const auto check = [this, &opened](QWidget* window) {
        opened = window->objectName();
        ExpectOnScreen(*window);
        // The about box shows whole, its map smaller.
        if (opened == u"frmAbout"_s) {
            EXPECT_EQ(window->findChild<QScrollArea*>(), nullptr);
        }
        window->close();
    };
    AnswerModal(check);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(launcher.get()));
    QTest::qWait(100);
    EXPECT_EQ(opened, u"frmAbout"_s);
    ExpectOnScreen(*launcher);
    const QRect area = launcher->screen()->availableGeometry();
    EXPECT_LE(std::abs(launcher->frameGeometry().center().x() - area.center().x()), 2) << "centred";

    const struct {
        QString control;
        QString window;
    } cases[] = {
        {u"btnSubstances"_s, u"frmSubstances"_s}, {u"btnFocusWizard"_s, u"frmFocusWizard"_s},
        {u"btnUserWizard"_s, u"frmUserWizard"_s}, {u"btnReport"_s, u"frmMain"_s},
        {u"btnInfo"_s, u"frmInfo"_s},             {u"btnDrift"_s, u"frmDrift"_s},
        {u"btnIntro"_s, u"frmIntro"_s},           {u"btnVersions"_s, u"frmVersions"_s},
        {u"actAbout"_s, u"frmAbout"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.control.toStdString());
        opened.clear();
        AnswerModal(check);
        if (auto* action = launcher->findChild<QAction*>(c.control))
            action->trigger();
        else
            QTest::mouseClick(launcher->findChild<QPushButton*>(c.control), Qt::LeftButton);
        EXPECT_EQ(opened, c.window);
    }
    EXPECT_EQ(ui.TakeTexts(), QStringList());

    QTest::mouseClick(launcher->findChild<QPushButton*>(u"btnHelp"_s), Qt::LeftButton);
    THelpWindow* help = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* h = qobject_cast<THelpWindow*>(w); h && h->isVisible()) help = h;
    ASSERT_NE(help, nullptr);
    ExpectOnScreen(*help);
    delete help;
}

TEST(WindowsOnASmallScreen, AtScaleFactorTwoEveryWindowOpensFullyOnTheScreen) {
    QProcessEnvironment scaled;
    scaled.insert(u"QT_SCALE_FACTOR"_s, u"2"_s);
    const TXServerRun run = RunOnXServer(u"WindowsXChild.*"_s, u"1280x1000x24"_s, scaled);
    if (!run.notStarted.isEmpty()) GTEST_SKIP() << run.notStarted.toStdString();
    EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains(u"[  PASSED  ] 1 test"_s)) << run.output.toStdString();
}

} // namespace
