#include "store/SchemaCheck.h"

#include "foundation/Errors.h"
#include "store/Connection.h"

#include <QFileInfo>
#include <QSet>

using namespace Qt::Literals::StringLiterals;

namespace {

// Every column of every table and view of one schema of the connection, as (table, column) rows.
TSqlResult Columns(TConnection& connection, const QString& schema) {
    return connection.Select(
        u"SELECT t.name, c.name FROM \"%1\".sqlite_master t, pragma_table_info(t.name, '%1') c "
        u"WHERE t.type IN ('table', 'view') AND t.name NOT LIKE 'sqlite!_%' ESCAPE '!' "
        u"ORDER BY t.rowid, c.cid"_s.arg(schema));
}

QString Key(const QVariant& table, const QVariant& column) {
    return table.toString().toLower() + u'.' + column.toString().toLower();
}

} // namespace

QStringList MissingSchemaParts(TConnection& connection, const QString& referenceFile) {
    if (!QFileInfo(referenceFile).isFile()) return {};
    QSet<QString> tables;
    QSet<QString> columns;
    for (const TSqlRow& row : Columns(connection, u"main"_s).rows) {
        tables.insert(row[0].toString().toLower());
        columns.insert(Key(row[0], row[1]));
    }
    connection.Execute(u"ATTACH DATABASE ? AS reference"_s,
                       {SqliteUri(referenceFile, TemplateMode)});
    TSqlResult reference;
    try {
        reference = Columns(connection, u"reference"_s);
    } catch (...) {
        connection.Execute(u"DETACH DATABASE reference"_s);
        throw;
    }
    connection.Execute(u"DETACH DATABASE reference"_s);
    QStringList missing;
    for (const TSqlRow& row : std::as_const(reference.rows)) {
        const QString table = row[0].toString();
        const QString part = tables.contains(table.toLower()) ? u"column %1.%2"_s.arg(table, row[1].toString())
                                                              : u"table "_s + table;
        if (!columns.contains(Key(row[0], row[1])) && !missing.contains(part)) missing << part;
    }
    return missing;
}

void CheckSchemaLike(TConnection& connection, const QString& referenceFile) {
    const QStringList missing = MissingSchemaParts(connection, referenceFile);
    if (!missing.isEmpty())
        throw EKelvoError(u"%1 is damaged: missing %2"_s.arg(QFileInfo(connection.FileName()).absoluteFilePath(),
                                                              missing.join(u", "_s)));
}
