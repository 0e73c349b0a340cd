#pragma once

#include <QString>
#include <QStringList>

class TProject;

// The name of the file that marks a project directory whose export did not finish.
extern const QString ExportIncompleteMarker;
// The folder inside the project directory where a rebuild keeps the previous export.
extern const QString PreviousExportFolder;

// Whether the project directory holds files of an export that did not finish (the process was killed).
bool IsExportIncomplete(const QString& projectPath);

// Rebuilds a project directory for an export so that an export stopped at any moment never leaves a
// directory that looks complete. Only a directory that is the project's own is rebuilt (raising, with
// nothing changed, otherwise); it is made and marked when missing. The unfinished-export mark is
// written first, then the previous export's entries (model folders and report) are set aside in
// PreviousExportFolder; the user's own files stay where they are. A rebuild that ends without Finish
// (an error) deletes the new entries and puts the previous ones back; Finish deletes the previous ones.
// A PreviousExportFolder left by a killed export is deleted when the next rebuild starts.
class TProjectDirectoryRebuild {
public:
    explicit TProjectDirectoryRebuild(const TProject& project);
    ~TProjectDirectoryRebuild();
    TProjectDirectoryRebuild(const TProjectDirectoryRebuild&) = delete;
    TProjectDirectoryRebuild& operator=(const TProjectDirectoryRebuild&) = delete;

    // Puts the previous export's entry back in place of the new one (a model that was not written).
    void KeepPrevious(const QString& entry);
    void Finish();

private:
    void Restore();

    const TProject& m_project;
    QString m_previous;
    QStringList m_setAside;
    bool m_madeDirectory = false;
    bool m_wasUnfinished = false;
    bool m_rebuilding = false;
    bool m_finished = false;
};
