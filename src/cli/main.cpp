// kelvo-cli: Kelvo's operations without windows, for batch work and end-to-end tests.

#include "cli/CliCommand.h"
#include "cli/ConsoleUserInterface.h"
#include "foundation/Errors.h"
#include "foundation/Installation.h"
#include "store/ScenarioSchema.h"
#include "store/WorkingInstallation.h"

#include <QCoreApplication>
#include <QTextStream>

using namespace Qt::Literals::StringLiterals;

namespace {

QString Usage() {
    QString text =
        u"Usage: kelvo-cli [--install-dir DIR] [--json] [--yes|--no] COMMAND [ARGUMENTS]\n"
        u"\n"
        u"Runs Kelvo's operations on the working installation in DIR (default: $KELVO_HOME, or else\n"
        u"~/.local/share/Kelvo), which is made from the program's templates when it has no database yet.\n"
        u"\n"
        u"Options:\n"
        u"  --install-dir DIR  the working installation to work on\n"
        u"  --json             print the result as one JSON document on stdout\n"
        u"  --yes, --no        answer every question Yes or No; without them a question is\n"
        u"                     refused (answered No) and named on stderr\n"
        u"  --version          show the version and the scenario database's schema version\n"
        u"  --help             show this help\n"
        u"\n"
        u"Commands:\n"_s;
    for (const TCliCommand& command : CliCommands()) {
        if (command.hidden) continue;
        const QString call = (command.name + u' ' + command.arguments).trimmed();
        text += u"  %1  %2\n"_s.arg(call.leftJustified(17), command.summary);
    }
    text += u"\nExit codes: 0 success, 1 refused (the reason is on stderr), 2 bad usage.\n"_s;
    return text;
}

// The help of one command: its call, then what it does, each action of a command with actions on a line
// of its own.
QString CommandUsage(const TCliCommand& command) {
    QString text = u"Usage: kelvo-cli [--install-dir DIR] [--json] [--yes|--no] %1\n\n"_s.arg(
        (command.name + u' ' + command.arguments).trimmed());
    if (command.arguments.startsWith(u"ACTION"_s)) {
        for (const QString& action : command.summary.split(u" | "_s))
            text += u"  %1 %2\n"_s.arg(command.name, action);
    } else {
        text += u"  %1\n"_s.arg(command.summary);
    }
    text += u"\nkelvo-cli --help shows the options and every command.\n"_s;
    return text;
}

int BadUsage(const QString& message) {
    QTextStream(stderr) << message << u"\n\n"_s << Usage() << Qt::flush;
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);

    TCliContext context;
    bool help = false;
    TCliAnswer answer = TCliAnswer::Refuse;
    QString installDir;
    QStringList rest;
    try {
        // Global options may stand anywhere before a "--"; what follows "--" goes to the command as is.
        const qsizetype end = arguments.indexOf(u"--"_s);
        QStringList options = end < 0 ? arguments : arguments.mid(0, end);
        if (const auto dir = TakeOption(options, u"--install-dir"_s)) installDir = *dir;
        help = TakeFlag(options, u"--help"_s) | TakeFlag(options, u"-h"_s);
        if (TakeFlag(options, u"--version"_s)) {
            QTextStream(stdout) << VersionLine(u"kelvo-cli"_s) << Qt::endl;
            return 0;
        }
        context.json = TakeFlag(options, u"--json"_s);
        const bool yes = TakeFlag(options, u"--yes"_s);
        const bool no = TakeFlag(options, u"--no"_s);
        if (yes && no) return BadUsage(u"--yes and --no exclude each other"_s);
        answer = yes ? TCliAnswer::Yes : (no ? TCliAnswer::No : TCliAnswer::Refuse);
        rest = options + (end < 0 ? QStringList() : arguments.mid(end + 1));
    } catch (const TUsageError& e) {
        return BadUsage(e.Message());
    }

    const QVector<TCliCommand> commands = CliCommands();
    const auto find = [&commands](const QString& name) {
        return std::find_if(commands.begin(), commands.end(),
                            [&name](const TCliCommand& c) { return c.name == name; });
    };
    // "--help", "help", "COMMAND --help" and "help COMMAND".
    if (help || rest.value(0) == u"help"_s) {
        const auto command = find(rest.value(rest.value(0) == u"help"_s ? 1 : 0));
        QTextStream(stdout) << (command == commands.end() ? Usage() : CommandUsage(*command)) << Qt::flush;
        return 0;
    }
    if (rest.isEmpty()) return BadUsage(u"No command given"_s);
    const QString name = rest.takeFirst();
    const auto command = find(name);
    if (command == commands.end()) return BadUsage(u"Unknown command: %1"_s.arg(name));

    if (!installDir.isEmpty()) SetInstallationDir(installDir);
    TConsoleUserInterface console(answer);
    InstallUserInterface(&console);
    int exitCode = 1;
    try {
        // info and complete only look: they report (or pass over) a missing installation rather than
        // making one.
        if (command->name != u"info"_s && command->name != u"complete"_s) MakeWorkingInstallation();
        exitCode = command->run(rest, context);
    } catch (const TRefusedValue& e) {
        QTextStream(stderr) << e.Message() << u'\n' << Qt::flush;
        exitCode = 2;
    } catch (const TUsageError& e) {
        exitCode = BadUsage(e.Message());
    } catch (const EAbort&) {
        exitCode = 1;
    } catch (const EKelvoError& e) {
        ShowError(e.Message());
        exitCode = 1;
    }
    InstallUserInterface(nullptr);
    return exitCode;
}
