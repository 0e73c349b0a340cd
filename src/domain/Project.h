#pragma once

#include "foundation/ConcreteCollections.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>

class TCrop;
class TLocation;
class TRun;

// The file that marks a directory Kelvo made for a project: the project's ProjectID and the working
// installation. An export or a deletion touches only a directory carrying the marker of its project.
extern const QString ProjectMarkerName;
// The marker's text for a project of this installation.
QByteArray ProjectMarkerText(int projectId);

// The root directory below which new projects are made: $HOME/KelvoProjects until a wizard (or
// kelvo-cli's --root) replaces it for the rest of the process.
QString DefaultProjectRoot();
void SetDefaultProjectRoot(const QString& directory);
// Why root cannot hold new projects (it is, holds or lies in Kelvo's own directories or lies inside a
// project's folder); empty when it can.
QString ProjectRootRefusal(const QString& root);

// A project description is one line of at most this many characters.
constexpr int MaxProjectDescriptionLength = 100;
// Why description cannot describe a project, or empty when it can.
QString ProjectDescriptionRefusal(const QString& description);

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
    // Refuses a description ProjectDescriptionRefusal refuses; the old description stays.
    void SetDescription(const QString& description);
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
    // What an export writes directly in the project directory: the model folders, the report, the
    // unfinished-export mark and the folder an export sets the previous one aside in.
    QStringList ExportEntries() const;
    // Before Save, with Path the chosen root: raises when the root is, holds or lies inside the working
    // installation or the program directory, lies inside a project directory, or when the project
    // directory (root + "/" + Name) exists and is not empty.
    void CheckNewProjectDirectory() const;
    // Makes the project directory when it is missing and marks it as this project's of this working
    // installation (ProjectMarkerName). Answers whether it made the directory.
    bool MarkProjectDirectory() const;
    // Deletes what an export wrote and the project's marker, then the directory when nothing else is
    // left; the user's own files are kept and named. False when the directory did not exist. Raises,
    // deleting nothing, what CheckProjectDirectoryDeletable raises.
    bool DeleteProjectDirectory() const;
    // Raises, deleting nothing, for a directory that is not plainly this project's own: an empty or
    // relative path, a symbolic link, the file-system root, a directory holding the home directory or
    // the projects root, one whose last part is not the project's name, one inside or holding Kelvo's
    // own directories, one marked for another project or installation, an unmarked one holding more
    // than an export writes, or one holding another project's directory among the export's folders.
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
