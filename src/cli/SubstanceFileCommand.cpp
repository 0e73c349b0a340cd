// kelvo-cli substance export and substance import: the substance library to and from the exchange file.

#include "cli/SubstanceFileCommand.h"

#include "cli/CliScenario.h"
#include "cli/JsonOutput.h"
#include "domain/SubstanceExchangeFormat.h"
#include "domain/SubstanceImport.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTextStream>

using namespace Qt::Literals::StringLiterals;

int RunSubstanceExport(QStringList arguments, TCliContext& context) {
    const std::optional<QString> format = TakeOption(arguments, u"--format"_s);
    if (format && *format != u"csv"_s && *format != u"json"_s)
        throw TRefusedValue(u"--format is csv or json, not %1"_s.arg(*format));
    if (arguments.isEmpty()) throw TUsageError(u"FILE is missing"_s);
    const QString fileName = arguments.takeLast();
    const TSubstanceFileFormat chosen = format ? (*format == u"json"_s ? TSubstanceFileFormat::Json
                                                                       : TSubstanceFileFormat::Csv)
                                               : SubstanceFormatOfName(fileName);
    TCliScenario scenario;
    ExportSubstancesToFile(scenario.dm, arguments, chosen, fileName);
    if (context.json)
        PrintJson(QJsonObject{{u"file"_s, fileName}, {u"substances"_s, QJsonArray::fromStringList(arguments)}});
    else
        QTextStream(stdout) << u"Exported %1 to %2"_s.arg(
                                   arguments.isEmpty() ? u"all substances"_s : arguments.join(u", "_s), fileName)
                            << Qt::endl;
    return 0;
}

int RunSubstanceImport(QStringList arguments, TCliContext& context) {
    TSubstanceImportOptions options;
    int modes = 0;
    if (TakeFlag(arguments, u"--replace"_s)) options.existing = TExistingSubstance::Replace, ++modes;
    if (TakeFlag(arguments, u"--skip"_s)) options.existing = TExistingSubstance::Skip, ++modes;
    if (TakeFlag(arguments, u"--rename"_s)) options.existing = TExistingSubstance::Rename, ++modes;
    if (modes > 1) throw TUsageError(u"--replace, --skip and --rename exclude each other"_s);
    if (arguments.isEmpty()) throw TUsageError(u"FILE is missing"_s);
    const QString fileName = arguments.takeFirst();
    RequireNoArguments(arguments);
    TCliScenario scenario;
    const TSubstanceImportResult result =
        ImportSubstances(scenario.dm, ReadSubstanceFileFrom(fileName), options);
    if (context.json) {
        QJsonObject renamed;
        for (auto it = result.renamed.begin(); it != result.renamed.end(); ++it)
            renamed.insert(it.key(), it.value());
        PrintJson(QJsonObject{{u"file"_s, fileName},
                              {u"added"_s, QJsonArray::fromStringList(result.added)},
                              {u"replaced"_s, QJsonArray::fromStringList(result.replaced)},
                              {u"skipped"_s, QJsonArray::fromStringList(result.skipped)},
                              {u"renamed"_s, renamed}});
        return 0;
    }
    QTextStream out(stdout);
    const auto list = [](const QStringList& codes) { return codes.isEmpty() ? u"none"_s : codes.join(u", "_s); };
    out << u"Imported from %1: added %2; replaced %3; skipped %4"_s.arg(fileName, list(result.added),
                                                                         list(result.replaced), list(result.skipped))
        << Qt::endl;
    for (auto it = result.renamed.begin(); it != result.renamed.end(); ++it)
        out << u"Renamed %1 to %2"_s.arg(it.key(), it.value()) << Qt::endl;
    return 0;
}
