#pragma once

// One row of the drift regression: deposition (% of rate) is A·x^B before the hinge distance and
// C·x^D from it on, x being the distance from the treated crop (m).
struct TRegressionParameters {
    double A = 0;
    double B = 0;
    double C = 0;
    double D = 0;
    // The hinge distance (m), held in single precision as stored.
    float Hinge = 0;
};
