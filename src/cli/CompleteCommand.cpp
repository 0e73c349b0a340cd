// kelvo-cli complete WORD...: the candidates for the last word of a command line being typed, one per line,
// for the shells' completion scripts: commands, actions, options, and the project names, substance codes,
// crop names and water body types of the working installation. Never makes or changes anything.

#include "cli/CliCommand.h"
#include "foundation/Errors.h"
#include "foundation/Installation.h"
#include "store/Connection.h"
#include "store/DataModuleKelvoADO.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

using namespace Qt::Literals::StringLiterals;

namespace {

const QStringList GlobalOptions = {u"--install-dir"_s, u"--json"_s, u"--yes"_s, u"--no"_s, u"--help"_s,
                                   u"--version"_s};

// The first column of a query on the scenario database; nothing while there is none or it cannot be read.
QStringList Column(const QString& sql) {
    const QString file = TdmKelvoADO::DatabaseFile();
    if (!QFileInfo(file).isFile()) return {};
    try {
        TConnection db;
        db.Open(file);
        QStringList values;
        for (const TSqlRow& row : db.Select(sql).rows)
            values << row[0].toString();
        return values;
    } catch (const EKelvoError&) {
        return {};
    }
}

// The words an argument position takes: actions after a command, then names of what the action acts on.
QStringList Positional(const QString& command, const QStringList& before) {
    static const QHash<QString, QStringList> actions = {
        {u"project"_s, {u"create"_s, u"list"_s, u"runs"_s, u"show"_s, u"copy"_s, u"delete"_s, u"export"_s,
                         u"archive"_s, u"restore"_s}},
        {u"substance"_s, {u"show"_s, u"new"_s, u"set"_s, u"copy"_s, u"delete"_s, u"metabolites"_s, u"export"_s,
                           u"import"_s}},
        {u"run"_s, {u"set"_s, u"select"_s, u"copy-pattern"_s}},
        {u"defaults"_s, {u"list"_s, u"set"_s, u"delete"_s}},
        {u"exchange"_s, {u"import"_s, u"write"_s}},
        {u"przm"_s, {u"records"_s}},
        {u"archive"_s, {u"verify"_s}},
    };
    if (actions.contains(command) && before.isEmpty()) return actions.value(command);
    if (before.size() != 1) return {};
    const QString action = before.first();
    if (command == u"run"_s || (command == u"project"_s && action != u"create"_s && action != u"list"_s &&
                                 action != u"restore"_s))
        return Column(u"SELECT Name FROM Projects ORDER BY Name"_s);
    if ((command == u"substance"_s && action != u"new"_s) || command == u"defaults"_s)
        return Column(u"SELECT SubstanceCode FROM Substances ORDER BY SubstanceCode"_s);
    return {};
}

// The values an option takes, for the options naming what the installation holds.
QStringList OptionValues(const QString& option) {
    if (option == u"--crop"_s) return Column(u"SELECT CropCode FROM Crops ORDER BY CropCode"_s);
    if (option == u"--substance"_s)
        return Column(u"SELECT SubstanceCode FROM Substances WHERE IsParent ORDER BY SubstanceCode"_s);
    if (option == u"--water"_s) return Column(u"SELECT WaterbodyCode FROM WaterBodies ORDER BY 1"_s);
    return {};
}

// The options of a command that take a value: those its usage writes with a placeholder ("--crop NAME").
QStringList ValueOptions(const TCliCommand& command) {
    static const QRegularExpression option(u"(--[a-z0-9-]+)[ =][A-Z]"_s);
    QStringList options{u"--install-dir"_s};
    for (auto it = option.globalMatch(command.arguments + u' ' + command.summary); it.hasNext();)
        options << it.next().captured(1);
    return options;
}

int RunComplete(QStringList words, TCliContext&) {
    const QString current = words.isEmpty() ? QString() : words.takeLast();
    const QVector<TCliCommand> commands = CliCommands();
    // The names come from the working installation the line names.
    if (const qsizetype dir = words.indexOf(u"--install-dir"_s); dir >= 0 && dir + 1 < words.size())
        SetInstallationDir(words[dir + 1]);
    // The global options before the command are passed over.
    qsizetype at = 0;
    while (at < words.size() && words[at].startsWith(u'-'))
        at += words[at] == u"--install-dir"_s ? 2 : 1;
    QStringList candidates;
    if (at >= words.size()) {
        if (!words.isEmpty() && words.last() == u"--install-dir"_s) return 0; // a folder: the shell's own
        for (const TCliCommand& command : commands)
            if (!command.hidden) candidates << command.name;
        candidates << GlobalOptions;
    } else {
        const QString name = words[at];
        const auto command = std::find_if(commands.begin(), commands.end(),
                                          [&name](const TCliCommand& c) { return c.name == name; });
        if (command == commands.end()) return 0;
        const QStringList after = words.mid(at + 1);
        const QStringList valueOptions = ValueOptions(*command);
        if (!after.isEmpty() && valueOptions.contains(after.last())) {
            candidates = OptionValues(after.last());
        } else if (current.startsWith(u'-')) {
            static const QRegularExpression option(u"--[a-z0-9-]+"_s);
            for (auto it = option.globalMatch(command->arguments + u' ' + command->summary); it.hasNext();)
                candidates << it.next().captured();
            candidates << GlobalOptions;
        } else {
            QStringList positional;
            for (qsizetype i = 0; i < after.size(); ++i)
                if (valueOptions.contains(after[i]))
                    ++i; // an option and its value
                else if (!after[i].startsWith(u"--"_s))
                    positional << after[i];
            candidates = Positional(name, positional);
        }
    }
    candidates.removeDuplicates();
    QTextStream out(stdout);
    for (const QString& candidate : std::as_const(candidates))
        if (candidate.startsWith(current)) out << candidate << u'\n';
    out.flush();
    return 0;
}

const TCliCommandRegistrar registrar({u"complete"_s, u"WORD..."_s,
                                      u"the candidates for the last word of a command line (for the shells)"_s,
                                      RunComplete, true});

} // namespace
