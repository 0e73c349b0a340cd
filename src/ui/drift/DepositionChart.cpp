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

QLineSeries* Line(QObject* parent, const QString& name, const QColor& colour, Qt::PenStyle style) {
    auto* series = new QLineSeries(parent);
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
    setRenderHint(QPainter::Antialiasing, false);
    setFixedSize(480, 560);
    QChart& c = *chart();
    c.setTitle(u"Deposition against the distance from the crop edge"_s);
    c.legend()->setAlignment(Qt::AlignBottom);
    c.setMargins(QMargins(4, 4, 4, 4));

    // The water body's span, from its near to its far edge, shaded over the whole height.
    m_water = new QAreaSeries(this);
    m_water->setName(u"Water body"_s);
    m_water->setBrush(QColor(0x5d, 0xad, 0xe2, 90));
    m_water->setPen(Qt::NoPen);
    m_upper = new QLineSeries(m_water);
    m_lower = new QLineSeries(m_water);
    m_water->setUpperSeries(m_upper);
    m_water->setLowerSeries(m_lower);
    m_step3 = Line(this, u"Step 3"_s, QColor(0x1f, 0x4e, 0x9a), Qt::SolidLine);
    m_mitigated = Line(this, u"Mitigated"_s, QColor(0xc0, 0x39, 0x2b), Qt::DashLine);
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
    QList<QPointF> step3;
    QList<QPointF> reduced;
    step3.reserve(static_cast<qsizetype>(curve.size()));
    double highest = AxisFloor;
    double lowest = curve.front().Step3;
    for (const TCurvePoint& point : curve) {
        step3.append({point.Distance, point.Step3});
        if (mitigated) reduced.append({point.Distance, point.Mitigated});
        highest = std::max(highest, point.Step3);
        lowest = std::min(lowest, point.Mitigated);
    }
    const double top = std::min(100.0, highest * 2);
    const double bottom = std::max(1e-6, lowest / 2);
    m_step3->replace(step3);
    m_mitigated->replace(reduced);
    m_upper->replace({{*r.NearEdge, top}, {*r.FarEdge, top}});
    m_lower->replace({{*r.NearEdge, bottom}, {*r.FarEdge, bottom}});
    QList<QPointF> marks;
    if (r.DriftNear) marks.append({*r.NearEdge, *r.DriftNear});
    if (r.DriftFar) marks.append({*r.FarEdge, *r.DriftFar});
    marks.append({(*r.NearEdge + *r.FarEdge) / 2, *r.MeanDeposition});
    m_marks->replace(marks);
    m_distance->setRange(0, curve.back().Distance);
    m_deposition->setRange(bottom, top);
    ShowSeries(m_water, true);
    ShowSeries(m_step3, true);
    ShowSeries(m_mitigated, mitigated);
    ShowSeries(m_marks, true);
}
