#include "drift/Mitigation.h"

#include "drift/Drift.h"
#include "foundation/Errors.h"

#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr double CurveMinimumEnd = 50.0;
constexpr double CurvePastBuffer = 10.0;
constexpr double CurveStep = 0.25;

QString Metres(double value) {
    return QString::number(value, 'f', 2);
}

QString ReductionList() {
    QStringList texts;
    for (int reduction : DriftReductions())
        texts << QString::number(reduction);
    return texts.join(u", "_s);
}

double ReductionFactor(int reduction) {
    return 1.0 - reduction / 100.0;
}

} // namespace

const QList<int>& DriftReductions() {
    static const QList<int> reductions{0, 50, 75, 90, 95};
    return reductions;
}

void CheckBufferDistance(double buffer, double focusDistance) {
    if (std::isnan(buffer) || buffer < focusDistance)
        throw EKelvoError(
            u"The buffer must be at least the FOCUS distance of %1 m for this crop and water body"_s.arg(
                Metres(focusDistance)));
    if (buffer > MaxBufferDistance)
        throw EKelvoError(u"The buffer of %1 m is too wide: it must lie between %2 m and %3 m"_s.arg(
            QString::number(buffer), Metres(focusDistance), QString::number(MaxBufferDistance)));
}

void CheckDriftReduction(int reduction) {
    if (!DriftReductions().contains(reduction))
        throw EKelvoError(
            u"A drift reduction of %1 % is not a technique class: it must be one of %2 %"_s.arg(reduction).arg(
                ReductionList()));
}

std::optional<double> ReadBufferDistance(const QString& text, double focusDistance) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return std::nullopt;
    bool ok = false;
    double buffer = QLocale::c().toDouble(trimmed, &ok);
    if (!ok) buffer = QLocale().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(buffer))
        throw EKelvoError(u"'%1' is not a buffer distance: give a number of metres from %2 to %3"_s.arg(
            text, Metres(focusDistance), QString::number(MaxBufferDistance)));
    CheckBufferDistance(buffer, focusDistance);
    return buffer;
}

int ReadDriftReduction(const QString& text) {
    QString trimmed = text.trimmed();
    if (trimmed.endsWith(u'%')) trimmed = trimmed.chopped(1).trimmed();
    if (trimmed.isEmpty() || trimmed.compare(u"none"_s, Qt::CaseInsensitive) == 0) return 0;
    bool ok = false;
    const int reduction = trimmed.toInt(&ok);
    if (!ok)
        throw EKelvoError(u"'%1' is not a drift reduction: it must be one of %2 %"_s.arg(text, ReductionList()));
    CheckDriftReduction(reduction);
    return reduction;
}

QString MitigationText(const TMitigation& mitigation) {
    const QString buffer =
        mitigation.Buffer ? u"buffer %1 m"_s.arg(*mitigation.Buffer, 0, 'f', 1) : u"FOCUS distance"_s;
    return u"%1, drift reduction %2 %"_s.arg(buffer).arg(mitigation.Reduction);
}

QString MitigationSummary(const TMitigation& mitigation) {
    if (mitigation.IsStep3()) return {};
    QStringList parts{mitigation.Buffer ? u"%1 m"_s.arg(QString::number(*mitigation.Buffer)) : u"FOCUS"_s};
    if (mitigation.Reduction != 0) parts << u"%1 %"_s.arg(mitigation.Reduction);
    return parts.join(u", "_s);
}

double MitigatedDeposition(const TRegressionParameters& parameters, int width, double hinge, double cropDistance,
                           double bankDistance, const TMitigation& mitigation) {
    double mean = mitigation.Buffer ? MeanDrift(parameters, width, hinge, *mitigation.Buffer, 0)
                                    : MeanDrift(parameters, width, hinge, cropDistance, bankDistance);
    if (mitigation.Reduction != 0) mean *= ReductionFactor(mitigation.Reduction);
    return mean;
}

double CurveEnd(const TMitigation& mitigation) {
    return mitigation.Buffer ? std::max(CurveMinimumEnd, *mitigation.Buffer + CurvePastBuffer) : CurveMinimumEnd;
}

std::vector<TCurvePoint> DepositionCurve(const TRegressionParameters& parameters, double hinge, double end,
                                         int reduction) {
    std::vector<TCurvePoint> curve;
    const int points = static_cast<int>(std::floor(end / CurveStep + 1e-9));
    curve.reserve(static_cast<std::size_t>(std::max(points, 0)));
    const double factor = ReductionFactor(reduction);
    for (int i = 1; i <= points; ++i) {
        const double x = i * CurveStep;
        const double step3 = PointDrift(parameters, hinge, x);
        curve.push_back({x, step3, step3 * factor});
    }
    return curve;
}

QString CurveCsv(const std::vector<TCurvePoint>& curve) {
    QString text = u"Distance (m),Step 3 (% of rate),Mitigated (% of rate)\n"_s;
    for (const TCurvePoint& point : curve)
        text += u"%1,%2,%3\n"_s.arg(QString::number(point.Distance, 'f', 2), QString::number(point.Step3, 'g', 10),
                                     QString::number(point.Mitigated, 'g', 10));
    return text;
}
