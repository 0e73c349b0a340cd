#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <chrono>

// What every benchmark measures with: wall time and the raw QSqlQuery reads of its baselines.

using TClock = std::chrono::steady_clock;

// Seconds since the start.
double Seconds(TClock::time_point start);

// Runs the statement with its parameters and takes every value of every row as text; answers the number
// of characters read, so that nothing is optimised away.
qint64 SelectText(QSqlDatabase& db, const QString& sql, const QVariantList& params = {});
// The first column of every row of the statement.
QStringList SelectColumn(QSqlDatabase& db, const QString& sql, const QVariantList& params = {});
