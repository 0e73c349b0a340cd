#include "export/DataModuleMacroADO.h"
#include "foundation/Installation.h"
#include "store/Connection.h"
#include "store/DataModuleKelvoADO.h"
#include "store/ScenarioSchema.h"
#include "support/KelvoTest.h"
#include "ui/app/AppTestSupport.h"
#include "ui/app/Help.h"
#include "ui/app/InstanceGuard.h"
#include "ui/app/Wait.h"
#include <QAction>
#include <functional>
#include <QPushButton>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLocalServer>
#include <QMessageBox>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TShell {
    QString button;
    QString model;
    QString program;
};
const TShell shells[] = {
    {u"btnMACRO"_s, u"MACRO"_s, u"MACRO_Focus.exe"_s},
    {u"btnPRZM"_s, u"PRZM"_s, u"pfsw.exe"_s},
    {u"btnToxswa"_s, u"TOXSWA"_s, u"TOXSWA_GUI.exe"_s},
};

// The launcher on a fresh installation whose model shells are small scripts that note where they ran
// and whether kelvo.lck existed meanwhile, then end with an error.
class LauncherTest : public TInstallationTest {
protected:
    void SetUp() override {
        TInstallationTest::SetUp();
        for (const TShell& shell : shells)
            WriteShell(shell, u"pwd > ran.txt; [ -e ../kelvo.lck ] && echo locked >> ran.txt; exit 3"_s);
    }
    void TearDown() override {
        launcher.reset();
        dm.reset();
        macro.reset();
        SetModelAvailable(TModelKind::Macro, false);
        SetModelAvailable(TModelKind::Przm, false);
        TInstallationTest::TearDown();
    }

    void WriteShell(const TShell& shell, const QString& body) {
        QFile file(InstallDir() + shell.model + u'/' + shell.program);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n" + body.toUtf8() + "\n");
        file.close();
        file.setPermissions(file.permissions() | QFile::ExeOwner);
    }

    QString ShellNote(const TShell& shell) {
        QFile file(InstallDir() + shell.model + u"/ran.txt"_s);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    void Create() {
        macro = std::make_unique<TdmMacroADO>();
        dm = std::make_unique<TdmKelvoADO>();
        launcher = std::make_unique<TfrmHelp>(*dm, *macro);
        launcher->show();
        AnswerModal([](QWidget* about) {
            EXPECT_EQ(about->objectName(), u"frmAbout"_s);
            about->close();
        });
        QTest::qWait(50);
    }

    template <typename T> T* Control(const QString& name) {
        T* control = launcher->findChild<T*>(name);
        EXPECT_NE(control, nullptr) << name.toStdString();
        return control;
    }

    TProgramDir program;
    // Made once the installation directory is the test's.
    std::unique_ptr<TdmMacroADO> macro;
    std::unique_ptr<TdmKelvoADO> dm;
    std::unique_ptr<TfrmHelp> launcher;
};

TEST_F(LauncherTest, StartsWithBothModelsReadAndTheAboutBoxOnTop) {
    Create();
    EXPECT_TRUE(IsModelAvailable(TModelKind::Macro));
    EXPECT_TRUE(IsModelAvailable(TModelKind::Przm));
    EXPECT_TRUE(Control<QToolButton>(u"btnMACRO"_s)->isEnabled());
    EXPECT_TRUE(Control<QToolButton>(u"btnToxswa"_s)->isEnabled());
    EXPECT_EQ(launcher->windowTitle(), u"Tessorin"_s);
}

// Ctrl+Q ends the session as the Exit button and menu do.
TEST_F(LauncherTest, CtrlQClosesTheLauncherAsExitDoes) {
    Create();
    launcher->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(launcher.get()));
    QTest::keyClick(launcher.get(), Qt::Key_Q, Qt::ControlModifier);
    QTest::qWait(20);
    EXPECT_FALSE(launcher->isVisible());
    EXPECT_EQ(ui.TakeTexts(), QStringList());
}

