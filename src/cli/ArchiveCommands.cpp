// kelvo-cli project archive, project restore and archive verify: a project taken to another working
// installation through one file.

#include "cli/CliScenario.h"
#include "cli/JsonOutput.h"
#include "cli/ProjectCommand.h"
#include "domain/ProjectArchive.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

using namespace Qt::Literals::StringLiterals;

namespace {

int ArchiveProject(QStringList arguments, TCliContext& context) {
    const QString name = TakeArgument(arguments, u"NAME"_s);
    const QString file = arguments.isEmpty() ? QString() : arguments.takeFirst();
    RequireNoArguments(arguments);
    TCliScenario scenario;
    const QString written = WriteProjectArchive(scenario.dm, name, file);
    if (context.json)
        PrintJson(QJsonObject{{u"project"_s, name}, {u"file"_s, written}});
    else
        QTextStream(stdout) << u"Archived project %1 in %2"_s.arg(name, written) << Qt::endl;
    return 0;
}

int RestoreProject(QStringList arguments, TCliContext& context) {
    TRestoreOptions options;
    if (const auto name = TakeOption(arguments, u"--name"_s)) options.name = *name;
    options.renameSubstances = TakeFlag(arguments, u"--rename"_s);
    TakeProjectRoot(arguments);
    const QString file = TakeArgument(arguments, u"FILE"_s);
    RequireNoArguments(arguments);
    const TProjectArchive archive = ReadProjectArchive(file);
    TCliScenario scenario;
    const QString restored = RestoreProjectArchive(scenario.dm, archive, options);
    if (context.json)
        PrintJson(QJsonObject{{u"project"_s, restored}, {u"file"_s, file}});
    else
        QTextStream(stdout) << u"Restored project %1 from %2"_s.arg(restored, file) << Qt::endl;
    return 0;
}

int RunArchive(QStringList arguments, TCliContext& context) {
    const QString action = TakeArgument(arguments, u"ACTION"_s);
    if (action != u"verify"_s) throw TUsageError(u"Unknown archive action: %1"_s.arg(action));
    const QString file = TakeArgument(arguments, u"FILE"_s);
    RequireNoArguments(arguments);
    const TProjectArchive archive = ReadProjectArchive(file);
    if (context.json) {
        PrintJson(QJsonObject{{u"file"_s, file},
                              {u"ok"_s, true},
                              {u"manifest"_s, QJsonDocument::fromJson(archive.manifest).object()}});
        return 0;
    }
    QTextStream(stdout) << u"%1: project %2, %3 files, every checksum right"_s.arg(file, archive.projectName())
                               .arg(archive.files.size())
                        << Qt::endl;
    return 0;
}

const TProjectActionRegistrar archiveAction({u"archive"_s, ArchiveProject});
const TProjectActionRegistrar restoreAction({u"restore"_s, RestoreProject});
const TCliCommandRegistrar archiveRegistrar(
    {u"archive"_s, u"ACTION ..."_s,
     u"verify FILE [--json]: checks a project archive's manifest and every file's checksum"_s, RunArchive});

} // namespace
