#include "domain/Project.h"

#include "foundation/Errors.h"
#include "foundation/UserInterface.h"
#include "foundation/Utils.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

// Creates one directory level; a failure is shown and the caller goes on.
void MakeDirectory(const QString& path) {
    if (!QDir().mkdir(path)) ShowMessage(u"error creating directory: "_s + path);
}

void MakeMissingDirectory(const QString& path) {
    if (!QFileInfo(path).isDir()) MakeDirectory(path);
}

// The path with symbolic links resolved; the cleaned path itself while it does not exist.
QString Resolved(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QDir(path).absolutePath()) : canonical;
}

// Whether the directory is the other one or one of its ancestors.
bool IsOrContains(const QString& directory, const QString& other) {
    return other == directory || other.startsWith(directory.endsWith(u'/') ? directory : directory + u'/');
}

// Why the project directory must not be deleted; empty when it may be.
QString DeletionRefusal(const QString& path, const QString& name) {
    if (path.trimmed().isEmpty()) return u"the project has no directory"_s;
    if (QDir::isRelativePath(path)) return u"it is not an absolute path"_s;
    const QFileInfo info(path);
    if (info.isSymLink()) return u"it is a symbolic link"_s;
    const QString directory = Resolved(path);
    if (directory == QDir::rootPath()) return u"it is the file-system root"_s;
    if (IsOrContains(directory, Resolved(QDir::homePath()))) return u"it is or contains the home directory"_s;
    if (IsOrContains(directory, Resolved(DefaultProjectRoot())))
        return u"it is or contains the projects root"_s;
    if (QFileInfo(QDir::cleanPath(path)).fileName() != name || name.isEmpty())
        return u"its last part is not the project name \"%1\""_s.arg(name);
    return {};
}

} // namespace

QString TProject::ReportFileName() const {
    return Path + u'/' + Name + u"_report.txt"_s;
}

bool TProject::HasToxswaDirectory() const {
    return QFileInfo(Path + u"/TOXSWA"_s).isDir();
}

// Each level is made on its own: a missing parent makes its children fail too, each with its message.
void TProject::CreateDirectories() const {
    MakeMissingDirectory(DefaultProjectRoot());
    MakeMissingDirectory(Path);
    MakeMissingDirectory(Path + u"/TOXSWA"_s);
    MakeMissingDirectory(Path + u"/PRZM"_s);
    MakeMissingDirectory(Path + u"/MACRO"_s);
}

// Refuses, deleting nothing, a directory that is not plainly this project's own: see DeletionRefusal.
// Symbolic links inside the tree are removed, never followed.
bool TProject::DeleteProjectDirectory() const {
    CheckProjectDirectoryDeletable();
    return DeleteDirectoryTree(Path);
}

void TProject::CheckProjectDirectoryDeletable() const {
    if (const QString refusal = DeletionRefusal(Path, Name); !refusal.isEmpty())
        throw EKelvoError(u"The project directory \"%1\" is not deleted: %2."_s.arg(Path, refusal));
}