TEST_F(LauncherTest, WithoutTheDatabaseItStillOpensAndLeavingWritesNothing) {
    ASSERT_TRUE(QFile::remove(DatabaseFile()));
    const QByteArray chmdat = [&] {
        QFile f(InstallDir() + u"PRZM/wpic/chmdat.dat"_s);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    Create();
    const QStringList shown = ui.TakeTexts();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[0].contains(DatabaseFile())) << shown[0].toStdString();
    EXPECT_EQ(shown[1], u"Failed to open the KELVO-database."_s);
    EXPECT_TRUE(Control<QToolButton>(u"btnMACRO"_s)->isEnabled());
    EXPECT_TRUE(Control<QToolButton>(u"btnToxswa"_s)->isEnabled());
    EXPECT_FALSE(IsModelAvailable(TModelKind::Macro));
    launcher->close();
    QFile f(InstallDir() + u"PRZM/wpic/chmdat.dat"_s);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), chmdat);
}

// A database that is there but refused gives its reason and the failure once; the launcher opens, and
// every window that needs the database says so instead of opening.
TEST_F(LauncherTest, ARefusedDatabaseLeavesTheLauncherAndEachDatabaseWindowSaysSo) {
    struct TCase {
        QString name;
        std::function<void()> spoil;
    };
    const TCase cases[] = {
        {u"newer schema"_s,
         [&] {
             TConnection c;
             c.Open(DatabaseFile());
             c.Execute(u"UPDATE meta SET Value = ? WHERE Key = 'SchemaVersion'"_s, {ScenarioSchemaVersion + 1});
         }},
        {u"damaged"_s,
         [&] {
             QFile f(DatabaseFile());
             ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
             f.write(QByteArray(4096, '\x5a'));
         }},
        {u"missing table"_s,
         [&] {
             TConnection c;
             c.Open(DatabaseFile());
             c.Execute(u"DROP TABLE Crops"_s);
         }},
    };
    const QStringList windows = {u"btnInfo"_s,        u"actMaps"_s,         u"btnReport"_s, u"btnDrift"_s,
                                 u"btnSubstances"_s,  u"btnUserWizard"_s,   u"btnFocusWizard"_s,
                                 u"btnWrite"_s};
    const QString sound = DatabaseFile() + u".sound"_s;
    ASSERT_TRUE(QFile::copy(DatabaseFile(), sound));
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        c.spoil();
        Create();
        const QStringList shown = ui.TakeTexts();
        ASSERT_EQ(shown.size(), 2) << shown.join(u'|').toStdString();
        EXPECT_TRUE(shown[0].contains(DatabaseFile())) << shown[0].toStdString();
        EXPECT_EQ(shown[1], u"Failed to open the KELVO-database."_s);
        EXPECT_TRUE(launcher->isVisible());

        // A window that opened all the same is closed and named.
        QStringList opened;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                opened << modal->objectName();
                modal->close();
            }
        });
        closer.start(50);
        for (const QString& control : windows) {
            SCOPED_TRACE(control.toStdString());
            if (auto* action = launcher->findChild<QAction*>(control))
                action->trigger();
            else
                QTest::mouseClick(Control<QPushButton>(control), Qt::LeftButton);
            EXPECT_EQ(ui.TakeTexts(), QStringList{u"Failed to open the KELVO-database."_s});
        }
        closer.stop();
        EXPECT_EQ(opened, QStringList());
        launcher.reset();
        dm.reset();
        macro.reset();
        ui.Take();
        ASSERT_TRUE(QFile::remove(DatabaseFile()));
        ASSERT_TRUE(QFile::copy(sound, DatabaseFile()));
    }
}

TEST_F(LauncherTest, AnUnreadableChemicalFileIsShownAndLeftAloneAtTheEnd) {
    {
        QFile f(InstallDir() + u"PRZM/wpic/chmdat.dat"_s);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a chemical record");
    }
    Create();
    const QStringList shown = ui.TakeTexts();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_FALSE(IsModelAvailable(TModelKind::Przm));
    EXPECT_TRUE(IsModelAvailable(TModelKind::Macro));
    launcher->close();
    QFile f(InstallDir() + u"PRZM/wpic/chmdat.dat"_s);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("not a chemical record"));
}

