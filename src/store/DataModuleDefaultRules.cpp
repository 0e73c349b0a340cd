#include "store/DataModuleKelvoADO.h"

#include "foundation/Errors.h"
#include "foundation/UserInterface.h"
#include "foundation/Utils.h"
#include "store/Locate.h"

using namespace Qt::Literals::StringLiterals;

// The default application patterns of a substance (SubstancexCropxLocation through tblDefaults):
// the crop must grow at the scenario, a new row may not repeat another, and the application window
// must hold every application.

void TdmKelvoADO::BindDefaultRules() {
    tblDefaults.beforePost = [this](TRecordSet& dataSet) { tblDefaultsBeforePost(dataSet); };
    tblDefaults.beforeDelete = [this](TRecordSet& dataSet) { tblDefaultsBeforeDelete(dataSet); };
    tblDefaults.onCalcFields = [this](TRecordSet& dataSet) { tblDefaultsCalcFields(dataSet); };
}

bool TdmKelvoADO::OpenDefaults() {
    return OpenDataSet(tblDefaults);
}

void TdmKelvoADO::CloseDefaults() {
    tblDefaults.close();
}

QString TdmKelvoADO::DefaultsFieldText(const QString& fieldName) {
    if (!tblDefaults.active()) return {};
    return tblDefaults.fieldByName(fieldName).asString();
}

// Any crop-in-season counts.
bool TdmKelvoADO::IsCropAtLocation(const QString& cropCode, const QString& locationCode) {
    bool found = false;
    try {
        tblCropsLocations.open();
        found = LocateByTextKeys(tblCropsLocations, {locationCode, cropCode}, 2);
    } catch (...) {
        found = false;
    }
    tblCropsLocations.close();
    return found;
}

bool TdmKelvoADO::DefaultPatternExists(const QString& substanceCode, const QString& cropCode,
                                       const QString& locationCode, const QString& cropNr) {
    tblDefaultsInsert.open();
    const bool found =
        LocateByTextKeys(tblDefaultsInsert, {substanceCode, cropCode, locationCode, cropNr}, 4);
    tblDefaultsInsert.close();
    return found;
}

// A refused row stays in edit for the user to correct or cancel.
void TdmKelvoADO::tblDefaultsBeforePost(TRecordSet& dataSet) {
    const auto text = [&dataSet](const QString& name) { return dataSet.fieldByName(name).asString(); };
    if (!IsCropAtLocation(text(u"CropCode"_s), text(u"LocationCode"_s)))
        throw EKelvoError(u"Invalid Crop - Scenario combination."_s);
    if (dataSet.state() == TRecordSet::TState::Insert &&
        DefaultPatternExists(text(u"SubstanceCode"_s), text(u"CropCode"_s), text(u"LocationCode"_s),
                             text(u"CropNr"_s)))
        throw EKelvoError(u"Combination already exists."_s);
    // Unlike the run rules, the next-year warning comes at every post of such a row.
    CheckWindow(dataSet.fieldByName(u"DefNumberOfApps"_s).asInteger(),
                dataSet.fieldByName(u"DefMinIntervalApps"_s).asInteger(),
                dataSet.fieldByName(u"DefFirstDayYrApp"_s).asInteger(),
                dataSet.fieldByName(u"DefLastDayYrApp"_s).asInteger(), true);
}

void TdmKelvoADO::tblDefaultsBeforeDelete(TRecordSet& dataSet) {
    if (dataSet.fieldByName(u"Locked"_s).asBoolean()) {
        ShowErrorBox(u"Record is locked because it is a FOCUS predefined record"_s);
        Abort();
    }
    if (!AskDestructive(u"Delete record ?"_s)) Abort();
}

// First and Last show the day numbers as "dd-mmm"; an empty day shows nothing.
void TdmKelvoADO::tblDefaultsCalcFields(TRecordSet& dataSet) {
    for (const auto& [day, text] :
         {std::pair{u"DefFirstDayYrApp"_s, u"First"_s}, {u"DefLastDayYrApp"_s, u"Last"_s}}) {
        const TField& source = dataSet.fieldByName(day);
        dataSet.fieldByName(text).setValue(source.isNull() ? QVariant()
                                                           : QVariant(DayNumberToText(source.asInteger())));
    }
}
