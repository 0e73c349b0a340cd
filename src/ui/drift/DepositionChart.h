#pragma once

#include <QChartView>

class QAreaSeries;
class QLineSeries;
class QLogValueAxis;
class QScatterSeries;
class QValueAxis;
class TDriftCalculation;

// The deposition curve of the drift calculator: % of the rate (logarithmic) against the distance from
// the crop edge, the water body's span shaded, the Step 3 curve and, with a mitigation, the mitigated
// curve, and the near-edge, far-edge and mean values marked. The series are made once; a recalculation
// only replaces their points.
class TDepositionChart : public QChartView {
    Q_OBJECT

public:
    explicit TDepositionChart(QWidget* parent = nullptr);

    // Draws the curve of the calculation's choices; empty until it has a crop and a water body.
    void Show(const TDriftCalculation& calculation);

private:
    void ShowSeries(QAbstractSeries* series, bool shown);

    QAreaSeries* m_water;
    QLineSeries* m_upper;
    QLineSeries* m_lower;
    QLineSeries* m_step3;
    QLineSeries* m_mitigated;
    QScatterSeries* m_marks;
    QValueAxis* m_distance;
    QLogValueAxis* m_deposition;
};