TEST_F(LauncherTest, StartedFromTheToxswaShellItCannotStartThatShell) {
    QFile lock(InstallDir() + u"TOXSWA/toxswa.lck"_s);
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.close();
    Create();
    EXPECT_FALSE(Control<QToolButton>(u"btnToxswa"_s)->isEnabled());
}

TEST_F(LauncherTest, EachShellRunsInItsDirectoryWithTheLauncherDisabledAndEndsAsANormalEnd) {
    Create();
    for (const TShell& shell : shells) {
        SCOPED_TRACE(shell.model.toStdString());
        bool disabledMeanwhile = false;
        bool closeRefused = false;
        QTimer::singleShot(0, launcher.get(), [&] {
            disabledMeanwhile = !launcher->isEnabled();
            launcher->close();
            closeRefused = launcher->isVisible();
        });
        QTest::mouseClick(Control<QToolButton>(shell.button), Qt::LeftButton);
        const QString note = ShellNote(shell);
        EXPECT_TRUE(note.startsWith(QDir(InstallDir() + shell.model).canonicalPath())) << note.toStdString();
        EXPECT_EQ(note.contains(u"locked"_s), shell.model == u"TOXSWA"_s) << note.toStdString();
        EXPECT_TRUE(disabledMeanwhile);
        EXPECT_TRUE(closeRefused);
        EXPECT_TRUE(launcher->isEnabled());
        EXPECT_FALSE(launcher->isMinimized());
        EXPECT_FALSE(QFile::exists(InstallDir() + u"kelvo.lck"_s));
    }
}

TEST_F(LauncherTest, AMissingOrCrashingShellIsSaidAndTheSubstancesAreStillReadBack) {
    Create();
    for (const TShell& shell : shells) {
        SCOPED_TRACE(shell.model.toStdString());
        ASSERT_TRUE(QFile::remove(InstallDir() + shell.model + u'/' + shell.program));
        QTest::mouseClick(Control<QToolButton>(shell.button), Qt::LeftButton);
        EXPECT_EQ(ui.TakeTexts(), QStringList{u"%1 shell not found: %2%1/%3"_s.arg(shell.model, InstallDir(),
                                                                                   shell.program)});
        EXPECT_TRUE(launcher->isEnabled());
        EXPECT_FALSE(QFile::exists(InstallDir() + u"kelvo.lck"_s));
    }
    // A PRZM shell that damages the chemical file and crashes: the launcher comes back and reads the file.
    WriteShell(shells[1], u"echo damaged > wpic/chmdat.dat; kill -SEGV $$"_s);
    QTest::mouseClick(Control<QToolButton>(u"btnPRZM"_s), Qt::LeftButton);
    const QStringList shown = ui.TakeTexts();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(u"chmdat.dat"_s)) << shown[0].toStdString();
    EXPECT_TRUE(launcher->isEnabled());
}

