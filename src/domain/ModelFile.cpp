#include "domain/ModelFile.h"

#include "foundation/Errors.h"

#include <QFile>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

void WriteModelFile(const QString& fileName, const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toLatin1() + "\r\n";
    // Every step is checked, so a file that is not complete is never taken for written.
    QFile file(fileName);
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                         file.write(bytes) == bytes.size() && file.flush();
    const QString reason = file.errorString();
    file.close();
    if (!written || file.error() != QFileDevice::NoError)
        throw EKelvoError(u"Cannot write %1: %2"_s.arg(fileName, reason));
}

QString FixedNumber(double value, int precision, int decimals) {
    if (std::isfinite(value) && std::fabs(value) < std::pow(10.0, precision))
        return QString::number(value, 'f', decimals);
    return QString::number(value, 'E', precision - 1);
}
