#pragma once

#include "foundation/ConcreteCollections.h"
#include "drift/Mitigation.h"
#include "foundation/RootObject.h"

#include <QDate>
#include <QDateTime>
#include <memory>

class TRunApplication;

// One model calculation of a project: a substance at one scenario, crop season and water body type,
// with its application pattern. Its ID, name and output file names derive from these values.
class TRun : public TRootObject {
public:
    TRun();

    // RunID := the run number with five digits, the water body letter of WaterbodyCode, and the suffix
    // ("_pa", "_m1", "_m2"); WaterbodyCode must be set first.
    void SetRunID(int runNumber, const QString& suffix);
    // Replaces the applications by n new ones numbered 1..n with the defaults of AppMethod.
    void SetNumberOfApplications(int n);
    // The application at the 1-based position; none above the number of applications.
    TRunApplication* GetApplication(int position) const;
    // Rate of the application at the position; 0 when there is none.
    double RateOf(int position) const;

    // Appends the run's row to Runs; a store error is shown and answered false.
    bool InsertRecord(int projectId) const;
    // Appends one Applications row per application; a store error is shown and answered false.
    bool InsertApplicationRecords() const;
    // Drift loading of the application at the position, mitigated as the run is: mean deposition (% of
    // rate), mass loading (mg/m2) and nominal concentration (ug/L); false with zeros when there is no
    // drift. With step3 the mitigation is left out.
    bool DriftLoading(int position, double& deposition, double& massLoading, double& concentration,
                      bool step3 = false) const;
    // The TOXSWA simulation period of the scenario and season; the dates stay as given for an unknown
    // scenario.
    bool SimulationPeriod(QDate& startDate, QDate& endDate) const;
    // A copy with a new run number, named "copy_" + Name; none when the copy fails.
    std::unique_ptr<TRun> Copy(int newRunNumber) const;
    bool IsRunoff() const;

    QString RunNumberPart() const;
    int RunNumber() const;
    bool IsMetabolite() const;
    QString SelectedText() const;
    int ApplicationSchemeNumber() const;
    QString MacroOutputFileName() const;
    QString PRZMOutputFileName() const;
    QString GetCropName() const;
    QString MacroCropName() const;
    QString CropFolderName() const;
    QString PRZMFolderName() const;
    QString PRZMCropCode() const;

    QString RunID;
    bool Selected = false;
    QString SubstanceCode;
    QString LocationCode;
    QString CropCode;
    // "1st" or "2nd" crop in the season.
    QString CropNr;
    QString WaterbodyCode;
    QString Name;
    QDateTime CreationDate;
    QDateTime ModificationDate;
    QString AppMethod;
    int NumberOfApps = 0;
    // Day numbers of the application window, and the minimum interval in days.
    int FirstDayYrApp = 0;
    int LastDayYrApp = 0;
    int MinIntervalApps = 0;
    // Owns the applications, in application number order.
    std::unique_ptr<TAggregationList> Applications;
    bool Locked = false;
    // The Step 4 drift mitigation; none: FOCUS Step 3. Metabolite runs carry none.
    TMitigation Mitigation;

protected:
    QString ClassName() const override;

private:
    // The two crop codes whose PRZM folder and crop code carry the crop number.
    bool IsTwoSeasonVegetable() const;
};
