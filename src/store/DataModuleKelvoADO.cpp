#include "store/DataModuleKelvoADO.h"

#include "domain/Project.h"
#include "foundation/Errors.h"
#include "foundation/Installation.h"
#include "foundation/UserInterface.h"
#include "store/ControlsDisabled.h"
#include "store/ScenarioSchema.h"

using namespace Qt::Literals::StringLiterals;

TdmKelvoADO* dmKelvoADO = nullptr;

TdmKelvoADO::TdmKelvoADO()
    : qryProjects(&dbKelvoADO, u"qryProjects"_s), tblProjects(&dbKelvoADO, u"tblProjects"_s, u"Projects"_s),
      tblRuns(&dbKelvoADO, u"tblRuns"_s, u"Runs"_s),
      tblApplications(&dbKelvoADO, u"tblApplications"_s, u"Applications"_s),
      tblDefaults(&dbKelvoADO, u"tblDefaults"_s, u"SubstancexCropxLocation"_s),
      tblSubstances(&dbKelvoADO, u"tblSubstances"_s, u"Substances"_s),
      tblSubstancesMacro(&dbKelvoADO, u"tblSubstancesMacro"_s, u"Substance_Macro"_s),
      tblSubstancesPRZM(&dbKelvoADO, u"tblSubstancesPRZM"_s, u"Substance_PRZM"_s),
      tblSubInsert(&dbKelvoADO, u"tblSubInsert"_s, u"Substances"_s),
      tblSubInsertMacro(&dbKelvoADO, u"tblSubInsertMacro"_s, u"Substance_Macro"_s),
      tblSubInsertPRZM(&dbKelvoADO, u"tblSubInsertPRZM"_s, u"Substance_PRZM"_s),
      tblDefaultsInsert(&dbKelvoADO, u"tblDefaultsInsert"_s, u"SubstancexCropxLocation"_s),
      tblRunInsert(&dbKelvoADO, u"tblRunInsert"_s, u"Runs"_s),
      tblApplicationInsert(&dbKelvoADO, u"tblApplicationInsert"_s, u"Applications"_s),
      tblLocations(&dbKelvoADO, u"tblLocations"_s, u"Locations"_s),
      tblCrops(&dbKelvoADO, u"tblCrops"_s, u"Crops"_s), qryCrops(&dbKelvoADO, u"qryCrops"_s),
      qryCropsAtLoc(&dbKelvoADO, u"qryCropsAtLoc"_s), qryLocationWithCrops(&dbKelvoADO, u"qryLocationWithCrops"_s),
      qryLocationsAtWaterbody(&dbKelvoADO, u"qryLocationsAtWaterbody"_s),
      tblCropsLocations(&dbKelvoADO, u"tblCropsLocations"_s, u"CropsxLocations"_s),
      qryCropLocation(&dbKelvoADO, u"qryCropLocation"_s),
      tblWaterbodyType(&dbKelvoADO, u"tblWaterbodyType"_s, u"WaterBodies"_s),
      qryWaterBodyType(&dbKelvoADO, u"qryWaterBodyType"_s), qryWaterbodyTypes(&dbKelvoADO, u"qryWaterbodyTypes"_s),
      tblApplicationMethods(&dbKelvoADO, u"tblApplicationMethods"_s, u"ApplicationMethods"_s),
      tblCAMDef(&dbKelvoADO, u"tblCAMDef"_s, u"ApplicationCAMDefaults"_s),
      tblMitigation(&dbKelvoADO, u"tblMitigation"_s, u"Mitigation"_s), qryRegParams(&dbKelvoADO, u"qryRegParams"_s),
      qryDrift(&dbKelvoADO, u"qryDrift"_s), qryDefAppValues(&dbKelvoADO, u"qryDefAppValues"_s),
      qryApplicationsDelete(&dbKelvoADO, u"qryApplicationsDelete"_s),
      tblToxswaMap(&dbKelvoADO, u"tblToxswaMap"_s, u"ToxswaMap"_s),
      tblAppSchemes(&dbKelvoADO, u"tblAppSchemes"_s, u"ApplicationSchemes"_s),
      tblToxswaApps(&dbKelvoADO, u"tblToxswaApps"_s, u"ToxswaApplications"_s),
      tblSimulationParameters(&dbKelvoADO, u"tblSimulationParameters"_s, u"SimulationParameters"_s),
      qryUpdate(&dbKelvoADO, u"qryUpdate"_s), qryDelete(&dbKelvoADO, u"qryDelete"_s) {
    DefineRunFields();
    DefineApplicationFields();
    DefineDefaultFields();
    DefineSubstanceFields();
    DefineSubstanceMacroFields();
    DefineSubstancePRZMFields();
    DefineQueries();
    LinkRecordSets();
    BindRules();
    DataModuleCreate();
    dmKelvoADO = this;
}

TdmKelvoADO::~TdmKelvoADO() {
    if (dmKelvoADO == this) dmKelvoADO = nullptr;
    CloseDatabase();
}

QString TdmKelvoADO::DatabaseFile() { return InstallationDir() + u"data/kelvo_db.sqlite"_s; }

QString TdmKelvoADO::TemplateDatabaseFile() { return ProgramDir() + u"templates/data/kelvo_db.sqlite"_s; }

