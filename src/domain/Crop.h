#pragma once

#include "foundation/RootObject.h"

// A FOCUS crop as the scenario database describes it.
class TCrop : public TRootObject {
public:
    TCrop(const QString& cropCode, const QString& name, int ganzelmeierCode, double distanceCropBank);

    // Lists of crops show the crop's name.
    QString DisplayText() const override;

    QString CropCode;
    QString Name;
    // Drift class of the crop in the drift regression.
    int GanzelmeierCode;
    // Distance from the crop edge to the top of the bank (m).
    double DistanceCropBank;

protected:
    QString ClassName() const override;
};
