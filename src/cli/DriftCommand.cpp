// kelvo-cli drift: the drift calculator's numbers for a crop, a number of applications, a water body
// type, the FOCUS or a mitigation distance, a drift reduction and a rate, and the deposition curve; with
// --method, the drift loading of one application of a run made with that application method.

#include "cli/CliCommand.h"
#include "cli/CliScenario.h"
#include "cli/JsonOutput.h"
#include "cli/ScenarioArguments.h"
#include "domain/Crop.h"
#include "domain/WaterBodyType.h"
#include "drift/Drift.h"
#include "drift/DriftCalculation.h"
#include "foundation/ConcreteCollections.h"
#include "foundation/Errors.h"
#include "store/DataModuleKelvoADO.h"

#include <QSaveFile>
#include <QTextStream>

using namespace Qt::Literals::StringLiterals;

namespace {

// The calculator offers one to "8 or more" applications.
constexpr int MaxApplications = 8;

int Applications(const std::optional<QString>& text) {
    if (!text) return 1;
    bool ok = false;
    const int number = text->toInt(&ok);
    if (!ok || number < 1) throw TRefusedValue(u"--apps needs a whole number of at least 1: %1"_s.arg(*text));
    return number;
}

// The listed mitigation distance of that many metres; any other distance as typed, a buffer.
QString MitigationDistance(const QStringList& distances, const QString& text) {
    bool ok = false;
    const double metres = text.toDouble(&ok);
    for (const QString& distance : distances)
        if (ok && distance.toDouble() == metres) return distance;
    return text;
}

void WriteCurve(const QString& file, const std::vector<TCurvePoint>& curve) {
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(CurveCsv(curve).toUtf8()) < 0 || !out.commit())
        throw EKelvoError(u"Cannot write the curve to %1: %2"_s.arg(file, out.errorString()));
}

