#pragma once

#include "store/Connection.h"
#include "store/RecordSet.h"

#include <QString>

// The scenario data module: the single owner of the scenario database connection, of every record set
// and query over it, and of the record rules bound to them. Windows and domain objects read and write
// the database only through it.
class TdmKelvoADO {
public:
    TdmKelvoADO();
    ~TdmKelvoADO();
    TdmKelvoADO(const TdmKelvoADO&) = delete;
    TdmKelvoADO& operator=(const TdmKelvoADO&) = delete;

    // --- connection and record sets -------------------------------------------------------------
    TConnection dbKelvoADO;

    TQuery qryProjects;
    TTable tblProjects;
    TTable tblRuns;
    TTable tblApplications;
    TTable tblDefaults;
    TTable tblSubstances;
    TTable tblSubstancesMacro;
    TTable tblSubstancesPRZM;
    TTable tblSubInsert;
    TTable tblSubInsertMacro;
    TTable tblSubInsertPRZM;
    TTable tblDefaultsInsert;
    TTable tblRunInsert;
    TTable tblApplicationInsert;
    TTable tblLocations;
    TTable tblCrops;
    TQuery qryCrops;
    TQuery qryCropsAtLoc;
    TQuery qryLocationWithCrops;
    TQuery qryLocationsAtWaterbody;
    TTable tblCropsLocations;
    TQuery qryCropLocation;
    TTable tblWaterbodyType;
    TQuery qryWaterBodyType;
    TQuery qryWaterbodyTypes;
    TTable tblApplicationMethods;
    TTable tblCAMDef;
    TTable tblMitigation;
    TQuery qryRegParams;
    TQuery qryDrift;
    TQuery qryDefAppValues;
    TQuery qryApplicationsDelete;
    TTable tblToxswaMap;
    TTable tblAppSchemes;
    TTable tblToxswaApps;
    TTable tblSimulationParameters;
    TQuery qryUpdate;
    TQuery qryDelete;

    // Flags of the substance rules: ask "Save changes?" and check required values while true;
    // the code asked last; a new substance waiting to be touched by the next posting.
    bool AskBeforeSave = true;
    QString LastAskedCode;
    bool RetouchPending = false;

    // --- open, close and refresh --------------------------------------------------------------
    // The scenario database file below the installation directory.
    static QString DatabaseFile();
    void DataModuleCreate();
    bool OpenDatabase();
    void CloseDatabase();
    bool OpenDataSet(TRecordSet& recordSet);
    bool OpenProjects();
    bool OpenRuns();
    bool OpenRunInsert();
    void CloseRunInsert();
    bool OpenApplicationInsert();
    void CloseApplicationInsert();
    bool OpenLocations();
    void CloseLocations();
    bool OpenCrops();
    void CloseCrops();
    void CloseProjects();
    void CloseRuns();
    void RefreshRuns();
    QString CurrentProjectSubstanceCode();

    // --- crops, locations and water body types (DataModuleLoaders.cpp) --------------------------

    // --- application methods and chemical application method defaults (DataModuleApplicationMethods.cpp)

    // --- drift regressions (DataModuleDrift.cpp) --------------------------------------------------

    // --- run and application rules (DataModuleRunRules.cpp) ---------------------------------------

    // --- default application pattern rules (DataModuleDefaultRules.cpp) ---------------------------

    // --- substance rules and operations (DataModuleSubstanceRules.cpp) ----------------------------

    // --- project creation and lookups (DataModuleProjects.cpp) ------------------------------------

    // --- project record rules (DataModuleProjectRules.cpp) ----------------------------------------

private:
    void DefineRunFields();
    void DefineApplicationFields();
    void DefineDefaultFields();
    void DefineSubstanceFields();
    void DefineSubstanceMacroFields();
    void DefineSubstancePRZMFields();
    void DefineQueries();
    void LinkRecordSets();
    // Binds the record rules to the events of the record sets, one group per file.
    void BindRules();
    void BindApplicationMethodRules();
    void BindRunRules();
    void BindDefaultRules();
    void BindSubstanceRules();
    void BindProjectRules();

    // True while a day validation event of tblRuns runs, so its own field changes do not validate again.
    bool m_validating = false;
    // True while the rate rule rewrites a rate.
    bool m_rateGuard = false;
};

// The one scenario data module of the process; set while it exists.
extern TdmKelvoADO* dmKelvoADO;
