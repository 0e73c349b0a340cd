// kelvo-cli restore FILE: puts a backup of the scenario database back. The backup is checked on a copy
// first (a Kelvo scenario database this program can open, migrated when older); then the current
// database is moved aside together with its -wal and -shm files, so a stale log never meets the restored
// file, and the checked copy takes its place. Nothing is changed when the backup is refused.

#include "cli/CliCommand.h"
#include "foundation/Errors.h"
#include "store/Connection.h"
#include "store/DataModuleKelvoADO.h"
#include "store/ScenarioSchema.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

using namespace Qt::Literals::StringLiterals;

namespace {

const QStringList sqliteSuffixes{QString(), u"-wal"_s, u"-shm"_s};

// Opens file as this program opens its scenario database; answers its schema version.
int PrepareRestored(const QString& file) {
    TConnection connection;
    try {
        connection.Open(file);
    } catch (const EKelvoError& e) {
        throw EKelvoError(DatabaseProblem(file, e.Message()));
    }
    PrepareScenarioDatabase(connection, TdmKelvoADO::TemplateDatabaseFile());
    const int version = RecordedSchemaVersion(connection);
    connection.Close();
    return version;
}

// Renames the database files from to to (main file, -wal, -shm as present); undoes the done renames
// and raises when one fails.
void MoveDatabase(const QString& from, const QString& to) {
    QStringList moved;
    for (const QString& suffix : sqliteSuffixes) {
        if (!QFileInfo::exists(from + suffix)) continue;
        if (!QFile::rename(from + suffix, to + suffix)) {
            for (const QString& done : moved)
                QFile::rename(to + done, from + done);
            throw EKelvoError(u"Cannot move %1 to %2"_s.arg(from + suffix, to + suffix));
        }
        moved << suffix;
    }
}

int RunRestore(QStringList arguments, TCliContext&) {
    if (arguments.isEmpty()) throw TUsageError(u"restore needs the backup FILE"_s);
    const QString backup = QFileInfo(arguments.takeFirst()).absoluteFilePath();
    RequireNoArguments(arguments);
    if (!QFileInfo(backup).isFile()) throw EKelvoError(u"%1 does not exist"_s.arg(backup));

    const QString database = TdmKelvoADO::DatabaseFile();
    const QString dataDir = QFileInfo(database).absolutePath();
    if (!QDir().mkpath(dataDir)) throw EKelvoError(u"Cannot create the folder %1"_s.arg(dataDir));
    // The checked copy is made on the database's own file system, so putting it in place is a rename.
    QTemporaryDir work(dataDir + u"/restore-XXXXXX"_s);
    if (!work.isValid()) throw EKelvoError(u"Kelvo cannot write its working installation %1"_s.arg(dataDir));
    const QString restored = work.filePath(u"kelvo_db.sqlite"_s);
    if (!QFile::copy(backup, restored)) throw EKelvoError(u"Cannot copy %1 to %2"_s.arg(backup, restored));
    int version = 0;
    try {
        version = PrepareRestored(restored);
    } catch (const EKelvoError& e) {
        // The refusal names the user's file, not the copy it was checked on.
        QString message = e.Message();
        throw EKelvoError(message.replace(restored, backup));
    }

    QString aside;
    if (QFileInfo::exists(database)) {
        aside = database + u".before-restore-%1"_s.arg(
                               QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"_s));
        MoveDatabase(database, aside);
    }
    try {
        MoveDatabase(restored, database);
        PrepareRestored(database);
    } catch (...) {
        for (const QString& suffix : sqliteSuffixes)
            QFile::remove(database + suffix);
        if (!aside.isEmpty()) MoveDatabase(aside, database);
        throw;
    }
    QTextStream out(stdout);
    out << u"Restored %1 (schema version %2) into %3"_s.arg(backup).arg(version).arg(database) << Qt::endl;
    if (!aside.isEmpty()) out << u"The database before the restore is kept as %1"_s.arg(aside) << Qt::endl;
    return 0;
}

const TCliCommandRegistrar registrar({u"restore"_s, u"FILE"_s,
                                      u"puts a backup of the scenario database back (the current one is kept "
                                      u"beside it)"_s,
                                      RunRestore});

} // namespace
