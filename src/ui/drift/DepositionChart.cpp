#include "ui/drift/DepositionChart.h"

#include "drift/DriftCalculation.h"
#include "drift/Mitigation.h"

#include <QAreaSeries>
#include <QChart>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr double AxisFloor = 0.01;
// A point of the curve is left out where the line drawn past it misses it by no more than this share of
// the plot's height: half a pixel.
constexpr double DrawingTolerance = 0.001;

QLineSeries* Line(QObject* parent, const QString& name, const QColor& colour) {
    auto* series = new QLineSeries(parent);
    series->setName(name);
    QPen pen(colour);
    pen.setWidthF(2);
    series->setPen(pen);
    return series;
}

// The points of the curve it is drawn through, on the plot's scales (distance, and log of the
// deposition over the decades shown): a point is left out where the line between the points kept
// before and after it passes within the drawing tolerance of it.
QVector<std::size_t> DrawnPoints(const std::vector<TCurvePoint>& curve, double decades) {
    QVector<QPointF> at;
    at.reserve(static_cast<qsizetype>(curve.size()));
    const double width = curve.back().Distance;
    for (const TCurvePoint& point : curve)
        at.append({point.Distance / width, std::log10(point.Step3) / decades});
    QVector<std::size_t> kept{0};
    std::size_t anchor = 0;
    for (std::size_t last = 2; last < curve.size(); ++last) {
        const QPointF a = at[anchor];
        const QPointF c = at[last];
        for (std::size_t i = anchor + 1; i < last; ++i) {
            const QPointF b = at[i];
            const double onLine = a.y() + (b.x() - a.x()) / (c.x() - a.x()) * (c.y() - a.y());
            if (std::fabs(onLine - b.y()) > DrawingTolerance) {
                kept << last - 1;
                anchor = last - 1;
                break;
            }
        }
    }
    if (curve.size() > 1) kept << curve.size() - 1;
    return kept;
}

// Replaces the points only when they differ: a series left as it was is not drawn again.
void Replace(QXYSeries& series, const QList<QPointF>& points) {
    if (series.points() != points) series.replace(points);
}

} // namespace

TDepositionChart::TDepositionChart(QWidget* parent) : QChartView(parent) {
    setObjectName(u"chtDeposition"_s);
    setRenderHint(QPainter::Antialiasing, false);
    // The curves span the plot: one rectangle round what changed repaints faster than their exact parts.
    setViewportUpdateMode(QGraphicsView::BoundingRectViewportUpdate);
    setFixedSize(480, 560);
    QChart& c = *chart();
    c.setTitle(u"Deposition against the distance from the crop edge"_s);
    c.legend()->setAlignment(Qt::AlignBottom);
    c.setMargins(QMargins(4, 4, 4, 4));
    // A plain background: the theme's rounded, shaded one costs more to paint than the curves.
    c.setBackgroundBrush(Qt::white);
    c.setBackgroundRoundness(0);
    c.setPlotAreaBackgroundVisible(false);

    // The water body's span, from its near to its far edge, shaded over the whole height in an opaque
    // colour: a translucent one is blended again at every change of the curves.
    m_water = new QAreaSeries(this);
    m_water->setName(u"Water body"_s);
    m_water->setBrush(QColor(0xc8, 0xe3, 0xf5));
    m_water->setPen(Qt::NoPen);
    m_upper = new QLineSeries(m_water);
    m_lower = new QLineSeries(m_water);
    m_water->setUpperSeries(m_upper);
    m_water->setLowerSeries(m_lower);
    m_step3 = Line(this, u"Step 3"_s, QColor(0x1f, 0x4e, 0x9a));
    m_mitigated = Line(this, u"Mitigated"_s, QColor(0xc0, 0x39, 0x2b));
    // The values the calculator shows: the near and far edge, and the mean in the middle of the water.
    m_marks = new QScatterSeries(this);
    m_marks->setName(u"Near edge, far edge, mean"_s);
    m_marks->setMarkerSize(9);
    m_marks->setColor(QColor(0x11, 0x11, 0x11));

    m_distance = new QValueAxis(this);
    m_distance->setTitleText(u"Distance from the crop edge (m)"_s);
    m_distance->setLabelFormat(u"%.0f"_s);
    m_distance->setTickType(QValueAxis::TicksDynamic);
    m_distance->setTickAnchor(0);
    m_distance->setTickInterval(10);
    m_deposition = new QLogValueAxis(this);
    m_deposition->setBase(10);
    m_deposition->setTitleText(u"% of rate"_s);
    m_deposition->setLabelFormat(u"%g"_s);
}

