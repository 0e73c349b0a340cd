// kelvo-cli run set/select/copy-pattern: a run's application pattern edited through tblRuns and
// tblApplications as the runs editor edits it (one transaction, every rule of the record sets), and
// the project browser's selection of runs.

#include "cli/ProjectCommand.h"
#include "cli/ScenarioArguments.h"
#include "domain/ProjectBrowser.h"
#include "foundation/Errors.h"
#include "foundation/UserInterface.h"
#include "foundation/Utils.h"
#include "store/Locate.h"

#include <QTextStream>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

QTextStream& Out() {
    static QTextStream out(stdout);
    return out;
}

// The project open with the run current.
class TCliRun : public TCliProject {
public:
    TCliRun(const QString& projectName, const QString& runId) : TCliProject(projectName) {
        if (!LocateByTextKeys(dm.tblRuns, {runId}, 1) ||
            dm.tblRuns.fieldByName(u"RunID"_s).asString() != runId)
            throw EKelvoError(u"Run %1 not found in project %2"_s.arg(runId, projectName));
    }
};

// Everything between begin and commit; an exception rolls back.
template <class F> void InTransaction(TConnection& db, F&& edit) {
    db.BeginTrans();
    try {
        edit();
    } catch (...) {
        if (db.InTransaction()) db.RollbackTrans();
        throw;
    }
    db.CommitTrans();
}

QStringList Values(const std::optional<QString>& list) {
    return list ? list->split(u',', Qt::KeepEmptyParts) : QStringList();
}

int Integer(const QString& text, const QString& option) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok) throw TRefusedValue(u"%1 takes a whole number: %2"_s.arg(option, text));
    return value;
}

double Number(const QString& text, const QString& option) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok) throw TRefusedValue(u"%1 takes numbers with a decimal point: %2"_s.arg(option, text));
    return value;
}

bool IsDayNumber(const QString& text) {
    bool ok = false;
    text.toInt(&ok);
    return ok;
}

// A day typed into the day-number column or the dd-mmm column.
void SetDay(TRecordSet& runs, const QString& numberField, const QString& textField, const QString& day) {
    if (IsDayNumber(day))
        runs.fieldByName(numberField).setAsInteger(day.toInt());
    else
        runs.fieldByName(textField).setAsString(day);
}

int DayValue(const QString& day) {
    return IsDayNumber(day) ? day.toInt() : TextToDayNumber(day);
}

struct TRunEdit {
    std::optional<QString> method;
    std::optional<int> apps;
    std::optional<QString> first;
    std::optional<QString> last;
    std::optional<int> interval;
    QStringList rates;
    QString cams; // comma-separated; the methods' names hold commas themselves
    QStringList depths;
};

// The pattern columns are set in an order whose every step keeps the application window valid when
// the result is: fewer applications first and more last, a later last day before the first day.
void EditPattern(TdmKelvoADO& dm, const TRunEdit& e) {
    if (!(e.method || e.apps || e.first || e.last || e.interval)) return;
    TTable& runs = dm.tblRuns;
    const int oldApps = runs.fieldByName(u"NumberOfApps"_s).asInteger();
    const int oldLast = runs.fieldByName(u"LastDayYrApp"_s).asInteger();
    runs.edit();
    if (e.method) {
        const bool airBlast = dm.IsAirBlastCrop(runs.fieldByName(u"CropCode"_s).asString());
        runs.fieldByName(u"AppMethod"_s)
            .setAsString(
                FindListed(dm.ApplicationMethodList(airBlast ? 3 : 1), *e.method, u"application method"_s));
    }
    if (e.apps && *e.apps < oldApps) runs.fieldByName(u"NumberOfApps"_s).setAsInteger(*e.apps);
    const bool lastFirst = e.last && DayValue(*e.last) > oldLast;
    if (lastFirst) SetDay(runs, u"LastDayYrApp"_s, u"LastDayYrAppJulian"_s, *e.last);
    if (e.first) SetDay(runs, u"FirstDayYrApp"_s, u"FirstDayYrAppJulian"_s, *e.first);
    if (e.last && !lastFirst) SetDay(runs, u"LastDayYrApp"_s, u"LastDayYrAppJulian"_s, *e.last);
    if (e.interval) runs.fieldByName(u"MinIntervalApps"_s).setAsInteger(*e.interval);
    if (e.apps && *e.apps > oldApps) runs.fieldByName(u"NumberOfApps"_s).setAsInteger(*e.apps);
    runs.post();
}

// The applications grid: each given value into the application of its position; leaving the grid
// spreads them to the related runs.
void EditApplications(TdmKelvoADO& dm, const TRunEdit& e) {
    if (e.rates.isEmpty() && e.cams.isEmpty() && e.depths.isEmpty()) return;
    TTable& runs = dm.tblRuns;
    TTable& apps = dm.tblApplications;
    const int count = runs.fieldByName(u"NumberOfApps"_s).asInteger();
    const bool runoff = runs.fieldByName(u"LocationCode"_s).asString().startsWith(u'R');
    if (!runoff && !(e.cams.isEmpty() && e.depths.isEmpty()))
        throw EKelvoError(u"Chemical application methods and depths are PRZM input: runoff runs only"_s);
    const QStringList cams = e.cams.isEmpty()
                                 ? QStringList()
                                 : SplitListed(dm.CAMsForMethod(runs.fieldByName(u"AppMethod"_s).asString()),
                                               e.cams, u"chemical application method"_s);
    for (const QStringList* values : {&e.rates, &cams, &e.depths})
        if (values->size() > count)
            throw TRefusedValue(
                u"The run has %1 applications; %2 values given"_s.arg(count).arg(values->size()));
    for (int nr = 1; nr <= count; ++nr) {
        if (!LocateByIntegerKeys(apps, {nr})) throw EKelvoError(u"Application %1 not found"_s.arg(nr));
        apps.edit();
        if (const QString rate = e.rates.value(nr - 1).trimmed(); !rate.isEmpty())
            apps.fieldByName(u"Rate"_s).setAsFloat(Number(rate, u"--rates"_s));
        if (nr <= cams.size()) apps.fieldByName(u"CAM"_s).setAsString(cams[nr - 1]);
        if (const QString depth = e.depths.value(nr - 1).trimmed(); !depth.isEmpty())
            apps.fieldByName(u"Depi"_s).setAsFloat(Number(depth, u"--depths"_s));
        apps.post();
    }
    dm.tblRunsAfterPost(runs);
}

