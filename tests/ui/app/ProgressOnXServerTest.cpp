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
#include "XServer.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

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

class ProgressXChild : public TDataModuleTest {};

// Runs only in the child process that ProgressOnAnXServer starts on its X server.
TEST_F(ProgressXChild, TheBarIsPaintedAndAdvancesDuringTheExport) {
    if (!OnXServer()) GTEST_SKIP() << "runs on the X server of ProgressOnAnXServer";
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

TEST(ProgressOnAnXServer, TheBarIsPaintedAndAdvancesDuringTheExport) {
    const TXServerRun run = RunOnXServer(u"ProgressXChild.*"_s, u"1024x768x24"_s);
    if (!run.notStarted.isEmpty()) GTEST_SKIP() << run.notStarted.toStdString();
    EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains(u"[  PASSED  ] 1 test"_s)) << run.output.toStdString();
}

} // namespace
