// kelvo-cli project export: the project browser's "Export FOCUS input to MACRO, PRZM and TOXSWA" for
// the named project, with the options of its dialog.

#include "cli/ProjectCommand.h"
#include "domain/Project.h"
#include "domain/ProjectExport.h"
#include "export/DataModuleMacroADO.h"
#include "foundation/Errors.h"
#include "foundation/Installation.h"

#include <QFile>

using namespace Qt::Literals::StringLiterals;

namespace {

int RunExport(QStringList arguments, TCliContext&) {
    TProjectExportOptions options;
    options.Report = !TakeFlag(arguments, u"--no-report"_s);
    options.PRZM = !TakeFlag(arguments, u"--no-przm"_s);
    options.MACRO = !TakeFlag(arguments, u"--no-macro"_s);
    const QString name = TakeArgument(arguments, u"NAME"_s);
    RequireNoArguments(arguments);

    TdmMacroADO macro;
    TCliProject cli(name);
    // The models count as available when their substance stores can be reached, as at start.
    SetModelAvailable(TModelKind::Przm, QFile::exists(InstallationDir() + u"PRZM/wpic/chmdat.dat"_s));
    SetModelAvailable(TModelKind::Macro, options.MACRO && macro.OpenMacroDatabase());
    macro.CloseMacroDatabase();

    const std::unique_ptr<TProject> project = cli.dm.CurrentProject();
    if (!project) throw EKelvoError(u"no project available"_s);
    return ExportProject(*project, options) ? 0 : 1;
}

const TProjectActionRegistrar exportAction({u"export"_s, RunExport});

} // namespace
