#include "ui/WindowMemory.h"
#include "support/DataModuleTest.h"
#include "ui/ScreenFit.h"
#include "ui/app/AppTestSupport.h"
#include "ui/app/Info.h"
#include "ui/app/Version.h"

#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// Windows opened, changed and closed as a user would, with the application's window memory installed.
class WindowMemoryTest : public TDataModuleTest {
protected:
    void SetUp() override {
        TDataModuleTest::SetUp();
        if (HasFatalFailure()) return;
        // Each installation starts without remembered windows.
        ASSERT_EQ(WindowMemoryFile(), InstallDir() + u"settings.ini"_s);
        ASSERT_FALSE(QFile::exists(WindowMemoryFile()));
        InstallWindowMemory();
    }
    void TearDown() override {
        RemoveWindowMemory();
        TDataModuleTest::TearDown();
    }

    static QRect Area() { return QGuiApplication::primaryScreen()->availableGeometry(); }

    template <typename T> static std::unique_ptr<T> Open() {
        auto window = std::make_unique<T>();
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return window;
    }

    static void Remember(const QString& window, const QPoint& position, const QSize& size) {
        QSettings settings(WindowMemoryFile(), QSettings::IniFormat);
        settings.setValue(window + u"/position"_s, position);
        settings.setValue(window + u"/size"_s, size);
    }
};

TEST_F(WindowMemoryTest, TheInformationWindowComesBackAsItWasLeft) {
    auto info = Open<TfrmInfo>();
    const QPoint position = Area().topLeft() + QPoint(30, 40);
    const QSize size = info->size() + QSize(40, 30);
    info->move(position);
    info->resize(size);
    auto* pages = info->findChild<QTabWidget*>(u"PageControl1"_s);
    ASSERT_NE(pages, nullptr);
    QTest::mouseClick(pages->tabBar(), Qt::LeftButton, {}, pages->tabBar()->tabRect(1).center());
    ASSERT_EQ(pages->currentIndex(), 1);
    QHeaderView* header = info->findChild<QTableView*>(u"DBGrid1"_s)->horizontalHeader();
    ASSERT_EQ(header->count(), 3);
    const int width = header->sectionSize(0) + 37;
    header->resizeSection(0, width);
    QTest::mouseClick(info->findChild<QPushButton*>(u"btnClose"_s), Qt::LeftButton);
    ASSERT_FALSE(info->isVisible());
    info.reset();
    ASSERT_TRUE(QFile::exists(InstallDir() + u"settings.ini"_s));

    info = Open<TfrmInfo>();
    EXPECT_EQ(info->pos(), position);
    EXPECT_EQ(info->size(), size);
    EXPECT_EQ(info->findChild<QTabWidget*>(u"PageControl1"_s)->currentIndex(), 1);
    EXPECT_EQ(info->findChild<QTableView*>(u"DBGrid1"_s)->horizontalHeader()->sectionSize(0), width);
}

TEST_F(WindowMemoryTest, APlaceOffTodaysScreensIsIgnored) {
    const QRect area = Area();
    const struct {
        QRect frame;
        bool shows;
    } cases[] = {
        {{area.topLeft() + QPoint(10, 10), QSize(300, 200)}, true},
        {{area.topLeft() - QPoint(250, 150), QSize(300, 200)}, true}, // partly
        {{area.right() + 100, area.top(), 300, 200}, false},
        {{area.left() - 5000, area.top() - 5000, 300, 200}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShowsOnAScreen(c.frame), c.shows) << c.frame.x() << "," << c.frame.y();

    auto info = Open<TfrmInfo>();
    const QPoint position = info->pos();
    const QSize size = info->size();
    info.reset();
    Remember(u"frmInfo"_s, {area.left() - 5000, area.top() - 5000}, size + QSize(50, 50));
    info = Open<TfrmInfo>();
    EXPECT_EQ(info->pos(), position);
    EXPECT_EQ(info->size(), size);
    info.reset();

    // A place partly on the screen is taken, and the screen fit then moves the window fully onto it.
    Remember(u"frmInfo"_s, area.bottomRight() - QPoint(100, 100), size);
    info = std::make_unique<TfrmInfo>();
    FitOnScreenWhenShown(*info);
    info->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(info.get()));
    EXPECT_EQ(info->size(), size);
    EXPECT_TRUE(area.contains(info->frameGeometry()));
    EXPECT_EQ(info->frameGeometry().bottomRight(), area.bottomRight());
}

TEST_F(WindowMemoryTest, AWindowOfAFixedSizeKeepsItsSizeAndComesBackToItsPlace) {
    auto versions = Open<TfrmVersions>();
    const QSize size = versions->size();
    versions.reset();
    const QPoint position = Area().topLeft() + QPoint(20, 25);
    Remember(u"frmVersions"_s, position, size + QSize(200, 100));
    versions = Open<TfrmVersions>();
    EXPECT_EQ(versions->size(), size);
    EXPECT_EQ(versions->pos(), position);
}

} // namespace
