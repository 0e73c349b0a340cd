#pragma once

#include <QChartView>

class TDriftCalculation;

// The deposition curve of the drift calculator: % of the rate (logarithmic) against the distance from
// the crop edge, the water body's span shaded, the Step 3 curve and, with a mitigation, the mitigated
// curve, and the near-edge, far-edge and mean values marked.
class TDepositionChart : public QChartView {
    Q_OBJECT

public:
    explicit TDepositionChart(QWidget* parent = nullptr);

    // Draws the curve of the calculation's choices; empty until it has a crop and a water body.
    void Show(const TDriftCalculation& calculation);
};