QJsonValue Json(const std::optional<double>& value) {
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

// A number as a field shows it; null for an empty field.
QJsonValue Shown(const QString& text) {
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(ReadNumber(text));
}

int RunMethod(TdmKelvoADO& dm, const QString& methodText, const TCrop* crop, const QStringList& waterCodes,
              const QString& waterText, int applications, const QString& rateText,
              const TCliContext& context) {
    const QString method = FindListed(dm.ApplicationMethodList(-1), methodText, u"application method"_s);
    const std::unique_ptr<TWaterBodyType> water =
        dm.LoadWaterBodyType(FindListed(waterCodes, waterText, u"water body type"_s));
    double mean = 0;
    double mass = 0;
    double concentration = 0;
    const bool drift = CalculateDriftLoading(dm, method, applications, crop, water.get(),
                                             ReadNumber(rateText), mean, mass, concentration);
    if (context.json) {
        PrintJson({{u"drift"_s, drift},
                   {u"meanDeposition"_s, mean},
                   {u"massLoading"_s, mass},
                   {u"concentration"_s, concentration}});
        return 0;
    }
    QTextStream out(stdout);
    out << u"Drift: "_s << (drift ? u"yes"_s : u"no"_s) << Qt::endl
        << u"Areic mean deposition (% of application rate): "_s << mean << Qt::endl
        << u"Mass loading (mg per m2 of water surface area): "_s << mass << Qt::endl
        << u"Nominal concentration (ug/L): "_s << concentration << Qt::endl;
    return 0;
}

void PrintCalculation(const TDriftCalculation& calculation) {
    const TDriftCalculation::TTexts& t = calculation.Texts();
    QTextStream out(stdout);
    const auto line = [&out](const QString& label, const QString& value) {
        out << label.leftJustified(40) << value << Qt::endl;
    };
    line(u"Crop:"_s, calculation.Crop()->CropCode);
    line(u"Number of Applications:"_s, t.edtApplications);
    line(u"Waterbody:"_s,
         calculation.WaterBodyType() ? calculation.WaterBodyType()->WaterBodyCode : QString());
    line(u"Distances:"_s, calculation.FocusValues() ? u"FOCUS values"_s : calculation.Mitigation());
    line(u"Application Rate (g ai/ha):"_s, t.edtRate);
    line(u"Regression parameters A, B, C, D:"_s,
         u"%1  %2  %3  %4"_s.arg(t.edtRegA, t.edtRegB, t.edtRegC, t.edtRegD));
    line(u"Distance for change in regression (m):"_s, t.edtChange);
    line(u"Width, depth, length (m):"_s, u"%1  %2  %3"_s.arg(t.edtWidth, t.edtDepth, t.edtLength));
    line(u"Distance crop - top of bank (m):"_s, t.edtDistanceCrop);
    if (calculation.FocusValues()) line(u"Distance top of bank - water (m):"_s, t.edtDistance);
    line(u"Drift percentile per event:"_s, t.edtDrift);
    line(u"Distance from crop (m), near and far:"_s,
         u"%1  %2"_s.arg(t.edtDistanceCropDrift1, t.edtDistanceCropDrift2));
    line(u"% of application rate, near, far, mean:"_s,
         u"%1  %2  %3"_s.arg(t.edtDrift1, t.edtDrift2, t.edtDrift3));
    if (calculation.Mitigated()) {
        line(u"Drift reduction (%):"_s, QString::number(calculation.Reduction()));
        line(u"Step 3 mean (% of application rate):"_s, t.edtStep3Drift);
    }
    line(u"Mass loading (mg/m2):"_s, t.edtMassLoading);
    line(u"Nominal concentration (ug/L):"_s, t.edtConcentration);
}

int RunDrift(QStringList arguments, TCliContext& context) {
    const std::optional<QString> methodText = TakeOption(arguments, u"--method"_s);
    const std::optional<QString> cropText = TakeOption(arguments, u"--crop"_s);
    const std::optional<QString> waterText = TakeOption(arguments, u"--water"_s);
    const int applications = Applications(TakeOption(arguments, u"--apps"_s));
    const QString rate = TakeOption(arguments, u"--rate"_s).value_or(u"1000"_s);
    const std::optional<QString> mitigation = TakeOption(arguments, u"--mitigation"_s);
    const std::optional<QString> reduction = TakeOption(arguments, u"--reduction"_s);
    const std::optional<QString> curveFile = TakeOption(arguments, u"--curve"_s);
    RequireNoArguments(arguments);
    if (!cropText) throw TUsageError(u"--crop is missing"_s);
    if ((methodText || curveFile) && !waterText) throw TUsageError(u"--water is missing"_s);
    for (const auto& [option, given] : {std::pair{u"--mitigation"_s, mitigation.has_value()},
                                        std::pair{u"--reduction"_s, reduction.has_value()},
                                        std::pair{u"--curve"_s, curveFile.has_value()}})
        if (methodText && given) throw TUsageError(u"%1 does not go with --method"_s.arg(option));

    TCliScenario scenario;
    TdmKelvoADO& dm = scenario.dm;
    const std::unique_ptr<TAggregationList> crops = dm.LoadCrops(true);
    const TCrop* crop = FindCrop(*crops, *cropText);
    const QStringList waterCodes = dm.GetWaterBodyCodes();
    if (methodText)
        return RunMethod(dm, *methodText, crop, waterCodes, *waterText, applications, rate, context);

    // The calculator, driven as its window is: crop, number, water body type, distances, rate.
    TDriftCalculation calculation(dm);
    calculation.SetCrop(crop);
    calculation.SetNumberOfApplications(std::min(applications, MaxApplications));
    if (waterText) calculation.SetWaterBodyType(FindListed(waterCodes, *waterText, u"water body type"_s));
    if (mitigation) calculation.SetMitigation(MitigationDistance(dm.GetMitigationDistances(), *mitigation));
    if (reduction) calculation.SetReduction(ReadDriftReduction(*reduction));
    calculation.SetRate(rate);
    if (curveFile) WriteCurve(*curveFile, calculation.Curve());

    if (!context.json) {
        PrintCalculation(calculation);
        return 0;
    }
    const TDriftCalculation::TTexts& t = calculation.Texts();
    const TDriftCalculation::TResults& r = calculation.Results();
    const TRegressionParameters& p = calculation.Regression();
    const TWaterBodyType* water = calculation.WaterBodyType();
    const auto ofWater = [water](double value) {
        return water ? QJsonValue(value) : QJsonValue(QJsonValue::Null);
    };
    PrintJson({
        {u"crop"_s, crop->CropCode},
        {u"ganzelmeierCode"_s, crop->GanzelmeierCode},
        {u"applications"_s, calculation.NumberOfApplications()},
        {u"percentile"_s, calculation.Percentile()},
        {u"A"_s, p.A},
        {u"B"_s, p.B},
        {u"C"_s, p.C},
        {u"D"_s, p.D},
        {u"hinge"_s, Shown(t.edtChange)},
        {u"width"_s, ofWater(water ? water->Width : 0)},
        {u"depth"_s, ofWater(water ? water->Depth : 0)},
        {u"length"_s, ofWater(water ? water->TotalLength : 0)},
        {u"cropDistance"_s, Shown(t.edtDistanceCrop)},
        {u"bankDistance"_s, ofWater(water ? water->DistanceBankWater : 0)},
        {u"nearEdge"_s, Shown(t.edtDistanceCropDrift1)},
        {u"farEdge"_s, Shown(t.edtDistanceCropDrift2)},
        {u"driftNear"_s, Json(r.DriftNear)},
        {u"driftFar"_s, Json(r.DriftFar)},
        {u"meanDeposition"_s, Json(r.MeanDeposition)},
        {u"step3MeanDeposition"_s, Json(r.Step3MeanDeposition)},
        {u"driftReduction"_s, calculation.Reduction()},
        {u"massLoading"_s, Json(r.MassLoading)},
        {u"concentration"_s, Json(r.Concentration)},
    });
    return 0;
}

const TCliCommandRegistrar registrar(
    {u"drift"_s,
     u"--crop NAME [--water CODE] [--apps N] [--rate G_PER_HA] [--mitigation METRES] [--reduction PERCENT] "
     u"[--curve FILE] [--method METHOD]"_s,
     u"the drift calculator's numbers, Step 4 mitigated with a buffer and a drift reduction; --curve writes "
     u"the deposition curve as CSV; with --method the drift loading of one application of a run"_s,
     RunDrift});

} // namespace
