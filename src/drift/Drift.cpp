#include "drift/Drift.h"

#include "domain/Crop.h"
#include "domain/WaterBodyType.h"
#include "store/DataModuleKelvoADO.h"

#include <cmath>

namespace {

// A water surface ending within this distance after the hinge is averaged with A and B alone.
constexpr double HingeTolerance = 0.001;
// Aerial application: the regression of class 7 (always one application) from 5 m off the crop.
constexpr int AerialGanzelmeierCode = 7;
constexpr double AerialCropDistance = 5.0;

// Integral of a·x^b from x1 to x2.
double PowerIntegral(double a, double b, double x1, double x2) {
    return a * (std::pow(x2, b + 1) - std::pow(x1, b + 1)) / (b + 1);
}

} // namespace

double PointDrift(const TRegressionParameters& parameters, double hinge, double x) {
    if (x < hinge) return parameters.A * std::pow(x, parameters.B);
    return parameters.C * std::pow(x, parameters.D);
}

double MeanDrift(const TRegressionParameters& p, int width, double hinge, double cropDistance,
                 double bankDistance) {
    const double nearEdge = bankDistance + cropDistance;
    const double farEdge = width + nearEdge;
    const double length = farEdge - nearEdge;
    if (hinge + HingeTolerance > farEdge) return PowerIntegral(p.A, p.B, nearEdge, farEdge) / length;
    if (nearEdge > hinge) return PowerIntegral(p.C, p.D, nearEdge, farEdge) / length;
    return (PowerIntegral(p.A, p.B, nearEdge, hinge) + PowerIntegral(p.C, p.D, hinge, farEdge)) / length;
}

double MassLoading(double meanDeposition, double rate) {
    return rate * meanDeposition / 1000.0;
}

double NominalConcentration(double massLoading, double depth) {
    return massLoading / depth;
}

namespace {

// The 1-based position of the application method in the list; 0 for an unknown one.
qsizetype MethodPosition(TdmKelvoADO& data, const QString& appMethod) {
    const QStringList methods = data.ApplicationMethodList(-1);
    for (qsizetype i = 0; i < methods.size(); ++i)
        if (methods[i].compare(appMethod, Qt::CaseInsensitive) == 0) return i + 1;
    return 0;
}

bool IsAerial(qsizetype position) {
    return position == 1;
}

} // namespace

double FocusDistance(TdmKelvoADO& data, const QString& appMethod, const TCrop& crop,
                     const TWaterBodyType& waterBody) {
    const double cropDistance = IsAerial(MethodPosition(data, appMethod)) ? AerialCropDistance : crop.DistanceCropBank;
    return cropDistance + waterBody.DistanceBankWater;
}

bool CalculateDriftLoading(TdmKelvoADO& data, const QString& appMethod, int numberOfApps, const TCrop* crop,
                           const TWaterBodyType* waterBody, double rate, double& meanDeposition,
                           double& massLoading, double& concentration, const TMitigation& mitigation) {
    meanDeposition = 0;
    massLoading = 0;
    concentration = 0;
    if (!crop || !waterBody) return false;

    const qsizetype position = MethodPosition(data, appMethod);
    if (position == 3 || position == 5) return false; // these methods give no drift

    TRegressionParameters parameters;
    double cropDistance = 0;
    if (IsAerial(position)) {
        parameters = data.GetRegressionParameters(AerialGanzelmeierCode, 1);
        cropDistance = AerialCropDistance;
    } else {
        parameters = data.GetRegressionParameters(crop->GanzelmeierCode, numberOfApps);
        cropDistance = crop->DistanceCropBank;
    }
    meanDeposition = MitigatedDeposition(parameters, waterBody->Width, static_cast<double>(parameters.Hinge),
                                         cropDistance, waterBody->DistanceBankWater, mitigation);
    massLoading = MassLoading(meanDeposition, rate);
    concentration = NominalConcentration(massLoading, waterBody->Depth);
    return true;
}
