#include "domain/ModelFile.h"

#include "foundation/Errors.h"

#include <QSaveFile>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

void WriteModelFile(const QString& fileName, const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toLatin1() + "\r\n";
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw EKelvoError(u"Cannot write %1: %2"_s.arg(fileName, file.errorString()));
}

QString FixedNumber(double value, int precision, int decimals) {
    if (std::isfinite(value) && std::fabs(value) < std::pow(10.0, precision))
        return QString::number(value, 'f', decimals);
    return QString::number(value, 'E', precision - 1);
}
