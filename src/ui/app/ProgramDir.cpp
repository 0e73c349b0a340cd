#include "ui/app/ProgramDir.h"

#include <QCoreApplication>
#include <QDir>

namespace {

QString overriddenDir;

QString WithOneSeparator(const QString& directory) {
    QString cleaned = QDir::cleanPath(QDir(directory).absolutePath());
    while (cleaned.endsWith(u'/'))
        cleaned.chop(1);
    return cleaned + u'/';
}

} // namespace

QString ProgramDir() {
    if (!overriddenDir.isEmpty()) return overriddenDir;
    return WithOneSeparator(QCoreApplication::applicationDirPath());
}

void SetProgramDir(const QString& directory) {
    overriddenDir = directory.isEmpty() ? QString() : WithOneSeparator(directory);
}

QString ProgramFile(const QString& relativePath) {
    return ProgramDir() + relativePath;
}
