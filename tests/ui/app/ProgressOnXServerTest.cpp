// The progress window on a real X server: an X server (Xvfb) on a free display, the export of a large
// project in a child test process on the xcb platform, and the window's pixels as the X server holds them.

#include "domain/Crop.h"
#include "domain/Location.h"
#include "domain/Project.h"
#include "domain/ProjectExport.h"
#include "export/DataModuleMacroADO.h"
#include "foundation/Installation.h"
#include "support/DataModuleTest.h"
#include "ui/app/QtUserInterface.h"
#include "ui/app/Wait.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QProgressBar>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

const char* const ChildFilter = "--gtest_filter=ProgressOnAnXServerChild.*";

// Messages and questions go to the script; progress windows are the real ones.
class TScriptWithRealProgress : public TScriptedUserInterface {
public:
    std::unique_ptr<TProgressWindow> CreateProgress(const QString& comment, int steps) override {
        TScriptedUserInterface::CreateProgress(comment, steps);
        return m_qt.CreateProgress(comment, steps);
    }

private:
    TQtUserInterface m_qt;
};

// What one look at the progress window found: the bar's value and the pixels of its red chunk as the X
// server shows them.
struct TLook {
    int value;
    int maximum;
    int redPixels;
};

int RedPixels(const QImage& image) {
    int red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 60 && c.blue() < 60) ++red;
        }
    return red;
}

class ProgressOnAnXServerChild : public TDataModuleTest {};

// Runs only in the child process that ProgressOnAnXServer starts on its X server.
TEST_F(ProgressOnAnXServerChild, TheBarIsPaintedAndAdvancesDuringTheExport) {
    if (QGuiApplication::platformName() != u"xcb"_s) GTEST_SKIP() << "runs on the X server of ProgressOnAnXServer";
    TdmMacroADO macro;
    SetModelAvailable(TModelKind::Macro, true);
    SetModelAvailable(TModelKind::Przm, true);
    SetDefaultProjectRoot(ProjectsRoot());

    // Every scenario of every crop: a project of many runs.
    const std::unique_ptr<TAggregationList> crops = dm->LoadCrops(false);
    const std::unique_ptr<TAggregationList> locations = dm->LoadLocations();
    QStringList cropNames;
    for (const TCrop* crop : crops->Items<TCrop>())
        cropNames << crop->Name;
    QStringList locationCodes;
    for (const TLocation* location : locations->Items<TLocation>())
        locationCodes << location->LocationCode;
    {
        TProject made(u"LARGE"_s, u"every crop and scenario"_s);
        made.SubstanceCode = u"EXAMPLE_P"_s;
        made.SelectCrops(*crops, cropNames);
        made.SelectLocations(locations.get(), locationCodes);
        ASSERT_TRUE(made.Save(true));
        ASSERT_GT(made.Runs->Count(), 50);
        ui.TakeTexts();
    }
    dm->OpenProjects();
    dm->OpenRuns();
    const std::unique_ptr<TProject> project = dm->CurrentProject();
    ASSERT_NE(project, nullptr);

    // Looks at the window whenever the export lets events run.
    QVector<TLook> looks;
    QTimer look;
    look.setInterval(30);
    QObject::connect(&look, &QTimer::timeout, [&looks] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* wait = qobject_cast<TfrmWait*>(w);
            if (!wait || !wait->isVisible()) continue;
            const QProgressBar* gauge = wait->findChild<QProgressBar*>(u"Gauge1"_s);
            const QImage image = wait->screen()->grabWindow(wait->winId()).toImage();
            looks.append({gauge->value(), gauge->maximum(), RedPixels(image)});
        }
    });
    look.start();

    TScriptWithRealProgress script;
    InstallUserInterface(&script);
    const bool exported = ExportProject(*project, {.Report = false, .PRZM = true, .MACRO = true});
    InstallUserInterface(&ui);
    look.stop();
    EXPECT_TRUE(exported);
    EXPECT_EQ(script.TakeTexts(), QStringList{u"Saved all files at subdirectory "_s + project->Path});

    // Early and late looks during the same step: the painted chunk grows with the bar.
    ASSERT_GE(looks.size(), 4) << "the export let no paint events run";
    int grown = 0;
    for (qsizetype i = 1; i < looks.size(); ++i)
        if (looks[i].maximum == looks[i - 1].maximum && looks[i].value > looks[i - 1].value &&
            looks[i].redPixels > looks[i - 1].redPixels)
            ++grown;
    EXPECT_GE(grown, 2);
    const auto full = std::find_if(looks.begin(), looks.end(), [](const TLook& l) {
        return l.value * 2 >= l.maximum && l.redPixels > 0;
    });
    EXPECT_NE(full, looks.end()) << "no half-full bar was painted";
}

// Xvfb on a display it chooses itself; stopped with the test.
class TXvfb {
public:
    ~TXvfb() {
        if (m_process.state() == QProcess::NotRunning) return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) m_process.kill();
        m_process.waitForFinished(5000);
    }
    // The display, or empty with the reason in why.
    QString Start(QString& why) {
        const QString program = QStandardPaths::findExecutable(u"Xvfb"_s);
        if (program.isEmpty()) {
            why = u"Xvfb is not installed (scripts/deps installs the package xvfb)"_s;
            return {};
        }
        m_process.start(program, {u"-displayfd"_s, u"1"_s, u"-screen"_s, u"0"_s, u"1024x768x24"_s,
                                  u"-nolisten"_s, u"tcp"_s});
        const QDeadlineTimer deadline(15000);
        while (!m_process.canReadLine() && m_process.state() != QProcess::NotRunning && !deadline.hasExpired())
            m_process.waitForReadyRead(100);
        const QString number = QString::fromLatin1(m_process.readLine()).trimmed();
        if (number.isEmpty()) {
            why = u"Xvfb did not start: "_s + QString::fromLocal8Bit(m_process.readAllStandardError()).trimmed();
            return {};
        }
        return u":"_s + number;
    }

private:
    QProcess m_process;
};

TEST(ProgressOnAnXServer, TheBarIsPaintedAndAdvancesDuringTheExport) {
    TXvfb xvfb;
    QString why;
    const QString display = xvfb.Start(why);
    if (display.isEmpty()) GTEST_SKIP() << why.toStdString();

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    env.insert(u"DISPLAY"_s, display);
    env.remove(u"WAYLAND_DISPLAY"_s);
    // The X platform's session bus client keeps a buffer to the end, as the suppressions know.
    if (!env.contains(u"LSAN_OPTIONS"_s))
        env.insert(u"LSAN_OPTIONS"_s,
                   u"suppressions="_s + QString::fromUtf8(KELVO_DATA_SOURCE_DIR) + u"/../tests/lsan.supp"_s);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(ChildFilter)});
    ASSERT_TRUE(child.waitForFinished(300000));
    const QString output = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(u"[  PASSED  ] 1 test"_s)) << output.toStdString();
}

} // namespace
