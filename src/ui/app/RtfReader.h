#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

// Reads the rich-text subset of the texts Kelvo ships into a document: paragraphs (\par, \pard, \line),
// bold (\b, \b0), italic (\i, \i0), font size (\fsN in half points), \plain, alignment (\ql, \qc, \qr,
// \qj), tabs, escaped characters (\\ \{ \} \'hh in Windows-1252, \uN), groups. Font and colour tables,
// other destinations ({\* ...}) and unknown control words are skipped. Raises EKelvoError "line N: ..."
// when the text is not rich text or its groups do not balance.
void ReadRtf(const QByteArray& rtf, QTextDocument* document);
// Reads a rich-text file; a missing or unreadable file raises EKelvoError with the file error, a text
// ReadRtf refuses "<file>, line N: ...".
void ReadRtfFile(const QString& fileName, QTextDocument* document);
