#pragma once

#include "drift/RegressionParameters.h"

#include <QList>
#include <QString>
#include <optional>
#include <vector>

// Step 4 spray-drift mitigation: a no-spray buffer wider than the FOCUS distance and drift-reducing
// nozzles. The buffer is the distance (m) from the crop edge to the near edge of the water; the
// reduction is the drift-reducing technique class (%).

inline constexpr double MaxBufferDistance = 100.0;

// The drift-reducing technique classes in use: 0 (none), 50, 75, 90 and 95 %.
const QList<int>& DriftReductions();

struct TMitigation {
    // None: the FOCUS Step 3 distances.
    std::optional<double> Buffer;
    int Reduction = 0;

    bool IsStep3() const { return !Buffer && Reduction == 0; }
    bool operator==(const TMitigation&) const = default;
};

// Raise EKelvoError with the message naming the value and the allowed range when refused.
// focusDistance is the FOCUS distance from the crop edge to the near edge of the water.
void CheckBufferDistance(double buffer, double focusDistance);
void CheckDriftReduction(int reduction);
// A buffer or reduction as typed; an empty text is none (Step 3 distances, no reduction). Refused as
// the checks above, or as not a number.
std::optional<double> ReadBufferDistance(const QString& text, double focusDistance);
int ReadDriftReduction(const QString& text);

// "buffer 10.0 m, drift reduction 75 %"; "FOCUS distance" stands for no buffer.
QString MitigationText(const TMitigation& mitigation);
// The short form of a grid: "10 m, 75 %", "10 m", "FOCUS, 50 %"; empty at Step 3.
QString MitigationSummary(const TMitigation& mitigation);

// The mean deposition (% of rate) over a water body of the width whose near edge lies cropDistance +
// bankDistance off the crop (the FOCUS Step 3 distances): without mitigation exactly MeanDrift; with a
// buffer the near edge lies at the buffer instead; then reduced by the drift reduction.
double MitigatedDeposition(const TRegressionParameters& parameters, int width, double hinge, double cropDistance,
                           double bankDistance, const TMitigation& mitigation);

// The deposition curve: % of the rate against the distance from the crop edge, without and with the
// drift reduction.
struct TCurvePoint {
    double Distance;
    double Step3;
    double Mitigated;
};
// The curve ends at 50 m, or 10 m past the buffer when that is farther.
double CurveEnd(const TMitigation& mitigation);
// Points every quarter metre from a quarter metre up to the end.
std::vector<TCurvePoint> DepositionCurve(const TRegressionParameters& parameters, double hinge, double end,
                                         int reduction);
// The curve as CSV text: a header line, then distance, Step 3 and mitigated deposition per line.
QString CurveCsv(const std::vector<TCurvePoint>& curve);
