// kelvo-cli project: the dispatcher of the project actions and what they share.

#include "cli/ProjectCommand.h"

#include "cli/ScenarioArguments.h"
#include "domain/Project.h"
#include "foundation/Errors.h"
#include "foundation/UserInterface.h"

#include <QDir>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

QVector<TProjectAction>& Actions() {
    static QVector<TProjectAction> actions;
    return actions;
}

int RunProject(QStringList arguments, TCliContext& context) {
    const QString name = TakeArgument(arguments, u"ACTION"_s);
    for (const TProjectAction& action : Actions())
        if (action.name == name) return action.run(arguments, context);
    QStringList known;
    for (const TProjectAction& action : Actions())
        known << action.name;
    known.sort();
    throw TUsageError(u"Unknown project action: %1 (known: %2)"_s.arg(name, known.join(u", "_s)));
}

const TCliCommandRegistrar projectRegistrar(
    {u"project"_s, u"ACTION ..."_s,
     u"create --substance CODE --name NAME [--description TEXT] [--root DIR] and --crop NAME or "
     "--crops NAME,... --waterbodies ditch,pond,stream --scenarios D1,R1,... | list [--json] | "
     "runs NAME [--json] | show NAME [--json] | copy NAME NEWNAME [--description TEXT] [--root DIR] | "
     "delete NAME [--keep-files] | export NAME [--no-report] [--no-przm] [--no-macro] | "
     "archive NAME [FILE] | restore FILE [--name NEW] [--root DIR] [--rename] | "
     "mitigate NAME --mitigation METRES|focus [--reduction PERCENT] [--water TYPE] [--run ID ...]"_s,
     RunProject});

} // namespace

TProjectActionRegistrar::TProjectActionRegistrar(TProjectAction action) {
    Actions().append(std::move(action));
}

TCliProject::TCliProject(const QString& name) {
    if (!dm.OpenDatabase()) Abort();
    if (!dm.OpenProjects()) {
        ShowMessage(u"Failed to open Project/Runs."_s);
        Abort();
    }
    TQuery& projects = dm.qryProjects;
    for (projects.first(); !projects.eof(); projects.next())
        if (projects.fieldByName(u"Name"_s).asString().compare(name, Qt::CaseInsensitive) == 0) break;
    if (projects.eof()) throw EKelvoError(u"Project not found: %1"_s.arg(name));
    if (!dm.OpenRuns()) {
        ShowMessage(u"Failed to open Project/Runs."_s);
        Abort();
    }
    dm.RefreshRuns();
}

QString TakeArgument(QStringList& arguments, const QString& name) {
    if (arguments.isEmpty() || arguments.first().startsWith(u"--"_s))
        throw TUsageError(u"%1 is missing"_s.arg(name));
    return arguments.takeFirst();
}

// --root DIR: the projects root for this command, made when it is missing (as a directory chooser
// would only offer an existing one).
void TakeProjectRoot(QStringList& arguments) {
    const auto root = TakeOption(arguments, u"--root"_s);
    if (!root) return;
    const QString directory = QDir::cleanPath(QDir(*root).absolutePath());
    // A root that is refused is never made.
    if (const QString refusal = ProjectRootRefusal(directory); !refusal.isEmpty()) throw EKelvoError(refusal);
    if (!QDir().mkpath(directory))
        throw EKelvoError(u"Cannot create the projects root directory: "_s + directory);
    SetDefaultProjectRoot(directory);
}

QStringList SplitListed(const QStringList& valid, const QString& list, const QString& what) {
    const QStringList parts = list.split(u',');
    const auto known = [&valid](const QString& text) {
        return std::any_of(valid.begin(), valid.end(), [&text](const QString& entry) {
            return entry.compare(text, Qt::CaseInsensitive) == 0;
        });
    };
    QStringList entries;
    for (qsizetype i = 0; i < parts.size();) {
        qsizetype end = parts.size();
        while (end > i + 1 && !known(parts.mid(i, end - i).join(u',').trimmed()))
            --end;
        entries << FindListed(valid, parts.mid(i, end - i).join(u',').trimmed(), what);
        i = end;
    }
    return entries;
}

void CheckLength(const QString& text, int maxLength, const QString& what) {
    if (text.size() > maxLength)
        throw TRefusedValue(u"%1 has at most %2 characters"_s.arg(what).arg(maxLength));
}
