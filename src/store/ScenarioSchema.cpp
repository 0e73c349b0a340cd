#include "store/ScenarioSchema.h"

#include "foundation/Errors.h"
#include "store/Connection.h"
#include "store/SchemaCheck.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

// Migration step n takes a database of schema version n to version n + 1.
const std::function<void(TConnection&)> migrationSteps[] = {
    // 1 → 2: the meta table records the program version that last opened the database and when it
    // was migrated.
    [](TConnection& c) {
        c.Execute(u"INSERT OR IGNORE INTO meta (Key, Value) VALUES ('ProgramVersion', NULL)"_s);
        c.Execute(u"INSERT OR IGNORE INTO meta (Key, Value) VALUES ('MigratedAt', NULL)"_s);
    },
    // 2 → 3: indexes for the questions the substance editor asks at every move.
    [](TConnection& c) {
        c.Execute(u"CREATE INDEX IF NOT EXISTS SubstancesByMetabolite1 ON Substances (MetSubCode1)"_s);
        c.Execute(u"CREATE INDEX IF NOT EXISTS SubstancesByMetabolite2 ON Substances (MetSubCode2)"_s);
        c.Execute(u"CREATE INDEX IF NOT EXISTS ProjectsBySubstance ON Projects (SubstanceCode)"_s);
    },
    // 3 → 4: the Step 4 drift mitigation of each run (no buffer and no reduction: Step 3).
    [](TConnection& c) {
        c.Execute(u"ALTER TABLE Runs ADD COLUMN BufferDistance REAL"_s);
        c.Execute(u"ALTER TABLE Runs ADD COLUMN DriftReduction SMALLINT"_s);
    },
};
static_assert(std::size(migrationSteps) == ScenarioSchemaVersion - 1, "one migration step per version");

QString FileOf(const TConnection& connection) {
    return QFileInfo(connection.FileName()).absoluteFilePath();
}

// SQLite's own words for a file that is no database and for a damaged one.
bool IsNotADatabase(const QString& driverText) {
    return driverText.contains(u"file is not a database"_s);
}
bool IsDamage(const QString& driverText) {
    return driverText.contains(u"malformed"_s) || driverText.contains(u"corrupt"_s);
}

[[noreturn]] void FailOn(const TConnection& connection, const QString& driverText) {
    throw EKelvoError(DatabaseProblem(FileOf(connection), driverText));
}

QString MetaValue(TConnection& connection, const QString& key) {
    const TSqlResult result = connection.Select(u"SELECT Value FROM meta WHERE Key = ?"_s, {key});
    return result.rows.isEmpty() ? QString() : result.rows[0][0].toString();
}

void SetMetaValue(TConnection& connection, const QString& key, const QString& value) {
    connection.Execute(u"INSERT OR REPLACE INTO meta (Key, Value) VALUES (?, ?)"_s, {key, value});
}

QString QuotedColumns(TConnection& connection, const QString& table) {
    QStringList names;
    for (const TConnection::TColumn& column : connection.TableColumns(table))
        names << u"\"%1\""_s.arg(column.name);
    return names.join(u", "_s);
}

