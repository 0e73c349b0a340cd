#include "foundation/ModelVersions.h"

#include "foundation/Errors.h"
#include "foundation/Installation.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace {

QString LineValue(TModel model, const QString& line) {
    const qsizetype equals = line.indexOf(u'=');
    if (equals >= 0) return line.mid(equals + 1).trimmed();
    return model == TModel::Macro ? line.trimmed() : line;
}

} // namespace

QString ModelDirName(TModel model) {
    switch (model) {
    case TModel::Toxswa:
        return u"TOXSWA"_s;
    case TModel::Macro:
        return u"MACRO"_s;
    case TModel::Przm:
        return u"PRZM"_s;
    }
    return {};
}

TModelVersions ReadVersionFile(TModel model, const QString& fileName) {
    TModelVersions versions;
    if (!QFileInfo(fileName).isFile()) {
        versions.model = versions.shell = versions.data = QString::fromUtf16(NotInstalledText);
        return versions;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw EKelvoError(u"Cannot read %1: %2"_s.arg(fileName, file.errorString()));
    const int linesNeeded = model == TModel::Toxswa ? 3 : 4;
    QStringList lines;
    while (lines.size() < linesNeeded && !file.atEnd()) {
        QString line = QString::fromLatin1(file.readLine());
        if (line.endsWith(u'\n')) line.chop(1);
        lines << line;
    }
    auto value = [&](int lineNumber) {
        return lineNumber <= lines.size() ? LineValue(model, lines[lineNumber - 1]) : QString();
    };
    versions.installed = true;
    versions.model = value(2);
    versions.shell = value(3);
    versions.data = model == TModel::Toxswa ? QString::fromUtf16(KelvoDatabaseVersion) : value(4);
    return versions;
}

TModelVersions ReadModelVersions(TModel model) {
    return ReadVersionFile(model, InstallationDir() + ModelDirName(model) + u"/versionnum.dat"_s);
}
