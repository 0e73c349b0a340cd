#include "ui/drift/DepositionChart.h"

#include "drift/DriftCalculation.h"

#include <QAreaSeries>
#include <QChart>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr double AxisFloor = 0.01;

QLineSeries* Line(const QString& name, const QColor& colour, Qt::PenStyle style) {
    auto* series = new QLineSeries;
    series->setName(name);
    QPen pen(colour);
    pen.setWidthF(2);
    pen.setStyle(style);
    series->setPen(pen);
    return series;
}

} // namespace

TDepositionChart::TDepositionChart(QWidget* parent) : QChartView(parent) {
    setObjectName(u"chtDeposition"_s);
    setRenderHint(QPainter::Antialiasing);
    setFixedSize(480, 560);
    chart()->setTitle(u"Deposition against the distance from the crop edge"_s);
    chart()->legend()->setAlignment(Qt::AlignBottom);
    chart()->setMargins(QMargins(4, 4, 4, 4));
}

void TDepositionChart::Show(const TDriftCalculation& calculation) {
    QChart& c = *chart();
    c.removeAllSeries();
    for (QAbstractAxis* axis : c.axes()) {
        c.removeAxis(axis);
        delete axis;
    }
    const std::vector<TCurvePoint> curve = calculation.Curve();
    const TDriftCalculation::TResults& r = calculation.Results();
    if (curve.empty() || !r.NearEdge || !r.FarEdge || !r.MeanDeposition) return;

    QLineSeries* step3 = Line(u"Step 3"_s, QColor(0x1f, 0x4e, 0x9a), Qt::SolidLine);
    QLineSeries* reduced =
        calculation.Mitigated() ? Line(u"Mitigated"_s, QColor(0xc0, 0x39, 0x2b), Qt::DashLine) : nullptr;
    double highest = AxisFloor;
    double lowest = curve.front().Step3;
    for (const TCurvePoint& point : curve) {
        step3->append(point.Distance, point.Step3);
        if (reduced) reduced->append(point.Distance, point.Mitigated);
        highest = std::max(highest, point.Step3);
        lowest = std::min(lowest, point.Mitigated);
    }
    const double top = std::min(100.0, highest * 2);
    const double bottom = std::max(1e-6, lowest / 2);

    // The water body's span, from its near to its far edge, shaded over the whole height.
    auto* water = new QAreaSeries;
    auto* upper = new QLineSeries(water);
    upper->append(*r.NearEdge, top);
    upper->append(*r.FarEdge, top);
    auto* lower = new QLineSeries(water);
    lower->append(*r.NearEdge, bottom);
    lower->append(*r.FarEdge, bottom);
    water->setUpperSeries(upper);
    water->setLowerSeries(lower);
    water->setName(u"Water body"_s);
    water->setBrush(QColor(0x5d, 0xad, 0xe2, 90));
    water->setPen(Qt::NoPen);

    // The values the calculator shows: the near and far edge, and the mean in the middle of the water.
    auto* marks = new QScatterSeries;
    marks->setName(u"Near edge, far edge, mean"_s);
    marks->setMarkerSize(9);
    marks->setColor(QColor(0x11, 0x11, 0x11));
    if (r.DriftNear) marks->append(*r.NearEdge, *r.DriftNear);
    if (r.DriftFar) marks->append(*r.FarEdge, *r.DriftFar);
    marks->append((*r.NearEdge + *r.FarEdge) / 2, *r.MeanDeposition);

    auto* distance = new QValueAxis;
    distance->setRange(0, curve.back().Distance);
    distance->setTitleText(u"Distance from the crop edge (m)"_s);
    distance->setLabelFormat(u"%.0f"_s);
    distance->setTickType(QValueAxis::TicksDynamic);
    distance->setTickAnchor(0);
    distance->setTickInterval(10);
    auto* deposition = new QLogValueAxis;
    deposition->setBase(10);
    deposition->setRange(bottom, top);
    deposition->setTitleText(u"% of rate"_s);
    deposition->setLabelFormat(u"%g"_s);
    c.addAxis(distance, Qt::AlignBottom);
    c.addAxis(deposition, Qt::AlignLeft);

    QList<QAbstractSeries*> shown{water, step3};
    if (reduced) shown << reduced;
    shown << marks;
    for (QAbstractSeries* series : shown) {
        c.addSeries(series);
        series->attachAxis(distance);
        series->attachAxis(deposition);
    }
}
