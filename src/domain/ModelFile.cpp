#include "domain/ModelFile.h"

#include "foundation/Errors.h"

#include <QSaveFile>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

void WriteModelFile(const QString& fileName, const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toLatin1() + "\r\n";
    WriteWholeFile(fileName, bytes);
}

void WriteWholeFile(const QString& fileName, const QByteArray& bytes) {
    // Unbuffered, so that a failing write is seen by the write itself (a buffered one failing at commit
    // still replaced the file); a short write is continued, so that the system names the reason.
    QSaveFile file(fileName);
    bool written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    for (qint64 done = 0; written && done < bytes.size();) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        written = n > 0;
        done += n;
    }
    if (!written || !file.commit())
        throw EKelvoError(u"Cannot write %1: %2"_s.arg(fileName, file.errorString()));
}

QString FixedNumber(double value, int precision, int decimals) {
    if (std::isfinite(value) && std::fabs(value) < std::pow(10.0, precision))
        return QString::number(value, 'f', decimals);
    return QString::number(value, 'E', precision - 1);
}
