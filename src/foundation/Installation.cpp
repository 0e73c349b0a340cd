#include "foundation/Installation.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

namespace {

QString overriddenDir;
QString overriddenProgramDir;
bool macroAvailable = false;
bool przmAvailable = false;

QString WithOneSeparator(const QString& directory) {
    QString cleaned = QDir::cleanPath(QDir(directory).absolutePath());
    while (cleaned.endsWith(u'/'))
        cleaned.chop(1);
    return cleaned + u'/';
}

} // namespace

QString ProgramDir() {
    if (!overriddenProgramDir.isEmpty()) return overriddenProgramDir;
    return WithOneSeparator(QCoreApplication::applicationDirPath());
}

void SetProgramDir(const QString& directory) {
    overriddenProgramDir = directory.isEmpty() ? QString() : WithOneSeparator(directory);
}

QString ProgramFile(const QString& relativePath) {
    return ProgramDir() + relativePath;
}

QString InstallationDir() {
    if (!overriddenDir.isEmpty()) return overriddenDir;
    const QString home = qEnvironmentVariable("KELVO_HOME");
    if (!home.isEmpty()) return WithOneSeparator(home);
    // The generic location plus the program's name, whatever name the running executable has.
    return WithOneSeparator(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                            u"/Kelvo"_s);
}

void SetInstallationDir(const QString& directory) {
    overriddenDir = directory.isEmpty() ? QString() : WithOneSeparator(directory);
}

void SetModelAvailable(TModelKind kind, bool available) {
    (kind == TModelKind::Macro ? macroAvailable : przmAvailable) = available;
}

bool IsModelAvailable(TModelKind kind) {
    return kind == TModelKind::Macro ? macroAvailable : przmAvailable;
}
