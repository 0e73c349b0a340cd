#include "store/WorkingInstallation.h"

#include "foundation/Errors.h"
#include "foundation/Installation.h"
#include "foundation/UserInterface.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString databasePath = u"data/kelvo_db.sqlite"_s;
const QStringList modelDirs = {u"MACRO"_s, u"PRZM"_s, u"TOXSWA"_s};

void CopyFile(const QString& from, const QString& to) {
    if (!QDir().mkpath(QFileInfo(to).absolutePath()))
        throw EKelvoError(u"Cannot create the folder of %1"_s.arg(to));
    QFile::remove(to);
    QFile source(from);
    if (!source.copy(to))
        throw EKelvoError(u"Cannot copy %1 to %2: %3"_s.arg(from, to, source.errorString()));
    // The user owns the copy, whatever the program files allow.
    QFile::setPermissions(to, QFile::permissions(to) | QFile::ReadOwner | QFile::WriteOwner);
}

// Copies a template folder under a temporary name and renames it into place, so that the model folder
// either is complete or is not there.
void CopyModelDir(const QString& from, const QString& to) {
    const QString partial = to + u".part"_s;
    QDir(partial).removeRecursively();
    QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        CopyFile(file, partial + u'/' + QDir(from).relativeFilePath(file));
    }
    if (!QDir().rename(partial, to)) {
        QDir(partial).removeRecursively();
        throw EKelvoError(u"Cannot make %1"_s.arg(to));
    }
}

// Each model folder of the templates that the installation lacks (a user deleted it) is copied back.
void RestoreModelDirs(const QString& dir, const QString& templates) {
    QStringList missing;
    for (const QString& model : modelDirs)
        if (!QFileInfo::exists(dir + model) && QFileInfo(templates + model).isDir()) missing << model;
    if (missing.isEmpty()) return;
    QLockFile lock(dir + u"kelvo-setup.lck"_s);
    if (!lock.tryLock(60000))
        throw EKelvoError(u"Cannot restore the model folders of %1: another Kelvo holds %2"_s.arg(
            dir, dir + u"kelvo-setup.lck"_s));
    for (const QString& model : missing) {
        if (QFileInfo::exists(dir + model)) continue; // the other process restored it meanwhile
        CopyModelDir(templates + model, dir + model);
        ShowInformation(
            u"The model folder %1 was missing: Kelvo restored it from its templates."_s.arg(dir + model));
    }
}

} // namespace

QString TemplatesDir() {
    return ProgramDir() + u"templates/"_s;
}

bool MakeWorkingInstallation() {
    const QString dir = InstallationDir();
    const QString database = dir + databasePath;
    if (QFileInfo::exists(database)) {
        RestoreModelDirs(dir, TemplatesDir());
        return false;
    }
    const QString templates = TemplatesDir();
    if (!QFileInfo(templates + databasePath).isFile())
        throw EKelvoError(
            u"The program's templates are missing: %1 not found"_s.arg(templates + databasePath));
    if (!QDir().mkpath(dir + u"data"_s))
        throw EKelvoError(u"Cannot create the working installation %1"_s.arg(dir));

    QLockFile lock(dir + u"kelvo-setup.lck"_s);
    if (!lock.tryLock(60000))
        throw EKelvoError(u"Cannot make the working installation %1: another Kelvo holds %2"_s.arg(
            dir, dir + u"kelvo-setup.lck"_s));
    if (QFileInfo::exists(database)) return false; // the other process made it meanwhile

    for (const QString& model : modelDirs)
        if (!QFileInfo::exists(dir + model) && QFileInfo(templates + model).isDir())
            CopyModelDir(templates + model, dir + model);
    const QString partial = database + u".part"_s;
    CopyFile(templates + databasePath, partial);
    if (!QFile::rename(partial, database)) {
        QFile::remove(partial);
        throw EKelvoError(u"Cannot make %1"_s.arg(database));
    }
    ShowInformation(u"Kelvo made its working installation in %1. Your substances, projects and the models' "
                    u"data are kept there."_s.arg(dir));
    return true;
}