// A series is in the chart, in its place, only while it has something to show.
void TDepositionChart::ShowSeries(QAbstractSeries* series, bool shown) {
    QChart& c = *chart();
    if (c.series().contains(series) == shown) return;
    if (!shown) {
        c.removeSeries(series);
        series->setParent(this);
        return;
    }
    // The series keep their order: water, Step 3, mitigated, marks.
    QList<QAbstractSeries*> order{m_water, m_step3, m_mitigated, m_marks};
    QList<QAbstractSeries*> after;
    for (qsizetype i = order.indexOf(series) + 1; i < order.size(); ++i)
        if (c.series().contains(order[i])) after << order[i];
    for (QAbstractSeries* s : after) {
        c.removeSeries(s);
        s->setParent(this);
    }
    for (QAbstractSeries* s : QList<QAbstractSeries*>{series} + after) {
        c.addSeries(s);
        if (c.axes().isEmpty()) {
            c.addAxis(m_distance, Qt::AlignBottom);
            c.addAxis(m_deposition, Qt::AlignLeft);
        }
        s->attachAxis(m_distance);
        s->attachAxis(m_deposition);
    }
}

void TDepositionChart::Show(const TDriftCalculation& calculation) {
    const std::vector<TCurvePoint> curve = calculation.Curve();
    const TDriftCalculation::TResults& r = calculation.Results();
    const bool drawn = !curve.empty() && r.NearEdge && r.FarEdge && r.MeanDeposition;
    if (!drawn) {
        for (QAbstractSeries* series : QList<QAbstractSeries*>{m_water, m_step3, m_mitigated, m_marks})
            ShowSeries(series, false);
        return;
    }
    const bool mitigated = calculation.Mitigated();
    double highest = AxisFloor;
    double lowest = curve.front().Step3;
    for (const TCurvePoint& point : curve) {
        highest = std::max(highest, point.Step3);
        lowest = std::min(lowest, point.Step3);
    }
    const double top = std::min(100.0, highest * 2);
    // Room below the Step 3 curve for the strongest reduction: choosing a reduction moves the mitigated
    // curve, never the axis.
    const double strongest = 1.0 - DriftReductions().back() / 100.0;
    const double bottom = std::max(1e-6, lowest * strongest / 2);
    // The mitigated curve is the Step 3 curve shifted on the logarithmic axis: the same points draw it.
    QList<QPointF> step3;
    QList<QPointF> reduced;
    for (const std::size_t i : DrawnPoints(curve, std::log10(top / bottom))) {
        step3.append({curve[i].Distance, curve[i].Step3});
        if (mitigated) reduced.append({curve[i].Distance, curve[i].Mitigated});
    }
    Replace(*m_step3, step3);
    Replace(*m_mitigated, reduced);
    Replace(*m_upper, {{*r.NearEdge, top}, {*r.FarEdge, top}});
    Replace(*m_lower, {{*r.NearEdge, bottom}, {*r.FarEdge, bottom}});
    QList<QPointF> marks;
    if (r.DriftNear) marks.append({*r.NearEdge, *r.DriftNear});
    if (r.DriftFar) marks.append({*r.FarEdge, *r.DriftFar});
    marks.append({(*r.NearEdge + *r.FarEdge) / 2, *r.MeanDeposition});
    Replace(*m_marks, marks);
    m_distance->setRange(0, curve.back().Distance);
    m_deposition->setRange(bottom, top);
    ShowSeries(m_water, true);
    ShowSeries(m_step3, true);
    ShowSeries(m_mitigated, mitigated);
    ShowSeries(m_marks, true);
}
