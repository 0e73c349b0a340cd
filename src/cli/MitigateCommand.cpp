// kelvo-cli project mitigate: the Step 4 drift mitigation of a project's drift runs (all of them, those
// on one water body type, or the named runs), set in one transaction by the run rules of the core.

#include "cli/ProjectCommand.h"
#include "cli/ScenarioArguments.h"
#include "drift/Mitigation.h"
#include "foundation/Errors.h"

#include <QLocale>
#include <QTextStream>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

// "focus": no buffer; else a number of metres, checked run by run against its FOCUS distance.
std::optional<double> Buffer(const QString& text) {
    if (text.compare(u"focus"_s, Qt::CaseInsensitive) == 0) return std::nullopt;
    bool ok = false;
    const double metres = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(metres))
        throw EKelvoError(u"'%1' is not a buffer distance: give a number of metres from the FOCUS distance to "
                          u"%2, or focus"_s.arg(text)
                              .arg(MaxBufferDistance));
    return metres;
}

int Mitigate(QStringList arguments, TCliContext&) {
    const QString name = TakeArgument(arguments, u"NAME"_s);
    const std::optional<QString> buffer = TakeOption(arguments, u"--mitigation"_s);
    const std::optional<QString> reduction = TakeOption(arguments, u"--reduction"_s);
    const std::optional<QString> water = TakeOption(arguments, u"--water"_s);
    QStringList runIds;
    while (const std::optional<QString> runId = TakeOption(arguments, u"--run"_s))
        runIds << *runId;
    RequireNoArguments(arguments);
    if (!buffer) throw TUsageError(u"--mitigation is missing"_s);
    if (water && !runIds.isEmpty()) throw TUsageError(u"--water does not go with --run"_s);

    TMitigation mitigation;
    mitigation.Buffer = Buffer(*buffer);
    if (reduction) mitigation.Reduction = ReadDriftReduction(*reduction);
    TCliProject project(name);
    const QString waterCode =
        water ? FindListed(project.dm.GetWaterBodyCodes(), *water, u"water body type"_s) : QString();
    const QStringList runs = project.dm.MitigateRuns(project.dm.qryProjects.fieldByName(u"ProjectID"_s).asInteger(),
                                                     mitigation, waterCode, runIds);
    QTextStream out(stdout);
    out << (mitigation.IsStep3() ? u"FOCUS Step 3"_s : u"Step 4 mitigation: "_s + MitigationText(mitigation))
        << u" for "_s << runs.size() << (runs.size() == 1 ? u" run"_s : u" runs"_s)
        << (runs.isEmpty() ? QString() : u": "_s + runs.join(u", "_s)) << Qt::endl;
    return 0;
}

const TProjectActionRegistrar mitigateAction({u"mitigate"_s, Mitigate});

} // namespace
