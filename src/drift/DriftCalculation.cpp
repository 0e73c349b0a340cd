#include "drift/DriftCalculation.h"

#include "domain/Crop.h"
#include "domain/WaterBodyType.h"
#include "drift/Drift.h"
#include "foundation/Errors.h"
#include "store/DataModuleKelvoADO.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int AerialGanzelmeierCode = 7;
// Results: four decimals, at most eight significant digits.
constexpr int ResultPrecision = 8;
constexpr int ResultDecimals = 4;
// Texts with no stated precision keep every significant digit of a double.
constexpr int FullPrecision = 15;

QString FixedResult(double value) {
    return FormatFixed(value, ResultPrecision, ResultDecimals);
}

} // namespace

QString FormatFixed(double value, int precision, int decimals) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    if (!std::isfinite(value)) return locale.toString(value);
    const int integerDigits = value == 0 ? 1 : static_cast<int>(std::floor(std::log10(std::fabs(value)))) + 1;
    if (integerDigits > precision) return locale.toString(value, 'E', precision - 1);
    // Rounded once, to the decimals or the significant digits, whichever leaves fewer; then padded.
    const int shown = std::clamp(precision - integerDigits, 0, decimals);
    QString text = locale.toString(value, 'f', shown);
    if (shown < decimals) {
        if (shown == 0) text += locale.decimalPoint();
        text += QString(decimals - shown, u'0');
    }
    return text;
}

QString FormatNumber(double value, int decimals) {
    return QLocale().toString(value, 'f', decimals);
}

double ReadNumber(const QString& text) {
    bool ok = false;
    const double value = QLocale().toDouble(text.trimmed(), &ok);
    if (!ok) throw EKelvoError(u"'%1' is not a valid floating point value"_s.arg(text));
    return value;
}

TDriftCalculation::TDriftCalculation(TdmKelvoADO& data) : m_data(data) {
    m_texts.edtRate = u"1000"_s;
    m_texts.edtChange = u"13.6"_s;
}

TDriftCalculation::~TDriftCalculation() = default;

// Every field a choice sets is updated before the one recalculation at the end, so a rate that is not a
// number stops only the results: the distances and regression terms always belong to the choices shown.
void TDriftCalculation::SetCrop(const TCrop* crop) {
    m_crop = crop;
    if (m_crop) {
        m_numberEnabled = m_crop->GanzelmeierCode != AerialGanzelmeierCode;
        if (!m_numberEnabled) m_number = 1;
        UpdateApplications();
        UpdateDistanceMode();
    }
    Recalculate();
}

void TDriftCalculation::SetNumberOfApplications(int number) {
    if (!m_numberEnabled) return;
    m_number = std::clamp(number, 1, 8);
    UpdateApplications();
    Recalculate();
}

void TDriftCalculation::UpdateApplications() {
    if (m_crop) FetchRegression();
    m_texts.edtApplications = m_number == 8 ? u"8 or more"_s : QString::number(m_number);
    m_percentile = m_data.GetDriftPercentile(m_number);
    m_texts.edtDrift = QString::number(m_percentile);
}

void TDriftCalculation::FetchRegression() {
    m_regression = m_data.GetRegressionParameters(m_crop->GanzelmeierCode, m_number);
    m_texts.edtRegA = FixedResult(m_regression.A);
    m_texts.edtRegB = FixedResult(m_regression.B);
    m_texts.edtRegC = FixedResult(m_regression.C);
    m_texts.edtRegD = FixedResult(m_regression.D);
    m_texts.edtChange = FormatFixed(static_cast<double>(m_regression.Hinge), FullPrecision, 1);
}

void TDriftCalculation::SetWaterBodyType(const QString& waterBodyCode) {
    m_waterBody = m_data.LoadWaterBodyType(waterBodyCode);
    if (m_waterBody) {
        m_texts.edtWidth = QString::number(m_waterBody->Width);
        m_texts.edtDepth = FormatNumber(m_waterBody->Depth, 2);
        m_texts.edtDistance = FormatNumber(m_waterBody->DistanceBankWater, 2);
        m_texts.edtLength = QString::number(m_waterBody->TotalLength);
    } else {
        m_texts.edtWidth.clear();
        m_texts.edtDepth.clear();
        m_texts.edtDistance.clear();
    }
    UpdateEdgeDistances();
    Recalculate();
}

void TDriftCalculation::SetMitigation(const QString& distance) {
    if (!distance.isEmpty() && !m_data.GetMitigationDistances().contains(distance))
        ReadBufferDistance(distance, FocusDistance().value_or(0));
    m_mitigation = distance;
    UpdateDistanceMode();
    Recalculate();
}

void TDriftCalculation::SetReduction(int reduction) {
    CheckDriftReduction(reduction);
    m_reduction = reduction;
    Recalculate();
}

