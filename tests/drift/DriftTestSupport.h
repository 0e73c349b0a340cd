#pragma once

#include "drift/RegressionParameters.h"
#include "store/CsvReader.h"

#include <QStringList>

#include <cmath>

// An independent check of the mean deposition: the regression integrated numerically (composite
// Simpson) over the water surface, piece by piece on each side of the hinge.
inline double SimpsonIntegral(double a, double b, double x1, double x2) {
    const int slices = 4000;
    const double step = (x2 - x1) / slices;
    double sum = a * std::pow(x1, b) + a * std::pow(x2, b);
    for (int i = 1; i < slices; ++i)
        sum += (i % 2 ? 4 : 2) * a * std::pow(x1 + i * step, b);
    return sum * step / 3;
}

inline double IntegratedMean(const TRegressionParameters& p, double hinge, double nearEdge, double farEdge) {
    double integral = 0;
    if (nearEdge < hinge) integral += SimpsonIntegral(p.A, p.B, nearEdge, std::min(hinge, farEdge));
    if (farEdge > hinge) integral += SimpsonIntegral(p.C, p.D, std::max(hinge, nearEdge), farEdge);
    return integral / (farEdge - nearEdge);
}

inline TCsvTable Reference(const QString& table) {
    return ReadCsvFile(QString::fromUtf8(KELVO_DATA_SOURCE_DIR) + QStringLiteral("/reference/") + table +
                       QStringLiteral(".csv"));
}

// The reference row of a table whose leading cells are the keys.
inline QStringList ReferenceRow(const QString& table, const QStringList& keys) {
    for (const QStringList& row : Reference(table).rows)
        if (row.mid(0, keys.size()) == keys) return row;
    return {};
}

inline TRegressionParameters ReferenceRegression(int code, int applications) {
    const QStringList row =
        ReferenceRow(QStringLiteral("Regression"), {QString::number(code), QString::number(applications)});
    if (row.isEmpty()) return {};
    return {row[2].toDouble(), row[3].toDouble(), row[4].toDouble(), row[5].toDouble(), row[6].toFloat()};
}
