// kelvo-cli exchange import and exchange write: the substance exchange with the models, as the launcher
// runs it at start-up (PRZM, then MACRO) and on "Write Substance Data" (MACRO, then PRZM).

#include "cli/CliCommand.h"
#include "cli/CliScenario.h"
#include "cli/JsonOutput.h"
#include "export/DataModuleMacroADO.h"
#include "export/PRZMSubstanceFile.h"
#include "foundation/Errors.h"
#include "foundation/UserInterface.h"
#include "store/DataModuleKelvoADO.h"
#include "store/Transaction.h"

#include <QJsonArray>
#include <QSet>
#include <QTextStream>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

// What each model's half of the exchange did: text lines, one JSON member per model, and whether every
// half succeeded. A half that fails has shown its error and goes on to the next.
struct TExchangeReport {
    QStringList lines;
    QJsonObject json;
    bool ok = true;

    // Call inside a catch block: the error is shown.
    void Failed(const QString& model, const QString& line) {
        ShowCurrentException();
        NotDone(model, line);
    }

    void NotDone(const QString& model, const QString& line) {
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

// The codes that were not there before.
QStringList NewCodes(TdmKelvoADO& dm, const QStringList& before) {
    const QSet<QString> known(before.begin(), before.end());
    QStringList added;
    for (const QString& code : SubstanceCodes(dm))
        if (!known.contains(code)) added << code;
    return added;
}

void ImportPrzm(TdmKelvoADO& dm, TExchangeReport& report) {
    const QStringList before = SubstanceCodes(dm);
    try {
        RunWholePart(dm.dbKelvoADO, u"przm_import"_s, [&] { dm.ImportPRZMSubstances(); });
    } catch (...) {
        report.Failed(u"PRZM"_s, u"not available"_s);
        return;
    }
    const QStringList added = NewCodes(dm, before);
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

// The numbers of compound and metab rows in the MACRO database.
std::pair<int, int> MacroRowCounts(const TdmMacroADO& macro) {
    TConnection db;
    db.Open(macro.DatabasePath());
    const int compounds = db.Select(u"SELECT COUNT(*) FROM compound"_s).rows[0][0].toInt();
    const int metabs = db.Select(u"SELECT COUNT(*) FROM metab"_s).rows[0][0].toInt();
    db.Close();
    return {compounds, metabs};
}

// A MACRO database that cannot be opened has shown its message: MACRO is not available.
void ImportMacro(TdmKelvoADO& dm, TExchangeReport& report) {
    TdmMacroADO macro;
    const QStringList before = SubstanceCodes(dm);
    try {
        bool available = false;
        RunWholePart(dm.dbKelvoADO, u"macro_import"_s, [&] { available = dm.ImportMacroSubstances(macro); });
        if (!available) {
            report.NotDone(u"MACRO"_s, u"not available"_s);
            return;
        }
    } catch (...) {
        report.Failed(u"MACRO"_s, u"import stopped"_s);
        return;
    }
    const QStringList added = NewCodes(dm, before);
    const auto [compounds, metabs] = MacroRowCounts(macro);
    report.lines << u"MACRO: read %1 compound and %2 metab rows from %3; new substances: %4"_s.arg(compounds)
                        .arg(metabs)
                        .arg(macro.DatabasePath(), added.isEmpty() ? u"none"_s : added.join(u", "_s));
    report.json.insert(u"MACRO"_s, QJsonObject{{u"done"_s, true},
                                               {u"database"_s, macro.DatabasePath()},
                                               {u"compounds"_s, compounds},
                                               {u"metabs"_s, metabs},
                                               {u"newSubstances"_s, QJsonArray::fromStringList(added)}});
}

// False when MACRO refused its rows (nothing of them written); a MACRO not available is no refusal.
bool WriteMacro(TdmKelvoADO& dm, TExchangeReport& report) {
    TdmMacroADO macro;
    try {
        if (!dm.WriteMacroSubstances(macro)) {
            report.NotDone(u"MACRO"_s, u"not available"_s);
            return true;
        }
    } catch (...) {
        report.Failed(u"MACRO"_s, u"not written"_s);
        return false;
    }
    const auto [compounds, metabs] = MacroRowCounts(macro);
    report.lines << u"MACRO: wrote %1 compound and %2 metab rows to %3"_s.arg(compounds).arg(metabs).arg(
        macro.DatabasePath());
    report.json.insert(u"MACRO"_s, QJsonObject{{u"done"_s, true},
                                               {u"database"_s, macro.DatabasePath()},
                                               {u"compounds"_s, compounds},
                                               {u"metabs"_s, metabs}});
    return true;
}

// Runs one half after the other and reports what each did; exit code 1 when a half failed.
int Exchange(QStringList arguments, TCliContext& context,
             const std::function<void(TdmKelvoADO&, TExchangeReport&)>& halves) {
    RequireNoArguments(arguments);
    TCliScenario scenario;
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
        return Exchange(arguments, context, [](TdmKelvoADO& dm, TExchangeReport& report) {
            // One commit for both models; a model whose import fails takes back only its own rows.
            TTransaction import(dm.dbKelvoADO);
            ImportPrzm(dm, report);
            ImportMacro(dm, report);
            import.Commit();
        });
    if (action == u"write"_s)
        return Exchange(arguments, context, [](TdmKelvoADO& dm, TExchangeReport& report) {
            // Every substance is checked for PRZM before MACRO is written, and PRZM is not written
            // after MACRO refused: a value that does not fit leaves both models as they were.
            try {
                dm.CheckPRZMSubstances();
            } catch (...) {
                report.Failed(u"PRZM"_s, u"not written"_s);
                report.NotDone(u"MACRO"_s, u"not written"_s);
                return;
            }
            if (!WriteMacro(dm, report)) {
                report.NotDone(u"PRZM"_s, u"not written"_s);
                return;
            }
            WritePrzm(dm, report);
            const QStringList leftOut = dm.SubstancesLeftOutOfModels();
            for (const QString& substance : leftOut)
                report.lines << u"Not written, incompletely defined: "_s + substance;
            report.json.insert(u"incomplete"_s, QJsonArray::fromStringList(leftOut));
        });
    throw TUsageError(u"Unknown exchange action: %1"_s.arg(action));
}

const TCliCommandRegistrar registrar(
    {u"exchange"_s, u"ACTION [--json]"_s,
     u"import: reads the substances of the PRZM chemical data file and of the MACRO database into the "
     u"substance library, as at start-up | "
     "write: writes the substance library into the MACRO database and the PRZM chemical data file (\"Write "
     "Substance Data\")"_s,
     RunExchange});

} // namespace