int SetRun(QStringList arguments) {
    TRunEdit e;
    e.method = TakeOption(arguments, u"--method"_s);
    if (const auto apps = TakeOption(arguments, u"--apps"_s)) e.apps = Integer(*apps, u"--apps"_s);
    e.first = TakeOption(arguments, u"--first"_s);
    e.last = TakeOption(arguments, u"--last"_s);
    if (const auto interval = TakeOption(arguments, u"--interval"_s))
        e.interval = Integer(*interval, u"--interval"_s);
    e.rates = Values(TakeOption(arguments, u"--rates"_s));
    e.cams = TakeOption(arguments, u"--cams"_s).value_or(QString());
    e.depths = Values(TakeOption(arguments, u"--depths"_s));
    const QString projectName = TakeArgument(arguments, u"PROJECT"_s);
    const QString runId = TakeArgument(arguments, u"RUNID"_s);
    RequireNoArguments(arguments);

    TCliRun run(projectName, runId);
    TdmKelvoADO& dm = run.dm;
    if (runId.right(2).toLower() != u"pa"_s)
        throw EKelvoError(u"Run %1 is a metabolite run: its pattern follows its parent run"_s.arg(runId));
    InTransaction(dm.dbKelvoADO, [&] {
        EditPattern(dm, e);
        EditApplications(dm, e);
    });
    Out() << u"Saved run %1"_s.arg(runId) << Qt::endl;
    return 0;
}

int SelectRun(QStringList arguments) {
    const bool all = TakeFlag(arguments, u"--all"_s);
    const bool select = !TakeFlag(arguments, u"--off"_s);
    const QString projectName = TakeArgument(arguments, u"PROJECT"_s);
    const QString runId = all ? QString() : TakeArgument(arguments, u"RUNID"_s);
    RequireNoArguments(arguments);
    const QString done = select ? u"Selected"_s : u"Unselected"_s;
    if (all) {
        TCliProject project(projectName);
        SelectAllRuns(select);
        Out() << u"%1 every run of %2"_s.arg(done, projectName) << Qt::endl;
        return 0;
    }
    TCliRun run(projectName, runId);
    if (run.dm.tblRuns.fieldByName(u"Selected"_s).asString().isEmpty() == select) ToggleRunSelection();
    Out() << u"%1 run %2"_s.arg(done, runId) << Qt::endl;
    return 0;
}

int CopyPattern(QStringList arguments) {
    const QString projectName = TakeArgument(arguments, u"PROJECT"_s);
    const QString runId = TakeArgument(arguments, u"RUNID"_s);
    RequireNoArguments(arguments);
    TCliRun run(projectName, runId);
    QStringList skipped;
    QStringList unmitigated;
    InTransaction(run.dm.dbKelvoADO, [&] { skipped = run.dm.CopyPatternToCropRuns(&unmitigated); });
    if (!unmitigated.isEmpty())
        ShowMessage(u"The buffer is nearer than the FOCUS distance of the following runs, which keep their own "
                    u"mitigation:\n"_s +
                    unmitigated.join(u'\n'));
    if (!skipped.isEmpty()) {
        QString text =
            u"Application pattern is not copied to the following runs because the application window "
            "was too small.\n"_s;
        for (const QString& id : skipped)
            text += id + u'\n';
        text += u"\nPlease, extend the application window such, that:\n"
                "Last day - First day > 30 d + ((no_of_appl-1) * min interval)"_s;
        ShowMessage(text);
    }
    Out() << u"Copied the pattern of run %1"_s.arg(runId) << Qt::endl;
    for (const QString& id : skipped)
        Out() << u"Skipped %1"_s.arg(id) << Qt::endl;
    return 0;
}

int RunRun(QStringList arguments, TCliContext&) {
    const QString action = TakeArgument(arguments, u"ACTION"_s);
    if (action == u"set"_s) return SetRun(arguments);
    if (action == u"select"_s) return SelectRun(arguments);
    if (action == u"copy-pattern"_s) return CopyPattern(arguments);
    throw TUsageError(u"Unknown run action: %1"_s.arg(action));
}

const TCliCommandRegistrar runRegistrar(
    {u"run"_s, u"ACTION ..."_s,
     u"set PROJECT RUNID [--method M] [--apps N] [--first DAY] [--last DAY] [--interval D] [--rates R1,...] "
     "[--cams C1,...] [--depths X1,...] (DAY a day number or dd-mmm) | select PROJECT RUNID|--all [--off] | "
     "copy-pattern PROJECT RUNID"_s,
     RunRun});

} // namespace
