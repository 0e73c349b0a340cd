#include "BenchTiming.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace {

QSqlQuery Run(QSqlDatabase& db, const QString& sql, const QVariantList& params) {
    QSqlQuery query(db);
    query.prepare(sql);
    for (const QVariant& p : params)
        query.addBindValue(p);
    query.exec();
    return query;
}

} // namespace

double Seconds(TClock::time_point start) {
    return std::chrono::duration<double>(TClock::now() - start).count();
}

qint64 SelectText(QSqlDatabase& db, const QString& sql, const QVariantList& params) {
    QSqlQuery query = Run(db, sql, params);
    qint64 characters = 0;
    while (query.next())
        for (int column = 0; column < query.record().count(); ++column)
            characters += query.value(column).toString().size();
    return characters;
}

QStringList SelectColumn(QSqlDatabase& db, const QString& sql, const QVariantList& params) {
    QSqlQuery query = Run(db, sql, params);
    QStringList values;
    while (query.next())
        values << query.value(0).toString();
    return values;
}
