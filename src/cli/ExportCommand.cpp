// kelvo-cli project export: the project browser's "Export FOCUS input to MACRO, PRZM and TOXSWA" for
// the named project, with the options of its dialog.

#include "cli/CliCommand.h"
#include "domain/Project.h"
#include "domain/ProjectExport.h"
#include "export/DataModuleMacroADO.h"
#include "foundation/Errors.h"
#include "foundation/Installation.h"
#include "store/DataModuleKelvoADO.h"

#include <QFile>

using namespace Qt::Literals::StringLiterals;

namespace {

// Makes the named project the current row of the project list.
bool MakeCurrent(TdmKelvoADO& dm, const QString& name) {
    TQuery& projects = dm.qryProjects;
    for (projects.first(); !projects.eof(); projects.next())
        if (projects.fieldByName(u"Name"_s).asString() == name) return true;
    return false;
}

int RunProjectExport(QStringList arguments, TCliContext&) {
    TProjectExportOptions options;
    options.Report = !TakeFlag(arguments, u"--no-report"_s);
    options.PRZM = !TakeFlag(arguments, u"--no-przm"_s);
    options.MACRO = !TakeFlag(arguments, u"--no-macro"_s);
    if (arguments.isEmpty()) throw TUsageError(u"project export needs the project's name"_s);
    const QString name = arguments.takeFirst();
    RequireNoArguments(arguments);

    TdmMacroADO macro;
    TdmKelvoADO dm;
    if (!dm.OpenDatabase()) Abort(); // the error was shown
    // The models count as available when their substance stores can be reached, as at start.
    SetModelAvailable(TModelKind::Przm, QFile::exists(InstallationDir() + u"PRZM/wpic/chmdat.dat"_s));
    SetModelAvailable(TModelKind::Macro, options.MACRO && macro.OpenMacroDatabase());
    macro.CloseMacroDatabase();

    if (!dm.OpenProjects() || !dm.OpenRuns()) throw EKelvoError(u"Failed to open Project/Runs."_s);
    if (!MakeCurrent(dm, name)) throw EKelvoError(u"Project not found: %1"_s.arg(name));
    const std::unique_ptr<TProject> project = dm.CurrentProject();
    if (!project) throw EKelvoError(u"no project available"_s);
    return ExportProject(*project, options) ? 0 : 1;
}

const TCliCommandRegistrar registrar(
    {u"project export"_s, u"NAME [--no-report] [--no-przm] [--no-macro]"_s,
     u"the project's input for MACRO, PRZM and TOXSWA and its report, in a rebuilt project directory"_s,
     RunProjectExport});

} // namespace
