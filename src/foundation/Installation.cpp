#include "foundation/Installation.h"

#include <QCoreApplication>
#include <QDir>

namespace {

QString overriddenDir;
bool macroAvailable = false;
bool przmAvailable = false;

QString WithOneSeparator(const QString& directory) {
    QString cleaned = QDir::cleanPath(QDir(directory).absolutePath());
    while (cleaned.endsWith(u'/'))
        cleaned.chop(1);
    return cleaned + u'/';
}

} // namespace

QString InstallationDir() {
    if (!overriddenDir.isEmpty()) return overriddenDir;
    return WithOneSeparator(QCoreApplication::applicationDirPath());
}

void SetInstallationDir(const QString& directory) {
    overriddenDir = directory.isEmpty() ? QString() : WithOneSeparator(directory);
}

void SetModelAvailable(TModelKind kind, bool available) {
    (kind == TModelKind::Macro ? macroAvailable : przmAvailable) = available;
}

bool IsModelAvailable(TModelKind kind) { return kind == TModelKind::Macro ? macroAvailable : przmAvailable; }
