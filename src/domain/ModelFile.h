#pragma once

#include <QString>
#include <QStringList>

// A text file a model or the user reads: single-byte (Latin-1) lines with CRLF ends. A file that cannot
// be written completely raises EKelvoError with the system's reason.
void WriteModelFile(const QString& fileName, const QStringList& lines);
// Writes the file beside the old one and puts it in its place only when complete: a full disk or a
// killed process leaves the previous file as it was. Raises "Cannot write <file>: <reason>".
void WriteWholeFile(const QString& fileName, const QByteArray& bytes);

// A number in fixed notation with the given decimals and always a decimal point; a value with more
// integer digits than the precision comes out in exponent form.
QString FixedNumber(double value, int precision, int decimals);
