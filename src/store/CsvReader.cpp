#include "store/CsvReader.h"

#include "foundation/Errors.h"

#include <QFile>

using namespace Qt::Literals::StringLiterals;

namespace {

// Splits the text into rows of cells; each row remembers the line it starts on.
struct TRawRow {
    int line;
    QStringList cells;
};

QVector<TRawRow> SplitRows(const QString& text, const QString& source) {
    QVector<TRawRow> rows;
    TRawRow row{1, {}};
    QString cell;
    bool quoted = false;
    bool rowHasContent = false;
    int line = 1;
    auto endRow = [&] {
        if (rowHasContent) {
            row.cells << cell;
            rows << row;
        }
        row = TRawRow{line + 1, {}};
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
        } else if (c == u',') {
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

} // namespace

TCsvTable ParseCsv(const QString& text, const QString& source) {
    QVector<TRawRow> raw = SplitRows(text.startsWith(QChar(0xFEFF)) ? text.mid(1) : text, source);
    TCsvTable table;
    if (raw.isEmpty()) throw EKelvoError(u"%1: no header row"_s.arg(source));
    table.header = raw.takeFirst().cells;
    for (const TRawRow& row : std::as_const(raw)) {
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
