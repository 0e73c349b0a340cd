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
const QString PreviousExportFolder = u".kelvo-previous"_s;

namespace {

void WriteMarker(const QString& directory) {
    WriteWholeFile(directory + u'/' + ExportIncompleteMarker,
                   "The export of this project did not finish: the files here are incomplete.\r\n"
                   "Export the project again.\r\n");
}

void RemoveEntry(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        DeleteDirectoryTree(path);
    else
        QFile::remove(path);
}

// The entries of an earlier export that a rebuild sets aside: all but the marks and the set-aside folder.
QStringList ReplacedEntries(const TProject& project) {
    QStringList entries = project.ExportEntries();
    entries.removeAll(ExportIncompleteMarker);
    entries.removeAll(PreviousExportFolder);
    return entries;
}

} // namespace

bool IsExportIncomplete(const QString& projectPath) {
    return QFileInfo::exists(projectPath + u'/' + ExportIncompleteMarker);
}

TProjectDirectoryRebuild::TProjectDirectoryRebuild(const TProject& project)
    : m_project(project), m_previous(QDir::cleanPath(project.Path) + u'/' + PreviousExportFolder) {
    m_project.CheckProjectDirectoryDeletable();
    m_madeDirectory = m_project.MarkProjectDirectory();
    try {
        DeleteDirectoryTree(m_previous);
        m_wasUnfinished = IsExportIncomplete(m_project.Path);
        // Before any file is moved or made: no moment shows a directory with files and without the mark.
        WriteMarker(m_project.Path);
        if (!QDir().mkdir(m_previous)) throw EKelvoError(u"Cannot create the folder %1"_s.arg(m_previous));
        for (const QString& entry : ReplacedEntries(m_project)) {
            const QString path = m_project.Path + u'/' + entry;
            if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) continue;
            if (!QDir().rename(path, m_previous + u'/' + entry))
                throw EKelvoError(u"Cannot move %1 to %2"_s.arg(path, m_previous));
            m_setAside << entry;
        }
        m_rebuilding = true;
    } catch (...) {
        Restore();
        throw;
    }
}

TProjectDirectoryRebuild::~TProjectDirectoryRebuild() {
    if (!m_finished) Restore();
}

void TProjectDirectoryRebuild::Restore() {
    // Until every entry is set aside, those still in place are the previous export's.
    if (m_rebuilding)
        for (const QString& entry : ReplacedEntries(m_project))
            if (!m_setAside.contains(entry)) RemoveEntry(m_project.Path + u'/' + entry);
    for (const QString& entry : m_setAside) {
        RemoveEntry(m_project.Path + u'/' + entry);
        QDir().rename(m_previous + u'/' + entry, m_project.Path + u'/' + entry);
    }
    m_setAside.clear();
    QDir().rmdir(m_previous);
    if (!m_wasUnfinished) QFile::remove(m_project.Path + u'/' + ExportIncompleteMarker);
    if (m_madeDirectory) {
        QFile::remove(m_project.Path + u'/' + ProjectMarkerName);
        QDir().rmdir(m_project.Path);
    }
}

void TProjectDirectoryRebuild::KeepPrevious(const QString& entry) {
    if (!m_setAside.contains(entry)) return;
    const QString path = m_project.Path + u'/' + entry;
    RemoveEntry(path);
    if (!QDir().rename(m_previous + u'/' + entry, path))
        throw EKelvoError(u"Cannot move %1 back to %2"_s.arg(m_previous + u'/' + entry, m_project.Path));
    m_setAside.removeAll(entry);
}

// The previous export goes while the mark still stands: no moment shows it beside a complete export.
void TProjectDirectoryRebuild::Finish() {
    m_finished = true;
    DeleteDirectoryTree(m_previous);
    if (IsExportIncomplete(m_project.Path) && !QFile::remove(m_project.Path + u'/' + ExportIncompleteMarker))
        throw EKelvoError(u"Cannot delete %1/%2"_s.arg(m_project.Path, ExportIncompleteMarker));
}
