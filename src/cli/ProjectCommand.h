#pragma once

#include "cli/CliScenario.h"

#include "cli/CliCommand.h"
#include "store/DataModuleKelvoADO.h"

// kelvo-cli project ACTION ...: each action registers itself from its own command file with one static
// registrar:
//   const TProjectActionRegistrar exportAction({u"export"_s, RunExport});
// The usage of the project command lists every action with its arguments.
struct TProjectAction {
    QString name;
    std::function<int(QStringList arguments, TCliContext& context)> run;
};

class TProjectActionRegistrar {
public:
    explicit TProjectActionRegistrar(TProjectAction action);
};

// The scenario data module on the installation's database, as the project browser shows it: the
// project list open on the named project (letter case ignored) and the runs of that project open in
// the order of their sort key. An unknown name is refused, naming it.
class TCliProject {
public:
    explicit TCliProject(const QString& name);
    TdmKelvoADO dm;
};

// The first argument, named in the usage error when it is missing.
QString TakeArgument(QStringList& arguments, const QString& name);
// --root DIR: the default project root for the rest of the command, as an absolute path.
void TakeProjectRoot(QStringList& arguments);
// The entries of a comma-separated list whose entries may hold commas themselves ("Cereals, winter"):
// each time the longest run of parts naming an entry of valid (in any letter case) is taken, as valid
// spells it; an unknown entry is refused, naming it.
QStringList SplitListed(const QStringList& valid, const QString& list, const QString& what);
// Raises a usage error when the text is longer than the field that takes it.
void CheckLength(const QString& text, int maxLength, const QString& what);
