#include "domain/ProjectDirectoryRebuild.h"

#include "domain/ModelFile.h"
#include "domain/Project.h"
#include "foundation/Errors.h"
#include "foundation/Utils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

const QString ExportIncompleteMarker = u"EXPORT_INCOMPLETE.txt"_s;

namespace {

void WriteMarker(const QString& directory) {
    WriteWholeFile(directory + u'/' + ExportIncompleteMarker,
                   "The export of this project did not finish: the files here are incomplete.\r\n"
                   "Export the project again.\r\n");
}

} // namespace

bool IsExportIncomplete(const QString& projectPath) {
    return QFileInfo::exists(projectPath + u'/' + ExportIncompleteMarker);
}

TProjectDirectoryRebuild::TProjectDirectoryRebuild(const TProject& project)
    : m_project(project), m_previous(QDir::cleanPath(project.Path) + u".previous"_s) {
    m_project.CheckProjectDirectoryDeletable();
    DeleteDirectoryTree(m_previous);
    if (QFileInfo(m_project.Path).isDir()) {
        if (!QDir().rename(m_project.Path, m_previous))
            throw EKelvoError(u"Cannot move %1 to %2"_s.arg(m_project.Path, m_previous));
        m_setAside = true;
    }
}

// Before any file: no moment shows a directory with files and without the marker.
void TProjectDirectoryRebuild::MarkUnfinished() {
    if (QFileInfo(m_project.Path).isDir()) WriteMarker(m_project.Path);
}

TProjectDirectoryRebuild::~TProjectDirectoryRebuild() {
    if (m_finished) return;
    DeleteDirectoryTree(m_project.Path);
    if (m_setAside) QDir().rename(m_previous, m_project.Path);
}

void TProjectDirectoryRebuild::Finish() {
    if (IsExportIncomplete(m_project.Path) && !QFile::remove(m_project.Path + u'/' + ExportIncompleteMarker))
        throw EKelvoError(u"Cannot delete %1/%2"_s.arg(m_project.Path, ExportIncompleteMarker));
    m_finished = true;
    DeleteDirectoryTree(m_previous);
}