TMitigation TDriftCalculation::Step4() const {
    TMitigation mitigation;
    mitigation.Reduction = m_reduction;
    if (!FocusValues()) mitigation.Buffer = ReadNumber(m_mitigation);
    return mitigation;
}

std::optional<double> TDriftCalculation::FocusDistance() const {
    if (!m_crop || !m_waterBody) return std::nullopt;
    return m_crop->DistanceCropBank + m_waterBody->DistanceBankWater;
}

std::vector<TCurvePoint> TDriftCalculation::Curve() const {
    if (!m_results.Hinge) return {};
    return DepositionCurve(m_regression, *m_results.Hinge, CurveEnd(Step4()), m_reduction);
}

void TDriftCalculation::SetRate(const QString& rate) {
    m_texts.edtRate = rate;
    Recalculate();
}

// With the FOCUS distances the near edge lies the crop's distance plus the bank's off the crop; with a
// mitigation distance it lies that distance off the crop.
void TDriftCalculation::UpdateDistanceMode() {
    if (!FocusValues())
        m_texts.edtDistanceCrop = m_mitigation;
    else if (m_crop)
        m_texts.edtDistanceCrop = FormatFixed(m_crop->DistanceCropBank, FullPrecision, 2);
    UpdateEdgeDistances();
}

// The edge distances are summed in single precision, as the calculator does. Recomputed whenever a
// distance or the width changes, so a new water body type never keeps the far edge of the old one.
void TDriftCalculation::UpdateEdgeDistances() {
    try {
        double nearSum = ReadNumber(m_texts.edtDistanceCrop);
        if (FocusValues()) nearSum += ReadNumber(m_texts.edtDistance);
        const float nearEdge = static_cast<float>(nearSum);
        const float farEdge =
            static_cast<float>(ReadNumber(m_texts.edtWidth) + static_cast<double>(nearEdge));
        m_texts.edtDistanceCropDrift1 = FormatFixed(static_cast<double>(nearEdge), FullPrecision, 2);
        m_texts.edtDistanceCropDrift2 = FormatFixed(static_cast<double>(farEdge), FullPrecision, 2);
    } catch (const EKelvoError&) {
        m_texts.edtDistanceCropDrift1.clear();
        m_texts.edtDistanceCropDrift2.clear();
    }
}

void TDriftCalculation::Recalculate() {
    if (!m_crop || !m_waterBody) return;
    const double cropDistance = ReadNumber(m_texts.edtDistanceCrop);
    const double hinge = ReadNumber(m_texts.edtChange);
    const double nearEdge = ReadNumber(m_texts.edtDistanceCropDrift1);
    const double farEdge = ReadNumber(m_texts.edtDistanceCropDrift2);
    m_results.CropDistance = cropDistance;
    m_results.Hinge = hinge;
    m_results.NearEdge = nearEdge;
    m_results.FarEdge = farEdge;

    // The mitigated values: at the mitigation distance when one is chosen, reduced by the nozzles.
    const double factor = 1.0 - m_reduction / 100.0;
    m_results.DriftNear = PointDrift(m_regression, hinge, nearEdge) * factor;
    m_texts.edtDrift1 = FixedResult(*m_results.DriftNear);
    m_results.DriftFar = PointDrift(m_regression, hinge, farEdge) * factor;
    m_texts.edtDrift2 = FixedResult(*m_results.DriftFar);

    // The FOCUS crop distance as the calculator shows it with the FOCUS values.
    const double bank = m_waterBody->DistanceBankWater;
    const double focusCrop = ReadNumber(FormatFixed(m_crop->DistanceCropBank, FullPrecision, 2));
    TMitigation mitigation;
    mitigation.Reduction = m_reduction;
    if (!FocusValues()) mitigation.Buffer = cropDistance;
    const double mean = MitigatedDeposition(m_regression, m_waterBody->Width, hinge,
                                            FocusValues() ? cropDistance : focusCrop, bank, mitigation);
    m_results.MeanDeposition = mean;
    m_texts.edtDrift3 = FixedResult(mean);
    const double step3 = MeanDrift(m_regression, m_waterBody->Width, hinge, focusCrop, bank);
    m_results.Step3MeanDeposition = step3;
    m_texts.edtStep3Drift = FixedResult(step3);

    // Without a valid rate no loading is shown: never one that belongs to earlier choices.
    m_results.MassLoading.reset();
    m_results.Concentration.reset();
    m_texts.edtMassLoading.clear();
    m_texts.edtConcentration.clear();
    if (m_texts.edtRate.isEmpty()) return;
    const double massLoading = MassLoading(mean, ReadNumber(m_texts.edtRate));
    m_results.MassLoading = massLoading;
    m_texts.edtMassLoading = FixedResult(massLoading);
    m_results.Concentration = NominalConcentration(massLoading, m_waterBody->Depth);
    m_texts.edtConcentration = FixedResult(*m_results.Concentration);
}
