#include "export/StandinInstaller.h"

#include "export/DataModuleMacroADO.h"
#include "foundation/Errors.h"
#include "foundation/Installation.h"
#include "store/Connection.h"
#include "store/DataModuleKelvoADO.h"
#include "store/ScenarioDatabaseBuilder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

using namespace Qt::Literals::StringLiterals;

namespace {

void MakeFolderOf(const QString& file) {
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        throw EKelvoError(u"Cannot create the folder of %1"_s.arg(file));
}

void WriteFile(const QString& fileName, const QByteArray& contents) {
    MakeFolderOf(fileName);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size() || !file.commit())
        throw EKelvoError(u"Cannot write %1: %2"_s.arg(fileName, file.errorString()));
}

QByteArray ReadFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EKelvoError(u"Cannot read %1: %2"_s.arg(fileName, file.errorString()));
    return file.readAll();
}

// The PRZM chemical data file and the MACRO substance tables written from the installation's scenario
// database by the data module, as on leaving the system.
void WriteModelSubstances(const QString& installDir) {
    const QString previousDir = InstallationDir();
    TdmKelvoADO* const previousModule = dmKelvoADO;
    TdmMacroADO* const previousMacroModule = dmMacroADO;
    SetInstallationDir(installDir);
    const auto restore = [&] {
        SetInstallationDir(previousDir);
        dmKelvoADO = previousModule;
        dmMacroADO = previousMacroModule;
    };
    try {
        TdmKelvoADO dm;
        if (!dm.OpenDatabase()) throw EKelvoError(u"Cannot open %1"_s.arg(TdmKelvoADO::DatabaseFile()));
        dm.WritePRZMSubstances();
        TdmMacroADO macro;
        if (!dm.WriteMacroSubstances(macro))
            throw EKelvoError(u"Cannot write the substances into %1"_s.arg(macro.DatabasePath()));
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

} // namespace

void InstallStandins(const QString& standinsSourceDir, const QString& installDir) {
    const QDir source(standinsSourceDir);
    if (!source.exists()) throw EKelvoError(u"No stand-ins folder %1"_s.arg(standinsSourceDir));
    const QDir target(installDir);
    QDirIterator it(standinsSourceDir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString relative = source.relativeFilePath(file);
        if (relative.endsWith(u".sql"_s)) {
            const QString script = QString::fromUtf8(ReadFile(file));
            const QString database = target.filePath(relative.chopped(4) + u".sqlite"_s);
            BuildDatabaseFile(database,
                              [&script](TConnection& connection) { connection.ExecuteScript(script); });
        } else {
            WriteFile(target.filePath(relative), ReadFile(file));
        }
    }
    WriteStandinSubstances(installDir);
}

void WriteStandinSubstances(const QString& installDir) {
    const QDir target(installDir);
    WriteFile(target.filePath(u"PRZM/wpic/chmdat.dat"_s), {});
    WriteFile(target.filePath(u"PRZM/wpic/chmnum.dat"_s), "0\r\n");
    WriteModelSubstances(installDir);
}
