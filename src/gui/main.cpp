// kelvo: the launcher. Only one runs per user and working installation; it refuses to run beside a TOXSWA
// shell that did not start it; it makes the working installation on first start, and keeps the scenario
// database and the models' substances in step from start to end, also when ended by SIGTERM or SIGINT.

#include "export/DataModuleMacroADO.h"
#include "foundation/Errors.h"
#include "foundation/Installation.h"
#include "foundation/UserInterface.h"
#include "store/DataModuleKelvoADO.h"
#include "store/WorkingInstallation.h"
#include "ui/GridClipboard.h"
#include "ui/Guard.h"
#include "ui/ScreenFit.h"
#include "ui/TabOrder.h"
#include "ui/WindowMemory.h"
#include "ui/app/Application.h"
#include "ui/app/Help.h"
#include "ui/app/HelpSystem.h"
#include "ui/app/InstanceGuard.h"
#include "ui/app/LauncherCommandLine.h"
#include "ui/app/QtTranslations.h"
#include "ui/app/QtUserInterface.h"
#include "ui/app/TerminationSignals.h"
#include "ui/wizards/FocusWizard.h"

#include <QApplication>
#include <QTextStream>
#include <memory>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char** argv) {
    {
        QStringList arguments;
        for (int i = 0; i < argc; ++i)
            arguments << QString::fromLocal8Bit(argv[i]);
        QTextStream out(stdout);
        QTextStream err(stderr);
        if (const std::optional<int> code = TakeLauncherOptions(arguments, out, err)) return *code;
    }
    QApplication app(argc, argv);
    const std::unique_ptr<QTranslator> qtTexts = InstallQtTranslations();
    SetUpApplication();
    TQtUserInterface userInterface;
    InstallUserInterface(&userInterface);

    TInstanceGuard guard(InstallationDir());
    if (!guard.Claim()) return 0;
    // A termination signal during the start ends the start's messages unanswered; a session already
    // begun is ended as Exit ends it.
    TTerminationSignals termination;
    bool terminated = false;
    const QMetaObject::Connection duringStart =
        QObject::connect(&termination, &TTerminationSignals::terminationRequested, &app, [&terminated] {
            terminated = true;
            QCoreApplication::exit(0);
        });
    termination.Deliver();

    Guarded([] { MakeWorkingInstallation(); });
    if (terminated || !ToxswaAllowsStart()) return 0;
    InstallHelpKey();
    InstallScreenFit();
    InstallWindowMemory();
    InstallGridClipboard();
    InstallTabOrder();

    TdmMacroADO macro;
    TdmKelvoADO dm;
    TfrmHelp frmHelp(dm, macro);
    // The FOCUS wizard reads the crops when made: only with the database open, and never past an error.
    std::unique_ptr<TfrmFocusWizard> frmFocusWizard;
    if (frmHelp.DatabaseOpen())
        Guarded([&] { frmFocusWizard = std::make_unique<TfrmFocusWizard>(&frmHelp); });
    frmHelp.SetFocusWizard(frmFocusWizard.get());
    if (terminated) {
        frmHelp.close();
        return 0;
    }
    QObject::disconnect(duringStart);
    QObject::connect(&termination, &TTerminationSignals::terminationRequested, &frmHelp, &TfrmHelp::Terminate);
    QObject::connect(&guard, &TInstanceGuard::raiseRequested, &frmHelp, &TfrmHelp::RestoreOrRaise);
    frmHelp.show();
    guard.Ready();
    const int code = app.exec();
    InstallUserInterface(nullptr);
    return code;
}