// Replaces the predefined rows by the program's: the reference tables whole; the substances the program
// locks, where the database has them locked too or not at all (a user's substance of the same code
// stays), with their MACRO and PRZM rows and their locked default patterns.
void ReplacePredefinedRows(TConnection& c) {
    for (const QString& table : ReferenceTables()) {
        const QString columns = QuotedColumns(c, table);
        c.Execute(u"DELETE FROM main.\"%1\""_s.arg(table));
        c.Execute(u"INSERT INTO main.\"%1\" (%2) SELECT %2 FROM program.\"%1\""_s.arg(table, columns));
    }
    QStringList updates;
    for (const TConnection::TColumn& column : c.TableColumns(u"Substances"_s))
        if (column.name.compare(u"SubstanceCode"_s, Qt::CaseInsensitive) != 0)
            updates << u"\"%1\" = excluded.\"%1\""_s.arg(column.name);
    c.Execute(u"INSERT INTO main.Substances (%1) SELECT %1 FROM program.Substances WHERE Locked "
              u"ON CONFLICT (SubstanceCode) DO UPDATE SET %2 WHERE main.Substances.Locked"_s.arg(
                  QuotedColumns(c, u"Substances"_s), updates.join(u", "_s)));
    // The substances now predefined in both.
    const QString predefined = u"SELECT p.SubstanceCode FROM program.Substances p "
                               u"JOIN main.Substances m ON m.SubstanceCode = p.SubstanceCode "
                               u"WHERE p.Locked AND m.Locked"_s;
    for (const QString& table : {u"Substance_Macro"_s, u"Substance_PRZM"_s}) {
        const QString columns = QuotedColumns(c, table);
        c.Execute(u"INSERT OR REPLACE INTO main.\"%1\" (%2) SELECT %2 FROM program.\"%1\" "
                  u"WHERE SubstanceCode IN (%3)"_s.arg(table, columns, predefined));
    }
    const QString columns = QuotedColumns(c, u"SubstancexCropxLocation"_s);
    c.Execute(
        u"DELETE FROM main.SubstancexCropxLocation WHERE Locked AND SubstanceCode IN (%1)"_s.arg(predefined));
    c.Execute(u"INSERT INTO main.SubstancexCropxLocation (%1) SELECT %1 FROM program.SubstancexCropxLocation "
              u"WHERE Locked AND SubstanceCode IN (%2)"_s.arg(columns, predefined));
}

