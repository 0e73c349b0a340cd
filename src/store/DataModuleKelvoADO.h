#pragma once

#include "store/Connection.h"
#include "store/RecordSet.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QVector>
#include <memory>
#include <utility>

class ICollection;
class TAggregationList;
class TCrop;
class TdmMacroADO;
class TProject;
class TPRZM_Substance;
class TWaterBodyType;
struct TRegressionParameters;
struct TMitigation;

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
    // A change to a metabolite's Substance_Macro row made by editing its parent: the formation factor
    // (empty clears it), with the formation name cleared too when clearInform. The changes wait for the
    // parent's rows: the next posting of a substance row writes them, UndoSubstance drops them.
    struct TMetaboliteMacroChange {
        QString code;
        QVariant fconvert;
        bool clearInform = false;
    };
    QVector<TMetaboliteMacroChange> PendingMetaboliteChanges;

    // --- open, close and refresh --------------------------------------------------------------
    // The scenario database file below the installation directory.
    static QString DatabaseFile();
    // The program's scenario database, from which a working installation is made and migrated.
    static QString TemplateDatabaseFile();
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
    // Every list and object answered is new and belongs to the caller. A code that is not found gives
    // none, an empty text or false; a record set that cannot be opened raises its error.
    std::unique_ptr<TCrop> LoadCrop(const QString& cropCode);
    // Crops in CropNr order; those numbered 26 and above only with includeAll.
    std::unique_ptr<TAggregationList> LoadCrops(bool includeAll);
    QStringList LoadCropCodes(bool includeAll);
    // The Name of the row whose first column equals the code; leaves an open record set open.
    QString NameByCode(TRecordSet& table, const QString& code);
    QString CropName(const QString& cropCode);
    QString SubstanceName(const QString& substanceCode);
    QString CropDirName(const QString& cropCode);
    bool IsAirBlastCrop(const QString& cropCode);
    // Every scenario in table order, with its water body types and first crops.
    std::unique_ptr<TAggregationList> LoadLocations();
    QStringList WaterBodyCodesAt(const QString& locationCode);
    QStringList FirstCropCodesAt(const QString& locationCode);
    QStringList FirstCropLocationCodes(const QString& cropCode);
    QStringList LocationCodes();
    // The first column of every row; an open record set stays open on its current row.
    QStringList FirstColumnValues(TRecordSet& table);
    QStringList GetWaterBodyCodes();
    std::unique_ptr<TWaterBodyType> LoadWaterBodyType(const QString& waterBodyCode);
    // The scenarios growing one of the crops as first crop and having one of the water body types.
    std::unique_ptr<TAggregationList> LocationsFor(const ICollection& crops, const QStringList& waterBodyCodes);
    QString CurrentLocationCode();
    QString CurrentCropCode();
    void ShowCropsAtCurrentLocation();
    void ShowLocationsWithCurrentCrop();
    bool ShowLocationsAtWaterBody(const QString& waterBodyCode);

    // --- application methods and chemical application method defaults (DataModuleApplicationMethods.cpp)
    // The methods in table order without the one at the 0-based position (-1 keeps all).
    QStringList ApplicationMethodList(int leaveOut);
    // The chemical application methods allowed for the method, each once.
    QStringList CAMsForMethod(const QString& method);
    // CAM, Depi and Perc of the method's first default row; without one false, with an empty CAM,
    // Depi 4.0 and Perc 0.
    bool CAMDefault(const QString& method, QString& cam, double& depi, double& perc);
    // The default depth of the combination; 4.0 unless exactly one row gives it.
    double DefaultDepth(const QString& method, const QString& cam);
    // The PRZM number of the chemical application method; 0 when unknown.
    int CAMNumber(const QString& cam);
    void tblRunsAppMethodChange(TField& sender);
    void tblApplicationsRateChange(TField& sender);

    // --- drift regressions (DataModuleDrift.cpp) --------------------------------------------------
    // Zeros when there is no row; Ganzelmeier code 7 always takes one application.
    TRegressionParameters GetRegressionParameters(int ganzelmeierCode, int numberOfApps);
    // 0 when there is no row.
    int GetDriftPercentile(int numberOfApps);
    QStringList GetMitigationDistances();

    // --- run and application rules (DataModuleRunRules.cpp) ---------------------------------------
    // Refuses the pattern of the current row when its application window is shorter than 30 days plus
    // the intervals; with warn, says so when the last day falls in the next year.
    void CheckApplicationWindow(TRecordSet& recordSet, bool warn);
    // Checks the windows of every runoff run of the same project, crop and season against N.
    void CheckRunoffWindows(int numberOfApps, int projectId, int runNumber, int interval, int lastDay,
                            int firstDay, const QString& cropNr, const QString& cropCode);
    void AdjustApplicationCount(const QString& runId, int numberOfApps);
    void CopyApplicationsTo(const QString& runId);
    // Copies the current run's pattern to the runs of its crop and season; answers the runs left unchanged.
    // Also spreads a drift run's mitigation to the other drift runs; those whose FOCUS distance the
    // buffer does not reach keep their own and are listed in unmitigated.
    QStringList CopyPatternToCropRuns(QStringList* unmitigated = nullptr);
    // A digest of the current project's runs, their applications and its substance's default patterns as
    // they stand in the database now: equal digests mean the runs editor changed nothing.
    QByteArray RunsEditorState();
    void DeleteApplicationScheme(int id);
    void tblRunsBeforePost(TRecordSet& recordSet);
    void tblRunsAfterPost(TRecordSet& recordSet);
    void tblRunsAfterInsert(TRecordSet& recordSet);
    void tblRunsBeforeDelete(TRecordSet& recordSet);
    void tblRunsAfterDelete(TRecordSet& recordSet);
    void tblRunsNumberOfAppsChange(TField& field);
    void tblRunsFirstDayYrAppChange(TField& field);
    void tblRunsFirstDayYrAppValidate(TField& field);
    void tblRunsLastDayYrAppValidate(TField& field);
    void tblRunsFirstDayYrAppJulianValidate(TField& field);
    void tblRunsLastDayYrAppJulianValidate(TField& field);
    void tblRunsMinIntervalAppsValidate(TField& field);
    void tblRunsBufferDistanceValidate(TField& field);
    static void tblRunsCalcFields(TRecordSet& rs);
    void tblRunsDriftReductionValidate(TField& field);
    // The Step 4 mitigation of the run in the current row: refused (EKelvoError) for a metabolite run,
    // a buffer nearer than the FOCUS distance of its method, crop and water body or beyond 100 m, and a
    // reduction that is not a technique class.
    void CheckRunMitigation(TRecordSet& rs);
    void CheckMitigation(const QString& runId, const QString& cropCode, const QString& waterBodyCode,
                         const QString& appMethod, const TMitigation& mitigation);
    // Sets the mitigation of the project's drift runs (all, those on one water body type, or the named
    // runs) in one transaction. Every run is checked first: a refusal names the run and stores nothing.
    // Answers the runs set.
    QStringList MitigateRuns(int projectId, const TMitigation& mitigation, const QString& waterBodyCode,
                             const QStringList& runIds);
    void tblApplicationsAfterInsert(TRecordSet& recordSet);


    // --- default application pattern rules (DataModuleDefaultRules.cpp) ---------------------------
    bool OpenDefaults();
    void CloseDefaults();
    // The text of a field of the current tblDefaults row; empty while tblDefaults is closed.
    QString DefaultsFieldText(const QString& fieldName);
    bool IsCropAtLocation(const QString& cropCode, const QString& locationCode);
    bool DefaultPatternExists(const QString& substanceCode, const QString& cropCode, const QString& locationCode,
                              const QString& cropNr);
    void tblDefaultsBeforePost(TRecordSet& dataSet);
    void tblDefaultsBeforeDelete(TRecordSet& dataSet);
    void tblDefaultsCalcFields(TRecordSet& dataSet);

    // --- substance rules and operations (DataModuleSubstanceRules.cpp) ----------------------------
    void tblSubstancesBeforeEdit(TRecordSet& dataSet);
    void tblSubstancesBeforePost(TRecordSet& dataSet);
    void tblSubstancesBeforeDelete(TRecordSet& dataSet);
    // Installed on tblSubstances by the substance editor while it is open.
    void tblSubstancesAfterScroll(TRecordSet& dataSet);
    void tblSubstancesIsParentChange(TField& sender);
    // Posts the three substance record sets; shows the first error and answers false.
    // The message of the first required value the current substance lacks; empty when it has them all.
    QString MissingRequiredValue() const;
    bool SaveSubstance();
    void UndoSubstance();
    bool OpenSubstanceTables();
    bool OpenSubstanceAt(const QString& code);
    void CloseSubstanceTables();
    // Edits the record set and sets the field; shows an error and answers false.
    bool SetFieldValue(TRecordSet& recordSet, const QString& fieldName, double value);
    bool IsSubstanceCodeFree(const QString& code);
    bool IsSubstanceUsedInProject(const QString& code);
    // The names of the projects of every substance a project is made for, in the order of creation.
    QHash<QString, QStringList> ProjectsBySubstance();
    bool IsMetaboliteOfAnother(const QString& code);
    QStringList ListFreeMetabolites(const QString& parentCode);
    // Copies the source's values and default patterns into the new substance's existing rows
    // (DataModuleSubstanceCopy.cpp).
    void CopySubstanceValues(const QString& newCode, const QString& sourceCode);
    void CopyDefaultPatterns(const QString& newCode);
    double GetMolarMass(const QString& code);
    // The factor waiting for the parent's Save, else the stored one.
    double GetConversionFactor(const QString& code);
    // Writes the factor at once.
    void SetConversionFactor(const QString& code, double value);
    // The factor waits for the parent's Save.
    void DeferConversionFactor(const QString& code, double value);
    void ClearTransformationFields(TRecordSet& przm);
    void TouchRecord(TRecordSet& recordSet);
    // Creates a substance's three rows with their defaults (DataModuleSubstanceInsert.cpp).
    void InsertSubstance(const QString& code, const QString& name);
    // The default values of a new substance's three rows, each with its field, for the open substance
    // record sets; the fields in `given` are left out, as the caller sets them itself.
    struct TSubstanceDefaults {
        QVector<std::pair<TField*, double>> substance, macro, przm;
    };
    TSubstanceDefaults SubstanceDefaults(const QSet<const TField*>& given = {});
    // Starts the three rows of a new substance with those defaults, unposted, for a caller that sets
    // its values and then posts each row once, the Substances row first.
    void StartNewSubstance(const QString& code, const QString& name, const TSubstanceDefaults& defaults);

    // --- project creation and lookups (DataModuleProjects.cpp) ------------------------------------
    // The pattern a new run starts with: the substance's default pattern row for the crop, scenario and
    // season; without one, one application from two weeks before emergence (days 1 to 365 when the
    // emergence date is unknown).
    void GetDefaultPattern(const QString& substanceCode, const QString& cropCode, const QString& locationCode,
                           const QString& cropNr, QString& method, int& numberOfApps, int& firstDay, int& lastDay,
                           int& interval);
    // The crop's dates at the scenario; a row without an emergence date (a perennial crop) counts as
    // not found.
    bool GetCropDates(const QString& cropCode, const QString& locationCode, const QString& cropNr,
                      QDateTime& emergence, QDateTime& harvest);
    // qryCropLocation open on the crop's seasons at the scenario; the caller closes it.
    TQuery& OpenCropLocationRows(const QString& cropCode, const QString& locationCode);
    // The largest run number of the listed projects (the example project 3 left out); 0 when none.
    int HighestRunNumber();
    int HighestProjectID();
    // Appends the Projects row under the highest ProjectID + 1, at least 4 (1 to 3 are the example
    // projects'); a data error is shown and answered -1.
    int InsertProject(const QString& name, const QString& description, const QString& path,
                      const QString& substanceCode, const QDateTime& creationDate, const QDateTime& modificationDate);
    // Whether no TOXSWA map carries the name, in any letter case.
    bool ProjectNameIsFree(const QString& name);
    QString SubstanceText(const QString& code, const QString& column);
    int SubstancePRZMInteger(const QString& code, const QString& column);
    // icombo3 of the substance; -1 when the substance is not found.
    int PRZMRelationship(const QString& code);
    QStringList ParentSubstanceCodes();
    // The project of the current qryProjects row with its runs; none when the list is closed or empty.
    std::unique_ptr<TProject> CurrentProject();
    // Selects ("Yes") or unselects (empty) every run of the project.
    void SetRunsSelected(bool select, int projectId);
    // (DataModuleSubstanceCompleteness.cpp)
    // With missing, the fields left empty, as the substance editor labels them.
    bool IsSubstanceComplete(const QString& code, QStringList* missing = nullptr);
    // The same test on the current rows of the substance record sets, which stay as they are: the
    // completeness test of the exports to MACRO and PRZM.
    bool IsCurrentSubstanceComplete();
    // The empty fields of the current substance that make it incomplete, as the editor labels them.
    QStringList MissingSubstanceFields();
    // The substances neither model file receives because they are incomplete (a substance read from a
    // model goes back to it whatever it misses), each as "CODE (missing: <fields>)".
    QStringList SubstancesLeftOutOfModels();
    bool CheckSubstance(const QString& code, QStringList* missing = nullptr);

    // --- project record rules (DataModuleProjectRules.cpp) ----------------------------------------
    // Refuses the example projects, asks twice and, when the created files go too, removes the MACRO
    // runs, the project directory and the TOXSWA map; the project stays under deletion until after it.
    void qryProjectsBeforeDelete(TRecordSet& dataSet);
    // Removes the TOXSWA application schemes and the map of the project under deletion.
    void qryProjectsAfterDelete(TRecordSet& dataSet);

    // --- PRZM project list (DataModulePRZMProjectList.cpp) ----------------------------------------
    // Rewrites PRZM/przm.prj: one line per listed project with its name, directory and creation date
    // in fixed columns. Raises EKelvoError when the file cannot be written.
    void WritePRZMProjectList();

    // --- substance exchange with MACRO (DataModuleMacroExchange.cpp) ------------------------------
    // Reads every substance of the MACRO database into the substance tables; false when the database
    // or its compound table cannot be opened.
    bool ImportMacroSubstances(TdmMacroADO& macro);
    bool ReadMacroSubstances(TdmMacroADO& macro);
    // Takes the current compound or metab row over; a locked substance stays as it is.
    void ImportMacroRow(TRecordSet& row);
    // Records the metabolite in the parent's slot 1 or 2 (and the scheme in icombo3).
    void LinkMetabolite(const QString& parentCode, const QString& metaboliteCode, int slot);
    // Rewrites compound and metab from the substances complete for export (or taken over from MACRO);
    // false when the database or its compound table cannot be opened.
    bool WriteMacroSubstances(TdmMacroADO& macro);
    void WriteCompoundRow(TRecordSet& compound);
    // Makes the metab row of the code current, appending it when missing; a parent code is its inform.
    void EnsureMetabRow(TRecordSet& metab, const QString& code, const QString& parentCode);
    // Writes the current substance's values into the metab row of the code, when there is one.
    void FillMetabRow(TRecordSet& metab, const QString& code);

    // --- substance exchange with PRZM (DataModulePRZMExchange.cpp) --------------------------------
    // Takes every chemical of the PRZM chemical data file over into the substance tables. Raises
    // "File not found: " + path, the reading errors of the file and the errors of the database.
    bool ImportPRZMSubstances();
    // Takes chemical j (1 to 3) of the record over; false when it has no name and is skipped.
    bool ImportPRZMChemical(const TPRZM_Substance& record, int j);
    // Rewrites PRZM/przm.prj and then the chemical data file from the parents complete for export (or
    // taken over from PRZM), in table order. Raises when the chemical data file cannot be written; the
    // old file set then stays.
    bool WritePRZMSubstances();
    // Raises, naming substance, field and value, when a substance PRZM is written would not fit its
    // field of the chemical data file; writes nothing.
    void CheckPRZMSubstances();
    void FillPRZMRecords(TAggregationList& records);
    // Fill a record from the current substance rows: a new record from a parent, chemical j (2 or 3)
    // from a metabolite.
    void FillParentRecord(TPRZM_Substance& record);
    void FillMetaboliteSlot(TPRZM_Substance& record, int j);
    // Chemical j (2 or 3) becomes a copy of chemical 1 without a name; iset2 and iset3 become iset1.
    static void CopyParentToSlot(TPRZM_Substance& record, int j);

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
    // The application scheme of the run whose deletion is under way; 0 when none.
    int m_deletedScheme = 0;
    // The project whose row is being deleted while its created files go too: set before the row is
    // deleted, freed after.
    std::unique_ptr<TProject> m_projectUnderDeletion;
    // The application window rule on explicit values: refuses a window shorter than 30 days plus the
    // intervals; with warn, says so when the last day falls in the next year.
    void CheckWindow(int numberOfApps, int interval, int firstDay, int lastDay, bool warn);
    void DayNumberValidate(TField& field, const QString& textField);
    void DayTextValidate(TField& field, const QString& numberField);
};

// A refusal of an incomplete substance followed by the names of its missing fields.
QString IncompleteSubstanceMessage(const QString& refusal, const QStringList& missing);

// The one scenario data module of the process; set while it exists.
extern TdmKelvoADO* dmKelvoADO;