// Nothing is open after creation; the substance switch is on, nothing has been asked yet.
void TdmKelvoADO::DataModuleCreate() {
    dbKelvoADO.Close();
    AskBeforeSave = true;
    LastAskedCode.clear();
    RetouchPending = false;
    m_rateGuard = false;
}

// A database of an older Kelvo is migrated (after a backup) before anything reads it; one that cannot be
// used is closed again with a message naming the file.
bool TdmKelvoADO::OpenDatabase() {
    try {
        try {
            dbKelvoADO.Open(DatabaseFile());
        } catch (const EKelvoError& e) {
            throw EKelvoError(DatabaseProblem(DatabaseFile(), e.Message()));
        }
        PrepareScenarioDatabase(dbKelvoADO, TemplateDatabaseFile());
    } catch (...) {
        dbKelvoADO.Close();
        ShowCurrentException();
    }
    return dbKelvoADO.IsOpen();
}

void TdmKelvoADO::CloseDatabase() { dbKelvoADO.Close(); }

bool TdmKelvoADO::OpenDataSet(TRecordSet& recordSet) {
    m_validating = false;
    try {
        recordSet.open();
    } catch (...) {
        ShowCurrentException();
    }
    return recordSet.active();
}

bool TdmKelvoADO::OpenProjects() {
    qryProjects.close();
    return OpenDataSet(qryProjects);
}

bool TdmKelvoADO::OpenRuns() {
    tblApplications.close();
    const bool runs = OpenDataSet(tblRuns);
    const bool applications = OpenDataSet(tblApplications);
    return runs && applications;
}

bool TdmKelvoADO::OpenRunInsert() { return OpenDataSet(tblRunInsert); }

void TdmKelvoADO::CloseRunInsert() { tblRunInsert.close(); }

bool TdmKelvoADO::OpenApplicationInsert() { return OpenDataSet(tblApplicationInsert); }

void TdmKelvoADO::CloseApplicationInsert() { tblApplicationInsert.close(); }

bool TdmKelvoADO::OpenLocations() { return OpenDataSet(tblLocations); }

void TdmKelvoADO::CloseLocations() { tblLocations.close(); }

bool TdmKelvoADO::OpenCrops() {
    const bool crops = OpenDataSet(tblCrops);
    const bool query = OpenDataSet(qryCrops);
    return crops && query;
}

void TdmKelvoADO::CloseCrops() {
    tblCrops.close();
    qryCrops.close();
}

void TdmKelvoADO::CloseProjects() { qryProjects.close(); }

void TdmKelvoADO::CloseRuns() {
    tblRuns.close();
    tblApplications.close();
}

// Reopens the runs of the current project in the order of their sort key, not of their RunID.
void TdmKelvoADO::RefreshRuns() {
    if (!tblRuns.active()) return;
    // The views of the runs and their applications learn of the new rows once, at the end.
    const TControlsDisabled quietRuns(tblRuns);
    const TControlsDisabled quietApplications(tblApplications);
    tblRuns.close();
    tblRuns.open();
    tblRuns.setSort(u"VolgNr"_s);
}

QString TdmKelvoADO::CurrentProjectSubstanceCode() {
    if (!qryProjects.active() || qryProjects.isEmpty()) return {};
    return qryProjects.fieldByName(u"SubstanceCode"_s).asString();
}

void TdmKelvoADO::LinkRecordSets() {
    tblRuns.setIndexFieldNames(u"ProjectID;RunID"_s);
    tblRuns.setMasterLink(&qryProjects, u"ProjectID"_s, u"ProjectID"_s);
    tblApplications.setIndexFieldNames(u"RunID"_s);
    tblApplications.setMasterLink(&tblRuns, u"RunID"_s, u"RunID"_s);
    tblDefaults.setIndexFieldNames(u"SubstanceCode"_s);
    tblDefaults.setMasterLink(&tblSubstances, u"SubstanceCode"_s, u"SubstanceCode"_s);
    for (TTable* detail : {&tblSubstancesMacro, &tblSubstancesPRZM}) {
        detail->setIndexFieldNames(u"SubstanceCode"_s);
        detail->setMasterLink(&tblSubstances, u"SubstanceCode"_s, u"SubstanceCode"_s);
    }
    for (TTable* detail : {&tblSubInsertMacro, &tblSubInsertPRZM}) {
        detail->setIndexFieldNames(u"SubstanceCode"_s);
        detail->setMasterLink(&tblSubInsert, u"SubstanceCode"_s, u"SubstanceCode"_s);
    }
    tblDefaultsInsert.setIndexFieldNames(u"SubstanceCode"_s);
    tblDefaultsInsert.setMasterLink(&tblSubstances, u"SubstanceCode"_s, u"SubstanceCode"_s);
    tblCrops.setIndexFieldNames(u"CropCode"_s);
    // Runs and their applications are only appended through these: opening them reads nothing.
    tblRunInsert.setAppendOnly(true);
    tblApplicationInsert.setAppendOnly(true);
}

void TdmKelvoADO::BindRules() {
    qryProjects.afterScroll = [this](TRecordSet&) { RefreshRuns(); };
    tblProjects.afterScroll = [this](TRecordSet&) { RefreshRuns(); };
    BindApplicationMethodRules();
    BindRunRules();
    BindDefaultRules();
    BindSubstanceRules();
    BindProjectRules();
}
