#pragma once

#include <QString>

class TProject;

// The name of the file that marks a project directory whose export did not finish.
extern const QString ExportIncompleteMarker;

// Whether the project directory holds files of an export that did not finish (the process was killed).
bool IsExportIncomplete(const QString& projectPath);

// Rebuilds a project directory for an export so that an export stopped at any moment never leaves a
// directory that looks complete. The previous directory is set aside as "<dir>.previous"; the new one,
// once made, carries ExportIncompleteMarker from MarkUnfinished until Finish. A rebuild that ends without
// Finish (an error) deletes the new directory and puts the previous one back; Finish deletes the previous
// one. A "<dir>.previous" left by a killed export is deleted when the next rebuild starts.
class TProjectDirectoryRebuild {
public:
    explicit TProjectDirectoryRebuild(const TProject& project);
    ~TProjectDirectoryRebuild();
    TProjectDirectoryRebuild(const TProjectDirectoryRebuild&) = delete;
    TProjectDirectoryRebuild& operator=(const TProjectDirectoryRebuild&) = delete;

    void MarkUnfinished();
    void Finish();

private:
    const TProject& m_project;
    QString m_previous;
    bool m_setAside = false;
    bool m_finished = false;
};
