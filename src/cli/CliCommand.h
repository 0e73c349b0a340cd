#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <exception>
#include <functional>
#include <optional>

// What every command of kelvo-cli gets besides its own arguments.
struct TCliContext {
    // --json: print one JSON document on stdout instead of text.
    bool json = false;
};

// One command of kelvo-cli. run answers the exit code (0 success); it raises EKelvoError for a refusal
// (exit 1) and TUsageError for bad arguments (exit 2).
struct TCliCommand {
    QString name;
    QString arguments; // as shown in the usage, e.g. "[--json]"
    QString summary;
    std::function<int(QStringList arguments, TCliContext& context)> run;
    bool hidden = false; // left out of the usage (a command for the shells' completion)
};

// Registers a command; each command file holds one static registrar:
//   const TCliCommandRegistrar registrar({u"info"_s, u"[--json]"_s, u"..."_s, RunInfo});
class TCliCommandRegistrar {
public:
    explicit TCliCommandRegistrar(TCliCommand command);
};

// Every registered command, ordered by name.
QVector<TCliCommand> CliCommands();

// Bad usage: kelvo-cli shows the text and the usage on stderr and exits with 2.
class TUsageError : public std::exception {
public:
    explicit TUsageError(const QString& message);
    const QString& Message() const { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// A value its option or argument does not take (too long, not a number, out of range): kelvo-cli shows
// only this one line on stderr and exits with 2.
class TRefusedValue : public TUsageError {
public:
    using TUsageError::TUsageError;
};

// Removes a flag from the arguments; answers whether it was there.
bool TakeFlag(QStringList& arguments, const QString& flag);
// Removes an option with its value ("--name VALUE" or "--name=VALUE"); none when absent. Raises
// TUsageError when the value is missing.
std::optional<QString> TakeOption(QStringList& arguments, const QString& option);
// Raises TUsageError when arguments are left over.
void RequireNoArguments(const QStringList& arguments);
