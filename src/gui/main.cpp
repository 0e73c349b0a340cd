// kelvo: the launcher. Only one runs per user; it refuses to run beside a TOXSWA shell that did not
// start it; it makes the working installation on first start, and keeps the scenario database and the
// models' substances in step from start to end.

#include "export/DataModuleMacroADO.h"
#include "foundation/Errors.h"
#include "foundation/UserInterface.h"
#include "store/DataModuleKelvoADO.h"
#include "store/WorkingInstallation.h"
#include "ui/Guard.h"
#include "ui/ScreenFit.h"
#include "ui/app/AppIcon.h"
#include "ui/app/Help.h"
#include "ui/app/HelpSystem.h"
#include "ui/app/InstanceGuard.h"
#include "ui/app/LauncherCommandLine.h"
#include "ui/app/QtTranslations.h"
#include "ui/app/QtUserInterface.h"
#include "ui/wizards/FocusWizard.h"

#include <QApplication>
#include <QPixmap>
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
    QApplication::setApplicationName(u"Kelvo_gui"_s);
    QApplication::setApplicationDisplayName(u"Kelvo_gui"_s);
    QApplication::setWindowIcon(QPixmap::fromImage(RenderApplicationIcon(256)));
    TQtUserInterface userInterface;
    InstallUserInterface(&userInterface);

    TInstanceGuard guard;
    if (!guard.Claim()) return 0;

    Guarded([] { MakeWorkingInstallation(); });
    if (!ToxswaAllowsStart()) return 0;
    InstallHelpKey();
    InstallScreenFit();

    TdmMacroADO macro;
    TdmKelvoADO dm;
    TfrmHelp frmHelp(dm, macro);
    // The FOCUS wizard reads the crops when made: only with the database open, and never past an error.
    std::unique_ptr<TfrmFocusWizard> frmFocusWizard;
    if (frmHelp.DatabaseOpen())
        Guarded([&] { frmFocusWizard = std::make_unique<TfrmFocusWizard>(&frmHelp); });
    frmHelp.SetFocusWizard(frmFocusWizard.get());
    QObject::connect(&guard, &TInstanceGuard::raiseRequested, &frmHelp, &TfrmHelp::RestoreOrRaise);
    frmHelp.show();
    const int code = app.exec();
    InstallUserInterface(nullptr);
    return code;
}
