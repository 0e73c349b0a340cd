#pragma once

#include "drift/RegressionParameters.h"

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
