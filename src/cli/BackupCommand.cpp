// kelvo-cli backup [FILE]: a consistent copy of the scenario database, also while Kelvo or a model shell
// uses it. Without FILE the copy goes to backups/kelvo_db-<date>-<time>.sqlite in the working installation.

#include "cli/CliCommand.h"
#include "foundation/Errors.h"
#include "foundation/Installation.h"
#include "store/Connection.h"
#include "store/DataModuleKelvoADO.h"
#include "store/ScenarioSchema.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

using namespace Qt::Literals::StringLiterals;

namespace {

int RunBackup(QStringList arguments, TCliContext&) {
    QString target = arguments.isEmpty() ? QString() : arguments.takeFirst();
    RequireNoArguments(arguments);
    if (target.isEmpty())
        target = InstallationDir() + u"backups/kelvo_db-%1.sqlite"_s.arg(
                                         QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"_s));
    target = QFileInfo(target).absoluteFilePath();
    if (!QDir().mkpath(QFileInfo(target).absolutePath()))
        throw EKelvoError(u"Cannot create the folder of %1"_s.arg(target));
    const QString database = TdmKelvoADO::DatabaseFile();
    TConnection connection;
    try {
        connection.Open(database);
    } catch (const EKelvoError& e) {
        throw EKelvoError(u"%1: %2"_s.arg(database, e.Message()));
    }
    const int version = RecordedSchemaVersion(connection); // refuses a file that is not Kelvo's
    BackupDatabase(connection, target);
    QTextStream(stdout) << u"Backed up %1 (schema version %2) into %3"_s.arg(database).arg(version).arg(
                               target)
                        << Qt::endl;
    return 0;
}

const TCliCommandRegistrar registrar({u"backup"_s, u"[FILE]"_s,
                                      u"a consistent copy of the scenario database (default: backups/)"_s,
                                      RunBackup});

} // namespace
