#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// A comma-separated table: a header row and the data rows, every row as many cells as the header.
struct TCsvTable {
    QStringList header;
    QVector<QStringList> rows;
};

// A row of cells and the line it starts on.
struct TCsvRow {
    int line;
    QStringList cells;
};

// Splits text into rows of cells at the separator: fields may be quoted, a doubled quote inside quotes
// is one quote, lines end in LF or CRLF, blank lines are skipped; firstLine numbers the text's first
// line. Raises EKelvoError naming the source and line on an unclosed quote.
QVector<TCsvRow> SplitCsvRows(const QString& text, const QString& source, QChar separator = u',',
                              int firstLine = 1);

// Parses UTF-8 comma-separated text: fields may be quoted ("a, b"), a doubled quote inside quotes is
// one quote, lines end in LF or CRLF, blank lines are skipped. Raises EKelvoError naming the source and
// line on an unclosed quote or a row whose cell count differs from the header's.
TCsvTable ParseCsv(const QString& text, const QString& source);
// Reads and parses a CSV file.
TCsvTable ReadCsvFile(const QString& fileName);
