// kelvo-screens OUTPUT_DIR: renders every window of Kelvo offscreen into PNG files, one per window and
// per page, on a fresh working installation with an example project. Run from the program directory.

#include "tools/screens/Screens.h"

#include "domain/Project.h"
#include "domain/ProjectExport.h"
#include "domain/ProjectWizard.h"
#include "export/DataModuleMacroADO.h"
#include "foundation/Collection.h"
#include "foundation/Errors.h"
#include "foundation/Installation.h"
#include "foundation/UserInterface.h"
#include "store/DataModuleKelvoADO.h"
#include "store/WorkingInstallation.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>
#include <QWidget>
#include <map>

using namespace Qt::Literals::StringLiterals;

namespace {

std::map<QString, std::function<void(TScreenContext&)>>& Groups() {
    static std::map<QString, std::function<void(TScreenContext&)>> groups;
    return groups;
}

// Nobody to ask: messages go to stderr, questions are answered No, file questions cancelled.
class TQuietUserInterface : public TUserInterface {
    class TNoProgress : public TProgressWindow {
    public:
        void Start() override {}
        void Step() override {}
    };

public:
    void Show(TMessageKind, const QString& text) override { QTextStream(stderr) << text << Qt::endl; }
    bool Ask(TQuestionKind, const QString&) override { return false; }
    std::unique_ptr<TProgressWindow> CreateProgress(const QString&, int) override {
        return std::make_unique<TNoProgress>();
    }
};

QString MakeExampleProject(TdmKelvoADO& dm) {
    const QString name = u"example"_s;
    const std::unique_ptr<TAggregationList> crops = dm.LoadCrops(false);
    TProject project(QString(), u"Example project on maize"_s);
    project.SubstanceCode = u"EXAMPLE_P"_s;
    project.SelectCrop(*crops, u"Maize"_s);
    project.Locations = dm.LocationsFor(*project.Crops, project.WaterBodies);
    project.SetName(name);
    if (FinishProjectWizard(TProjectWizardKind::Focus, project, name) != TWizardFinish::Created)
        throw EKelvoError(u"The example project could not be made"_s);
    // Exported, so that its report and model input exist.
    if (!dm.OpenProjects() || !dm.OpenRuns()) throw EKelvoError(u"Failed to open Project/Runs."_s);
    TQuery& projects = dm.qryProjects;
    for (projects.first(); !projects.eof(); projects.next())
        if (projects.fieldByName(u"Name"_s).asString() == name) break;
    dm.RefreshRuns();
    const std::unique_ptr<TProject> current = dm.CurrentProject();
    // As the export dialog offers them: a model not found available is not chosen.
    TProjectExportOptions options;
    options.PRZM = IsModelAvailable(TModelKind::Przm);
    options.MACRO = false;
    if (!current || !ExportProject(*current, options))
        throw EKelvoError(u"The example project could not be exported"_s);
    dm.CloseRuns();
    dm.CloseProjects();
    return name;
}

} // namespace

TScreensRegistrar::TScreensRegistrar(const QString& group, std::function<void(TScreenContext&)> render) {
    Groups().emplace(group, std::move(render));
}

// A modal window that opens meanwhile (the launcher's about box at its first showing) is closed, so that
// nothing waits for a user.
void TScreenContext::Save(QWidget* window, const QString& name) {
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [window] {
        if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != window) modal->close();
    });
    closer.start(5);
    window->show();
    QTest::qWait(50);
    closer.stop();
    const QString file = QDir(outputDir).filePath(name + u".png"_s);
    if (!window->grab().save(file)) throw EKelvoError(u"Cannot write %1"_s.arg(file));
    ++saved;
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 1) {
        err << "usage: kelvo-screens OUTPUT_DIR" << Qt::endl;
        return 2;
    }
    TQuietUserInterface quiet;
    InstallUserInterface(&quiet);
    const QTemporaryDir home;
    try {
        const QString output = QDir(args[0]).absolutePath();
        if (!QDir().mkpath(output)) throw EKelvoError(u"Cannot create %1"_s.arg(output));
        SetInstallationDir(home.path() + u"/Kelvo"_s);
        SetDefaultProjectRoot(home.path() + u"/KelvoProjects"_s);
        MakeWorkingInstallation();
        TdmMacroADO macro;
        TdmKelvoADO dm;
        if (!dm.OpenDatabase()) throw EKelvoError(u"Cannot open %1"_s.arg(TdmKelvoADO::DatabaseFile()));
        TScreenContext context{dm, macro, MakeExampleProject(dm), output};
        for (const auto& [group, render] : Groups())
            render(context);
        err << u"Saved %1 pictures in %2"_s.arg(context.saved).arg(output) << Qt::endl;
    } catch (const EKelvoError& e) {
        err << u"kelvo-screens: "_s << e.Message() << Qt::endl;
        return 1;
    }
    return 0;
}
