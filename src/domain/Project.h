#pragma once

#include "foundation/ConcreteCollections.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>

class TCrop;
class TLocation;
class TRun;

// The root directory below which new projects are made: $HOME/KelvoProjects until a wizard (or
// kelvo-cli's --root) replaces it for the rest of the process.
QString DefaultProjectRoot();
void SetDefaultProjectRoot(const QString& directory);

// A project: the runs one substance needs on the chosen crops, scenarios and water body types.
class TProject {
public:
    TProject(const QString& name, const QString& description);
    ~TProject();
    TProject(const TProject&) = delete;
    TProject& operator=(const TProject&) = delete;

    // --- the project and its choices (Project.cpp) ----------------------------------------------
    // Refuses a name with a character that may not appear in names; the old name stays.
    void SetName(const QString& name);
    const QString& GetName() const { return Name; }
    void SetPath(const QString& path) { Path = path; }
    const QString& GetPath() const { return Path; }
    QString GetSubstanceName() const;
    bool HasSubstance() const { return !SubstanceCode.isEmpty(); }
    bool HasLocations() const;
    bool HasCrops() const;
    bool IsComplete() const;
    bool HasLocation(const TLocation& location) const;
    bool HasCrop(const TCrop& crop) const;
    void SelectLocations(const TAggregationList* source, const QStringList& locationCodes);
    void SelectCrop(const TAggregationList& source, const QString& cropName);
    void SelectCrops(const TAggregationList& source, const QStringList& cropNames);
    TRun* FindRun(const QString& runId) const;

    // --- runs and storing (Project.cpp) ---------------------------------------------------------
    bool CreateRuns();
    bool StoreRuns(bool createFirst);
    bool Save(bool createRuns);
    void RegisterToxswaMap();
    std::unique_ptr<TProject> CopyProject(const QString& newName, const QString& newDescription) const;

    // --- directories (ProjectDirectories.cpp) ---------------------------------------------------
    QString ReportFileName() const;
    bool HasToxswaDirectory() const;
    void CreateDirectories() const;
    // Deletes the project directory with everything in it; false when it did not exist. Raises, deleting
    // nothing, for an empty or relative path, a symbolic link, the file-system root, a directory holding
    // the home directory or the projects root, or one whose last part is not the project's name.
    bool DeleteProjectDirectory() const;
    // Raises what DeleteProjectDirectory would refuse, deleting nothing.
    void CheckProjectDirectoryDeletable() const;

    // --- report (ProjectReport.cpp) -------------------------------------------------------------
    QString WriteReport() const;

    // --- TOXSWA preparation (ProjectToxswa.cpp) -------------------------------------------------
    void PrepareToxswa();
    void PrepareToxswaRuns();
    void WriteApplicationScheme(const TRun& run);

    // --- PRZM run files (ProjectPRZM.cpp) -------------------------------------------------------
    void ExportPRZMRuns() const;
    void WritePRZMRunSettings(const TRun& run) const;
    QString PRZMSettingsFileName(const TRun& run) const;
    void PreparePRZMRunFolder(const TRun& run) const;
    void ConvertPRZMSettings(const QString& settingsFile) const;

    // --- MACRO run export (ProjectMacro.cpp) ----------------------------------------------------
    void ExportMACRORuns() const;
    void ExportMACRORun(const TRun& run, int applicationMethodIndex) const;
    void ExportMACROApplications(const TRun& run) const;

    QString Name;
    // Before Save the chosen root directory; from Save on the project directory (root + "/" + Name).
    QString Path;
    int ProjectID = 0;
    QString Description;
    QString SubstanceCode;
    // Chosen scenarios: copies owned by the project.
    std::unique_ptr<TAggregationList> Locations;
    // Chosen crops: references into a crop list owned by the caller.
    std::unique_ptr<TAssociationList> Crops;
    QStringList WaterBodies;
    QDateTime CreationDate;
    QDateTime ModificationDate;
    // The runs, in creation order (stored order for a project read back), owned.
    std::unique_ptr<TAggregationList> Runs;
};