QString FreeBackupName(const QString& file, int version) {
    const QString name = u"%1.v%2.bak"_s.arg(file).arg(version);
    if (!QFileInfo::exists(name)) return name;
    // An earlier backup of the same version stays; this one gets the moment in its name.
    return u"%1.v%2-%3.bak"_s.arg(file).arg(version).arg(
        QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss-zzz"_s));
}

void Migrate(TConnection& c, int from, const QString& templateFile) {
    const QString file = FileOf(c);
    if (!QFileInfo(templateFile).isFile())
        throw EKelvoError(u"%1 of schema version %2 cannot be brought to version %3: the program's scenario "
                          u"database %4 is missing. Nothing was changed."_s.arg(file)
                              .arg(from)
                              .arg(ScenarioSchemaVersion)
                              .arg(templateFile));
    const QString check = c.Select(u"PRAGMA quick_check"_s).rows.value(0).value(0).toString();
    if (check != u"ok"_s) throw EKelvoError(u"%1 is damaged: %2"_s.arg(file, check));
    const QString backup = FreeBackupName(file, from);
    BackupDatabase(c, backup);
    c.Execute(u"ATTACH DATABASE ? AS program"_s,
              {SqliteUri(templateFile, TemplateMode)});
    try {
        c.BeginTrans();
        try {
            // Another process may have migrated it meanwhile.
            const int current = RecordedSchemaVersion(c);
            if (current < ScenarioSchemaVersion) {
                c.Execute(u"PRAGMA defer_foreign_keys = ON"_s);
                for (int version = current; version < ScenarioSchemaVersion; ++version)
                    migrationSteps[version - 1](c);
                ReplacePredefinedRows(c);
                SetMetaValue(c, u"SchemaVersion"_s, QString::number(ScenarioSchemaVersion));
                SetMetaValue(c, u"ProgramVersion"_s, ProgramVersion());
                SetMetaValue(c, u"MigratedAt"_s, QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
            }
            c.CommitTrans();
        } catch (...) {
            c.RollbackTrans();
            throw;
        }
    } catch (const EKelvoError& e) {
        c.Execute(u"DETACH DATABASE program"_s);
        throw EKelvoError(u"%1 could not be brought from schema version %2 to %3 and was left as it was "
                          u"(a backup is in %4): %5"_s.arg(file)
                              .arg(from)
                              .arg(ScenarioSchemaVersion)
                              .arg(backup, e.Message()));
    }
    c.Execute(u"DETACH DATABASE program"_s);
}

} // namespace

const QStringList& ReferenceTables() {
    static const QStringList tables = {u"Locations"_s,          u"Crops"_s,
                                       u"CropsxLocations"_s,    u"WaterBodies"_s,
                                       u"LocationxWaterBody"_s, u"ApplicationMethods"_s,
                                       u"CAMTypes"_s,           u"ApplicationCAMDefaults"_s,
                                       u"Regression"_s,         u"Drift"_s,
                                       u"Mitigation"_s};
    return tables;
}

QString ProgramVersion() {
    return QStringLiteral(KELVO_VERSION);
}

QString VersionLine(const QString& program) {
    return QStringLiteral("%1 %2 (scenario database schema version %3)")
        .arg(program, ProgramVersion())
        .arg(ScenarioSchemaVersion);
}

QString DatabaseProblem(const QString& file, const QString& driverText) {
    if (IsNotADatabase(driverText)) return u"%1 is not a Kelvo scenario database"_s.arg(file);
    // Qt adds what it was doing to SQLite's words; the user needs only SQLite's.
    QString what = driverText;
    what.remove(u"Unable to execute statement"_s).remove(u"Unable to fetch row"_s);
    what = what.trimmed();
    if (IsDamage(what)) return u"%1 is damaged: %2"_s.arg(file, what);
    return what.contains(file) ? what : u"%1: %2"_s.arg(file, what);
}

int RecordedSchemaVersion(TConnection& connection) {
    QString text;
    try {
        if (connection.Select(u"SELECT name FROM sqlite_master WHERE type = 'table' AND name = 'meta'"_s)
                .rows.isEmpty())
            throw EKelvoError(u"%1 is not a Kelvo scenario database"_s.arg(FileOf(connection)));
        text = MetaValue(connection, u"SchemaVersion"_s);
    } catch (const EKelvoError& e) {
        if (e.Message().startsWith(FileOf(connection))) throw;
        FailOn(connection, e.Message());
    }
    bool ok = false;
    const int version = text.toInt(&ok);
    if (!ok || version < 1)
        throw EKelvoError(
            u"%1 is not a Kelvo scenario database: it records no schema version"_s.arg(FileOf(connection)));
    return version;
}

void PrepareScenarioDatabase(TConnection& connection, const QString& templateFile) {
    const int version = RecordedSchemaVersion(connection);
    if (version > ScenarioSchemaVersion)
        throw EKelvoError(u"%1 has schema version %2, written by a newer Kelvo; this Kelvo (%3) reads schema "
                          u"version %4 and older. Open it with the newer Kelvo."_s.arg(FileOf(connection))
                              .arg(version)
                              .arg(ProgramVersion())
                              .arg(ScenarioSchemaVersion));
    if (version < ScenarioSchemaVersion) {
        if (connection.IsReadOnly())
            throw EKelvoError(u"%1, and its database %2 needs an update to schema version %3 first."_s.arg(
                connection.ReadOnlyReason(), FileOf(connection)).arg(ScenarioSchemaVersion));
        Migrate(connection, version, templateFile);
    }
    try {
        CheckSchemaLike(connection, templateFile);
        if (!connection.IsReadOnly() && MetaValue(connection, u"ProgramVersion"_s) != ProgramVersion())
            SetMetaValue(connection, u"ProgramVersion"_s, ProgramVersion());
    } catch (const EKelvoError& e) {
        if (e.Message().startsWith(FileOf(connection))) throw;
        FailOn(connection, e.Message());
    }
}

void BackupDatabase(TConnection& connection, const QString& target) {
    if (QFileInfo::exists(target)) throw EKelvoError(u"%1 already exists"_s.arg(target));
    try {
        connection.Execute(u"VACUUM INTO ?"_s, {QFileInfo(target).absoluteFilePath()});
    } catch (const EKelvoError& e) {
        QFile::remove(target);
        throw EKelvoError(u"Cannot back up %1 into %2: %3"_s.arg(FileOf(connection), target, e.Message()));
    }
}
