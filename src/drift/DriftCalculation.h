#pragma once

#include "drift/Mitigation.h"
#include "drift/RegressionParameters.h"

#include <QString>
#include <memory>
#include <optional>

class TCrop;
class TWaterBodyType;
class TdmKelvoADO;

// Everything the drift calculator shows for a crop, a number of applications, a water body type, the
// FOCUS or a mitigation distance and a rate. Each change does what the calculator does on it and
// recalculates; like the calculator, the recalculation reads the hinge and the edge distances back as
// they are shown (one and two decimals).
class TDriftCalculation {
public:
    explicit TDriftCalculation(TdmKelvoADO& data);
    ~TDriftCalculation();
    TDriftCalculation(const TDriftCalculation&) = delete;
    TDriftCalculation& operator=(const TDriftCalculation&) = delete;

    // The crop stays owned by the caller. A crop of Ganzelmeier code 7 fixes one application.
    void SetCrop(const TCrop* crop);
    // 1 to 8 ("8 or more"); ignored while the number is fixed by the crop.
    void SetNumberOfApplications(int number);
    void SetWaterBodyType(const QString& waterBodyCode);
    // A mitigation distance (m), listed or typed; an empty text selects the FOCUS distances. A typed
    // distance is a buffer: refused (EKelvoError, nothing changed) below the FOCUS distance of the crop
    // and water body or above 100 m. A listed one is taken as the calculator always took it.
    void SetMitigation(const QString& distance);
    // The drift reduction (%), one of DriftReductions(); refused otherwise.
    void SetReduction(int reduction);
    // The rate in g/ha as typed; without a valid rate there is no mass loading or concentration.
    void SetRate(const QString& rate);
    // Raises the conversion error of a text that is not a number; the terms computed before it stay.
    void Recalculate();

    const TCrop* Crop() const { return m_crop; }
    int NumberOfApplications() const { return m_number; }
    bool NumberEnabled() const { return m_numberEnabled; }
    const TRegressionParameters& Regression() const { return m_regression; }
    const TWaterBodyType* WaterBodyType() const { return m_waterBody.get(); }
    bool FocusValues() const { return m_mitigation.isEmpty(); }
    const QString& Mitigation() const { return m_mitigation; }
    int Percentile() const { return m_percentile; }
    int Reduction() const { return m_reduction; }
    // Whether a mitigation distance or a drift reduction is chosen.
    bool Mitigated() const { return !FocusValues() || m_reduction != 0; }
    // The chosen distance and reduction as the core's mitigation.
    TMitigation Step4() const;
    // The FOCUS distance from the crop edge to the near edge of the water; none without crop and water.
    std::optional<double> FocusDistance() const;
    // The deposition curve of the choices shown; empty until a recalculation computed the hinge.
    std::vector<TCurvePoint> Curve() const;

    // The texts of the calculator's fields, named after them.
    struct TTexts {
        QString edtRate;
        QString edtRegA;
        QString edtRegB;
        QString edtRegC;
        QString edtRegD;
        QString edtChange;
        QString edtWidth;
        QString edtDepth;
        QString edtLength;
        QString edtDistanceCrop;
        QString edtDistance;
        QString edtDrift;
        QString edtApplications;
        QString edtDistanceCropDrift1;
        QString edtDistanceCropDrift2;
        QString edtDrift1;
        QString edtDrift2;
        QString edtDrift3;
        // The mean deposition at the FOCUS distances without reduction, beside the mitigated edtDrift3.
        QString edtStep3Drift;
        QString edtMassLoading;
        QString edtConcentration;
    };
    const TTexts& Texts() const { return m_texts; }

    // The numbers the recalculations read and computed, unset until one did.
    struct TResults {
        std::optional<double> CropDistance;
        std::optional<double> Hinge;
        std::optional<double> NearEdge;
        std::optional<double> FarEdge;
        std::optional<double> DriftNear;
        std::optional<double> DriftFar;
        // With a mitigation the near, far and mean values are the mitigated ones.
        std::optional<double> MeanDeposition;
        std::optional<double> Step3MeanDeposition;
        std::optional<double> MassLoading;
        std::optional<double> Concentration;
    };
    const TResults& Results() const { return m_results; }

private:
    void UpdateApplications();
    void FetchRegression();
    void UpdateDistanceMode();
    void UpdateEdgeDistances();

    TdmKelvoADO& m_data;
    const TCrop* m_crop = nullptr;
    int m_number = 1;
    bool m_numberEnabled = true;
    TRegressionParameters m_regression;
    std::unique_ptr<TWaterBodyType> m_waterBody;
    QString m_mitigation;
    int m_reduction = 0;
    int m_percentile = 0;
    TTexts m_texts;
    TResults m_results;
};

// Number texts as the calculator shows them: fixed notation with the decimals, rounded to at most
// `precision` significant digits; the "number" notation adds thousands separators.
QString FormatFixed(double value, int precision, int decimals);
QString FormatNumber(double value, int decimals);
// Reads a number as shown; raises "'x' is not a valid floating point value" otherwise.
double ReadNumber(const QString& text);
