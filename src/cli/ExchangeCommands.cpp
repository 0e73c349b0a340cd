// kelvo-cli exchange import and exchange write: the substance exchange with the models, as the launcher
// runs it at start-up and on "Write Substance Data".

#include "cli/CliCommand.h"
#include "cli/JsonOutput.h"
#include "export/PRZMSubstanceFile.h"
#include "foundation/Errors.h"
#include "foundation/UserInterface.h"
#include "store/DataModuleKelvoADO.h"

#include <QJsonArray>
#include <QSet>
#include <QTextStream>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

// The scenario data module on the installation's database; a database that does not open was shown.
class TScenario {
public:
    TScenario() {
        if (!dm.OpenDatabase()) Abort();
    }
    TdmKelvoADO dm;
};

// What each model's half of the exchange did: text lines, one JSON member per model, and whether every
// half succeeded. A half that fails has shown its error and goes on to the next.
struct TExchangeReport {
    QStringList lines;
    QJsonObject json;
    bool ok = true;

    void Failed(const QString& model, const QString& line) {
        ShowCurrentException();
        lines << model + u": "_s + line;
        json.insert(model, QJsonObject{{u"done"_s, false}});
        ok = false;
    }
};

// The codes in the order the substances were created.
QStringList SubstanceCodes(TdmKelvoADO& dm) {
    QStringList codes;
    for (const TSqlRow& row :
         dm.dbKelvoADO.Select(u"SELECT SubstanceCode FROM Substances ORDER BY rowid"_s).rows)
        codes << row.value(0).toString();
    return codes;
}

void ImportPrzm(TdmKelvoADO& dm, TExchangeReport& report) {
    const QStringList before = SubstanceCodes(dm);
    try {
        dm.ImportPRZMSubstances();
    } catch (...) {
        report.Failed(u"PRZM"_s, u"not available"_s);
        return;
    }
    const QSet<QString> known(before.begin(), before.end());
    QStringList added;
    for (const QString& code : SubstanceCodes(dm))
        if (!known.contains(code)) added << code;
    const TPRZMSubstanceFile file;
    report.lines << u"PRZM: read %1 records from %2; new substances: %3"_s.arg(file.RecordCount())
                        .arg(file.DataFileName(), added.isEmpty() ? u"none"_s : added.join(u", "_s));
    report.json.insert(u"PRZM"_s, QJsonObject{{u"done"_s, true},
                                              {u"file"_s, file.DataFileName()},
                                              {u"records"_s, file.RecordCount()},
                                              {u"newSubstances"_s, QJsonArray::fromStringList(added)}});
}

void WritePrzm(TdmKelvoADO& dm, TExchangeReport& report) {
    try {
        dm.WritePRZMSubstances();
    } catch (...) {
        report.Failed(u"PRZM"_s, u"not written"_s);
        return;
    }
    const TPRZMSubstanceFile file;
    report.lines << u"PRZM: wrote %1 records to %2"_s.arg(file.RecordCount()).arg(file.DataFileName());
    report.json.insert(
        u"PRZM"_s,
        QJsonObject{{u"done"_s, true}, {u"file"_s, file.DataFileName()}, {u"records"_s, file.RecordCount()}});
}

// Runs one half after the other and reports what each did; exit code 1 when a half failed.
int Exchange(QStringList arguments, TCliContext& context,
             const std::function<void(TdmKelvoADO&, TExchangeReport&)>& halves) {
    RequireNoArguments(arguments);
    TScenario scenario;
    TExchangeReport report;
    halves(scenario.dm, report);
    if (context.json)
        PrintJson(report.json);
    else
        QTextStream(stdout) << report.lines.join(u'\n') << Qt::endl;
    return report.ok ? 0 : 1;
}

int RunExchange(QStringList arguments, TCliContext& context) {
    if (arguments.isEmpty()) throw TUsageError(u"ACTION is missing"_s);
    const QString action = arguments.takeFirst();
    if (action == u"import"_s)
        return Exchange(arguments, context,
                        [](TdmKelvoADO& dm, TExchangeReport& report) { ImportPrzm(dm, report); });
    if (action == u"write"_s)
        return Exchange(arguments, context,
                        [](TdmKelvoADO& dm, TExchangeReport& report) { WritePrzm(dm, report); });
    throw TUsageError(u"Unknown exchange action: %1"_s.arg(action));
}

const TCliCommandRegistrar registrar(
    {u"exchange"_s, u"ACTION [--json]"_s,
     u"import: reads the substances of the PRZM chemical data file into the substance library, as at "
     u"start-up | "
     "write: writes the substance library into the PRZM chemical data file (\"Write Substance Data\")"_s,
     RunExchange});

} // namespace
