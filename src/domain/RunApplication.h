#pragma once

#include "foundation/RootObject.h"

#include <memory>

// One application of a run.
class TRunApplication : public TRootObject {
public:
    // Rate 1.0 kg/ha; CAM, Depi and Perc from the first chemical application method default of the
    // application method (empty CAM, Depi 4.0 and Perc 0.0 when it has none).
    TRunApplication(int applicationNr, const QString& appMethod);

    std::unique_ptr<TRunApplication> Copy() const;

    int ApplicationNr;
    // Dose in kg/ha.
    double Rate = 1.0;
    // Chemical application method.
    QString CAM;
    // Depth of incorporation.
    double Depi = 4.0;
    // Percentage belonging to the chemical application method.
    double Perc = 0.0;

protected:
    QString ClassName() const override;
};
