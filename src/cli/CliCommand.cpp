#include "cli/CliCommand.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

QVector<TCliCommand>& Registry() {
    static QVector<TCliCommand> commands;
    return commands;
}

} // namespace

TCliCommandRegistrar::TCliCommandRegistrar(TCliCommand command) {
    Registry().append(std::move(command));
}

QVector<TCliCommand> CliCommands() {
    QVector<TCliCommand> commands = Registry();
    std::sort(commands.begin(), commands.end(),
              [](const TCliCommand& a, const TCliCommand& b) { return a.name < b.name; });
    return commands;
}

TUsageError::TUsageError(const QString& message) : m_message(message), m_utf8(message.toUtf8()) {}

bool TakeFlag(QStringList& arguments, const QString& flag) {
    return arguments.removeAll(flag) > 0;
}

std::optional<QString> TakeOption(QStringList& arguments, const QString& option) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == option) {
            if (i + 1 >= arguments.size()) throw TUsageError(u"%1 needs a value"_s.arg(option));
            const QString value = arguments[i + 1];
            arguments.remove(i, 2);
            return value;
        }
        if (arguments[i].startsWith(option + u'=')) {
            const QString value = arguments[i].mid(option.size() + 1);
            arguments.remove(i);
            return value;
        }
    }
    return std::nullopt;
}

void RequireNoArguments(const QStringList& arguments) {
    if (!arguments.isEmpty()) throw TUsageError(u"Unexpected argument: %1"_s.arg(arguments.first()));
}
