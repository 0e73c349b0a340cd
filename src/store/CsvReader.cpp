#include "store/CsvReader.h"

#include "foundation/Errors.h"

#include <QFile>

using namespace Qt::Literals::StringLiterals;

QVector<TCsvRow> SplitCsvRows(const QString& text, const QString& source, QChar separator, int firstLine) {
    QVector<TCsvRow> rows;
    TCsvRow row{firstLine, {}};
    QString cell;
    bool quoted = false;
    bool rowHasContent = false;
    int line = firstLine;
    auto endRow = [&] {
        if (rowHasContent) {
            row.cells << cell;
            rows << row;
        }
        row = TCsvRow{line + 1, {}};
        cell.clear();
        rowHasContent = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text.at(i + 1) == u'"') {
                cell += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                if (c == u'\n') ++line;
                cell += c;
            }
        } else if (c == u'"') {
            quoted = true;
            rowHasContent = true;
        } else if (c == separator) {
            row.cells << cell;
            cell.clear();
            rowHasContent = true;
        } else if (c == u'\n') {
            endRow();
            ++line;
        } else if (c != u'\r') {
            cell += c;
            rowHasContent = true;
        }
    }
    if (quoted) throw EKelvoError(u"%1, line %2: unclosed quote"_s.arg(source).arg(row.line));
    endRow();
    return rows;
}

TCsvTable ParseCsv(const QString& text, const QString& source) {
    QVector<TCsvRow> raw = SplitCsvRows(text.startsWith(QChar(0xFEFF)) ? text.mid(1) : text, source);
    TCsvTable table;
    if (raw.isEmpty()) throw EKelvoError(u"%1: no header row"_s.arg(source));
    table.header = raw.takeFirst().cells;
    for (const TCsvRow& row : std::as_const(raw)) {
        if (row.cells.size() != table.header.size())
            throw EKelvoError(u"%1, line %2: %3 cells where the header has %4"_s.arg(source)
                                  .arg(row.line)
                                  .arg(row.cells.size())
                                  .arg(table.header.size()));
        table.rows << row.cells;
    }
    return table;
}

TCsvTable ReadCsvFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EKelvoError(u"Cannot read %1: %2"_s.arg(fileName, file.errorString()));
    return ParseCsv(QString::fromUtf8(file.readAll()), fileName);
}