// A termination signal (SIGTERM at logout) ends Kelvo as Exit does: an open window is cancelled without a
// question, a transaction left open is taken back, the substances are written back, the session ends; a
// model shell that still runs does not hold it up, and kelvo.lck goes.
TEST_F(LauncherTest, TerminateEndsTheSessionAsExitDoesFromAnOpenWindowOrARunningShell) {
    const QString chemicals = InstallDir() + u"PRZM/wpic/chmdat.dat"_s;
    const QDateTime old(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    const auto makeOld = [&] {
        QFile file(chemicals);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
    };
    {
        SCOPED_TRACE("the project browser open, a change in a transaction");
        Create();
        makeOld();
        QString opened;
        QTimer::singleShot(0, launcher.get(), [&] {
            if (QWidget* window = QApplication::activeModalWidget()) opened = window->objectName();
            dm->dbKelvoADO.BeginTrans();
            dm->dbKelvoADO.Execute(u"DELETE FROM Substances"_s);
            launcher->Terminate();
        });
        QTest::mouseClick(Control<QPushButton>(u"btnReport"_s), Qt::LeftButton);
        EXPECT_EQ(opened, u"frmMain"_s);
        QTest::qWait(50);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_FALSE(launcher->isVisible());
        EXPECT_FALSE(dm->dbKelvoADO.IsOpen());
        EXPECT_GT(QFileInfo(chemicals).lastModified(), old) << "the PRZM substances were not written back";
        QFile written(chemicals);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        EXPECT_TRUE(written.readAll().contains("EXAMPLE_P")) << "the change taken back was written to PRZM";
        TConnection check;
        check.Open(DatabaseFile());
        EXPECT_GT(check.Select(u"SELECT COUNT(*) FROM Substances"_s).rows[0][0].toInt(), 0);
        launcher.reset();
    }
    {
        SCOPED_TRACE("a job showing the progress window finishes first, its question closed unanswered");
        Create();
        TfrmWait wait(u"Writing"_s, 3);
        wait.Start();
        QTimer::singleShot(0, launcher.get(), [&] { launcher->Terminate(); });
        QMessageBox question(QMessageBox::Question, u"Confirm"_s, u"Go on?"_s, QMessageBox::Yes | QMessageBox::No);
        QTimer::singleShot(5000, &question, [&question] { question.done(QMessageBox::Yes); });
        EXPECT_NE(question.exec(), QMessageBox::Yes);
        QTest::qWait(300);
        EXPECT_TRUE(dm->dbKelvoADO.IsOpen()) << "the session ended under a running job";
        wait.hide();
        QTest::qWait(300);
        EXPECT_FALSE(dm->dbKelvoADO.IsOpen());
        EXPECT_FALSE(launcher->isVisible());
        launcher.reset();
    }
    {
        SCOPED_TRACE("the TOXSWA shell running");
        WriteShell(shells[2], u"sleep 2"_s);
        Create();
        makeOld();
        bool closedAtOnce = false;
        QTimer::singleShot(300, launcher.get(), [&] {
            launcher->Terminate();
            closedAtOnce = !launcher->isVisible() && !dm->dbKelvoADO.IsOpen();
        });
        QTest::mouseClick(Control<QToolButton>(u"btnToxswa"_s), Qt::LeftButton);
        EXPECT_TRUE(closedAtOnce);
        EXPECT_FALSE(launcher->isVisible());
        EXPECT_GT(QFileInfo(chemicals).lastModified(), old);
        EXPECT_FALSE(QFile::exists(InstallDir() + u"kelvo.lck"_s));
    }
}

TEST_F(LauncherTest, ButtonsAndMenusReachTheirWindows) {
    Create();
    struct TCase {
        QString control;
        QString window;
        int page; // of the information window, -1 for others
    };
    const TCase cases[] = {
        {u"btnInfo"_s, u"frmInfo"_s, 0},
        {u"actCrops"_s, u"frmInfo"_s, 0},
        {u"actMaps"_s, u"frmInfo"_s, 1},
        {u"actWaterbodyTypes"_s, u"frmInfo"_s, 2},
        {u"btnVersions"_s, u"frmVersions"_s, -1},
        {u"actVersions"_s, u"frmVersions"_s, -1},
        {u"actAbout"_s, u"frmAbout"_s, -1},
        {u"btnIntro"_s, u"frmIntro"_s, -1},
        {u"btnUserWizard"_s, u"frmUserWizard"_s, -1},
        {u"btnReport"_s, u"frmMain"_s, -1},
        {u"actRuns"_s, u"frmMain"_s, -1},
        {u"btnDrift"_s, u"frmDrift"_s, -1},
        {u"actDrift"_s, u"frmDrift"_s, -1},
    };
    // Room above the launcher for the drift calculator.
    const QRect area = launcher->screen()->availableGeometry();
    launcher->move(area.center().x() - launcher->frameGeometry().width() / 2, area.top() + 40);
    QTest::qWait(20);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.control.toStdString());
        QString opened;
        int page = -1;
        AnswerModal([&](QWidget* window) {
            opened = window->objectName();
            // The drift calculator stands centred over the launcher, 21 pixels above its top.
            if (opened == u"frmDrift"_s) {
                EXPECT_EQ(window->frameGeometry().top(), launcher->frameGeometry().top() - 21);
                EXPECT_LE(
                    std::abs(window->frameGeometry().center().x() - launcher->frameGeometry().center().x()),
                    1);
            }
            if (auto* pages = window->findChild<QTabWidget*>(u"PageControl1"_s)) page = pages->currentIndex();
            window->close();
        });
        if (auto* action = launcher->findChild<QAction*>(c.control))
            action->trigger();
        else
            QTest::mouseClick(Control<QPushButton>(c.control), Qt::LeftButton);
        EXPECT_EQ(opened, c.window);
        EXPECT_EQ(page, c.page);
    }
    QTest::mouseClick(Control<QToolButton>(u"btnDrift1"_s), Qt::LeftButton);
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Is done automatically when writing TOXSWA input files!"_s});
}

