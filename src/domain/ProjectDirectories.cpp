#include "domain/Project.h"

#include "domain/ModelFile.h"
#include "domain/ProjectDirectoryRebuild.h"
#include "foundation/Errors.h"
#include "foundation/Installation.h"
#include "foundation/UserInterface.h"
#include "foundation/Utils.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

const QString ProjectMarkerName = u".kelvo-project"_s;

namespace {

const QStringList ModelFolders{u"TOXSWA"_s, u"PRZM"_s, u"MACRO"_s};

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

// Kelvo's own directories, which no project may lie in or hold.
QString KelvoDirectoryRefusal(const QString& directory) {
    const struct {
        QString path;
        QString what;
    } own[] = {{Resolved(InstallationDir()), u"the working installation"_s},
               {Resolved(ProgramDir()), u"the program directory"_s}};
    for (const auto& kelvo : own)
        if (IsOrContains(kelvo.path, directory) || IsOrContains(directory, kelvo.path))
            return u"it is, holds or lies inside %1 %2"_s.arg(kelvo.what, kelvo.path);
    return {};
}

// The nearest directory at or above the path that carries a project marker; empty without one.
QString MarkedAncestor(const QString& path) {
    for (QDir dir(Resolved(path));;) {
        if (QFileInfo::exists(dir.filePath(ProjectMarkerName))) return dir.path();
        if (!dir.cdUp()) return {};
    }
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
    return KelvoDirectoryRefusal(directory);
}

// The project and installation a marker names; false when it cannot be read.
bool ReadMarker(const QString& directory, int& projectId, QString& installation) {
    QFile file(directory + u'/' + ProjectMarkerName);
    if (!file.open(QIODevice::ReadOnly)) return false;
    bool idRead = false;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.startsWith(u"ProjectID="_s)) projectId = line.mid(10).toInt(&idRead);
        if (line.startsWith(u"Installation="_s)) installation = line.mid(13);
    }
    return idRead && !installation.isEmpty();
}

// The entries directly in the directory, hidden ones too.
QStringList Entries(const QString& directory) {
    return QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// Why the existing directory is not this project's own: marked for another project or installation,
// unmarked but holding what no export writes (a directory of an older Kelvo holding only an export's
// entries is adopted), or holding another project's directory among the export's folders.
QString OwnershipRefusal(const TProject& project) {
    const QString& path = project.Path;
    if (!QFileInfo(path).isDir()) return {};
    if (QFileInfo::exists(path + u'/' + ProjectMarkerName)) {
        int projectId = 0;
        QString installation;
        if (!ReadMarker(path, projectId, installation) || projectId != project.ProjectID ||
            Resolved(installation) != Resolved(InstallationDir()))
            return u"it is the folder of another project or of another working installation"_s;
    } else {
        const QStringList exported = project.ExportEntries();
        QStringList foreign;
        for (const QString& entry : Entries(path))
            if (!exported.contains(entry)) foreign << entry;
        if (!foreign.isEmpty())
            return u"Kelvo did not make it for this project and it holds %1"_s.arg(foreign.join(u", "_s));
    }
    for (const QString& entry : project.ExportEntries()) {
        QDirIterator it(path + u'/' + entry, {ProjectMarkerName}, QDir::Files | QDir::Hidden,
                        QDirIterator::Subdirectories);
        if (it.hasNext())
            return u"it holds the folder of another project, %1"_s.arg(QFileInfo(it.next()).path());
    }
    return {};
}

} // namespace

QByteArray ProjectMarkerText(int projectId) {
    return u"ProjectID=%1\nInstallation=%2\n"_s.arg(projectId).arg(InstallationDir()).toUtf8();
}

QString TProject::ReportFileName() const {
    return Path + u'/' + Name + u"_report.txt"_s;
}

bool TProject::HasToxswaDirectory() const {
    return QFileInfo(Path + u"/TOXSWA"_s).isDir();
}

QStringList TProject::ExportEntries() const {
    return ModelFolders +
           QStringList{QFileInfo(ReportFileName()).fileName(), ExportIncompleteMarker, PreviousExportFolder};
}

// Each level is made on its own: a missing parent makes its children fail too, each with its message.
void TProject::CreateDirectories() const {
    MakeMissingDirectory(DefaultProjectRoot());
    MakeMissingDirectory(Path);
    for (const QString& folder : ModelFolders)
        MakeMissingDirectory(Path + u'/' + folder);
}

QString ProjectRootRefusal(const QString& root) {
    const QString resolved = Resolved(root);
    if (const QString refusal = KelvoDirectoryRefusal(resolved); !refusal.isEmpty())
        return u"The project root %1 is not taken: %2."_s.arg(root, refusal);
    if (const QString marked = MarkedAncestor(resolved); !marked.isEmpty())
        return u"The project root %1 is not taken: it lies inside the project folder %2."_s.arg(root, marked);
    return {};
}

void TProject::CheckNewProjectDirectory() const {
    const QString directory = Path + u'/' + Name;
    if (const QString refusal = ProjectRootRefusal(Path); !refusal.isEmpty()) throw EKelvoError(refusal);
    if (QFileInfo(directory).isSymLink() || (QFileInfo::exists(directory) && !QFileInfo(directory).isDir()) ||
        !Entries(directory).isEmpty())
        throw EKelvoError(
            u"The folder %1 already exists and is not empty: choose another name or project root."_s.arg(
                directory));
}

bool TProject::MarkProjectDirectory() const {
    // As CreateDirectories: the projects root is made when missing, one level, even for a project elsewhere.
    if (!QFileInfo(DefaultProjectRoot()).isDir()) QDir().mkdir(DefaultProjectRoot());
    const bool made = !QFileInfo(Path).isDir();
    if (made && !QDir().mkdir(Path)) throw EKelvoError(u"Cannot create the folder %1"_s.arg(Path));
    try {
        if (!QFileInfo::exists(Path + u'/' + ProjectMarkerName))
            WriteWholeFile(Path + u'/' + ProjectMarkerName, ProjectMarkerText(ProjectID));
    } catch (...) {
        if (made) QDir().rmdir(Path);
        throw;
    }
    return made;
}

// Deletes what an export wrote and the marker; the user's own files stay, and the directory with them.
// Symbolic links inside the tree are removed, never followed.
bool TProject::DeleteProjectDirectory() const {
    CheckProjectDirectoryDeletable();
    if (!QFileInfo(Path).isDir()) return false;
    for (const QString& entry : ExportEntries()) {
        const QString target = Path + u'/' + entry;
        if (QFileInfo(target).isDir() && !QFileInfo(target).isSymLink())
            DeleteDirectoryTree(target);
        else
            QFile::remove(target);
    }
    QFile::remove(Path + u'/' + ProjectMarkerName);
    if (const QStringList own = Entries(Path); !own.isEmpty())
        ShowInformation(u"Your own files in %1 are kept: %2"_s.arg(Path, own.join(u", "_s)));
    else
        QDir().rmdir(Path);
    return true;
}

void TProject::CheckProjectDirectoryDeletable() const {
    QString refusal = DeletionRefusal(Path, Name);
    if (refusal.isEmpty()) refusal = OwnershipRefusal(*this);
    if (!refusal.isEmpty())
        throw EKelvoError(u"The project directory \"%1\" is not deleted: %2."_s.arg(Path, refusal));
}
