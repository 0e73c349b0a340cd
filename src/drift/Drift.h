#pragma once

#include "drift/Mitigation.h"
#include "drift/RegressionParameters.h"

#include <QString>

class TCrop;
class TWaterBodyType;
class TdmKelvoADO;

// The spray-drift deposition model. Distances in m, deposition in % of the application rate, rate in
// g/ha, mass loading in mg/m2 of water surface, concentration in ug/L.

// Deposition at distance x from the crop.
double PointDrift(const TRegressionParameters& parameters, double hinge, double x);
// Mean deposition over a water surface from near = bankDistance + cropDistance to far = near + width,
// integrated exactly on each side of the hinge.
double MeanDrift(const TRegressionParameters& parameters, int width, double hinge, double cropDistance,
                 double bankDistance);
double MassLoading(double meanDeposition, double rate);
double NominalConcentration(double massLoading, double depth);

// The FOCUS distance from the crop edge to the near edge of the water for the application method
// (aerial application: 5 m off the crop) and the crop and water body type.
double FocusDistance(TdmKelvoADO& data, const QString& appMethod, const TCrop& crop,
                     const TWaterBodyType& waterBody);

// Drift loading of one application made with the application method onto the water body type, with the
// Step 4 mitigation if any; false, with zeros, when the crop or the water body type is missing or the
// method (the 3rd or 5th of the application methods) gives no drift.
bool CalculateDriftLoading(TdmKelvoADO& data, const QString& appMethod, int numberOfApps, const TCrop* crop,
                           const TWaterBodyType* waterBody, double rate, double& meanDeposition,
                           double& massLoading, double& concentration, const TMitigation& mitigation = {});