// The browser is handed a web page it shows as such: the help under an .html name, with its contents.
TEST_F(LauncherTest, TheHelpLinkOpensTheHelpPageInTheBrowserAndAMissingPageIsSaid) {
    Create();
    auto* link = Control<QLabel>(u"URLLabel"_s);
    const QString href = KelvoDocumentationUrl();
    EXPECT_TRUE(link->text().contains(href));
    {
        TFileUrlCatcher browser;
        emit link->linkActivated(href);
        ASSERT_EQ(browser.urls.size(), 1);
        const QString page = browser.urls[0].toLocalFile();
        EXPECT_TRUE(page.endsWith(u".html"_s)) << page.toStdString();
        QFile file(page);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << page.toStdString();
        const QByteArray html = file.readAll();
        EXPECT_TRUE(html.contains("<html") && html.contains("name=\"contents\""));
        EXPECT_EQ(ui.TakeTexts(), QStringList());

        ASSERT_TRUE(QFile::remove(page));
        emit link->linkActivated(href);
        EXPECT_EQ(browser.urls.size(), 1);
        EXPECT_EQ(ui.TakeTexts(), QStringList{u"Cannot open "_s + href});
    }
}

TEST_F(LauncherTest, WriteSubstanceDataWritesOnlyPrzmWhenMacroIsUnavailable) {
    ASSERT_TRUE(QFile::remove(InstallDir() + u"MACRO/pest_focus.sqlite"_s));
    Create();
    EXPECT_EQ(ui.TakeTexts(),
              QStringList{u"Unable to open MACRO database: %1MACRO/pest_focus.sqlite"_s.arg(InstallDir())});
    EXPECT_FALSE(Control<QToolButton>(u"btnMACRO"_s)->isEnabled());
    QFile chmdat(InstallDir() + u"PRZM/wpic/chmdat.dat"_s);
    ASSERT_TRUE(chmdat.resize(0));
    // A substance left out as incomplete is named with what it misses.
    dm->dbKelvoADO.Execute(u"INSERT INTO Substances (SubstanceCode, IsParent, Name, subSource) "
                           u"VALUES ('HALF', 1, 'half done', 1)"_s);
    QTest::mouseClick(Control<QPushButton>(u"btnWrite"_s), Qt::LeftButton);
    const QStringList shown = ui.TakeTexts();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith(u"These substances are incompletely defined and were not written to the "
                                    u"models:\n\nHALF (missing: Molar mass"_s))
        << shown[0].toStdString();
    EXPECT_EQ(QFileInfo(chmdat).size() % 760, 0);
    EXPECT_GT(QFileInfo(chmdat).size(), 0);
    EXPECT_FALSE(QFile::exists(InstallDir() + u"MACRO/pest_focus.sqlite"_s));
}

class ToxswaGuardTest : public TInstallationTest {};

TEST_F(ToxswaGuardTest, ATOXSWAShellThatDidNotStartKelvoStopsTheStart) {
    EXPECT_TRUE(ToxswaAllowsStart());
    QLocalServer toxswa;
    QLocalServer::removeServer(u"TOXSWA"_s);
    ASSERT_TRUE(toxswa.listen(u"TOXSWA"_s));
    EXPECT_FALSE(ToxswaAllowsStart());
    EXPECT_EQ(
        ui.TakeTexts(),
        QStringList{u"TOXSWA is already running. First stop TOXSWA or start KELVO from TOXSWA shell."_s});
    QFile lock(InstallDir() + u"TOXSWA/toxswa.lck"_s);
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.close();
    EXPECT_TRUE(ToxswaAllowsStart());
}

} // namespace
