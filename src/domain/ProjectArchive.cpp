#include "domain/ProjectArchive.h"

#include "domain/ModelFile.h"
#include "domain/Project.h"
#include "domain/SubstanceExchangeFormat.h"
#include "domain/SubstanceImport.h"
#include "foundation/Errors.h"
#include "foundation/Installation.h"
#include "foundation/ModelVersions.h"
#include "foundation/Utils.h"
#include "store/DataModuleKelvoADO.h"
#include "store/ScenarioSchema.h"
#include "store/Transaction.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QSet>
#include <algorithm>
#include <archive.h>
#include <archive_entry.h>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <memory>
#include <nettle/sha2.h>
#include <thread>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString ManifestFile = u"manifest.json"_s;
const QString ProjectFile = u"project.json"_s;
const QString SubstancesFile = u"substances.json"_s;
const QString FilesFolder = u"files/"_s;
const QString ArchiveFormat = u"kelvo-project-archive"_s;
constexpr int ArchiveVersion = 1;

// The tables a project's rows are in, in the order they are restored (a row after those it refers to).
// Any other table with a ProjectID, RunID or SchemeID column is taken too, after these.
const QStringList TableOrder = {u"Projects"_s,   u"ToxswaMap"_s,          u"MapxProject"_s,
                                u"ApplicationSchemes"_s, u"Runs"_s,      u"ToxswaApplications"_s,
                                u"Applications"_s,       u"SimulationParameters"_s};
const QString RunsOfProject = u"SELECT RunID FROM Runs WHERE ProjectID = ?"_s;
const QString SchemesOfProject = u"SELECT ApplicationSchemeID FROM Runs WHERE ProjectID = ?"_s;

// Nettle's SHA-256 uses the processor's SHA instructions where it has them.
QString Sha256(const QByteArray& bytes) {
    sha256_ctx context;
    sha256_init(&context);
    sha256_update(&context, static_cast<size_t>(bytes.size()), reinterpret_cast<const uint8_t*>(bytes.constData()));
    QByteArray digest(SHA256_DIGEST_SIZE, Qt::Uninitialized);
    sha256_digest(&context, SHA256_DIGEST_SIZE, reinterpret_cast<uint8_t*>(digest.data()));
    return QString::fromLatin1(digest.toHex());
}

// --- the project's rows ------------------------------------------------------------------------------

// The condition choosing a table's rows of the project; empty for a table that holds none.
QString ProjectCondition(const QString& table, const QStringList& columns) {
    if (table == u"Projects"_s) return u"ProjectID = ?"_s;
    if (table == u"ToxswaMap"_s) return u"MapID IN (SELECT MapID FROM MapxProject WHERE ProjectID = ?)"_s;
    if (table == u"ApplicationSchemes"_s) return u"ApplicationSchemeID IN (%1)"_s.arg(SchemesOfProject);
    if (columns.contains(u"ProjectID"_s)) return u"ProjectID = ?"_s;
    if (columns.contains(u"RunID"_s)) return u"RunID IN (%1)"_s.arg(RunsOfProject);
    if (columns.contains(u"SchemeID"_s)) return u"SchemeID IN (%1)"_s.arg(SchemesOfProject);
    return {};
}

QStringList Columns(TConnection& db, const QString& table) {
    QStringList columns;
    for (const TSqlRow& row : db.Select(u"SELECT name FROM pragma_table_info(?)"_s, {table}).rows)
        columns << row[0].toString();
    return columns;
}

QStringList ProjectTables(TConnection& db) {
    QStringList tables = TableOrder;
    for (const TSqlRow& row :
         db.Select(u"SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' ORDER BY name"_s)
             .rows) {
        const QString table = row[0].toString();
        if (!tables.contains(table) && !ProjectCondition(table, Columns(db, table)).isEmpty()) tables << table;
    }
    return tables;
}

// A string as JSON text, in UTF-8.
void AppendJsonString(QByteArray& out, const QString& text) {
    QString escaped;
    escaped.reserve(text.size() + 2);
    escaped += u'"';
    for (const QChar c : text) {
        if (c == u'"' || c == u'\\') {
            escaped += u'\\';
            escaped += c;
        } else if (c.unicode() < 0x20) {
            escaped += u"\\u%1"_s.arg(c.unicode(), 4, 16, QChar(u'0'));
        } else {
            escaped += c;
        }
    }
    escaped += u'"';
    out += escaped.toUtf8();
}

// A stored value as JSON text: whole numbers as such, others in the shortest text that reads back to
// the same double.
void AppendJsonValue(QByteArray& out, const QVariant& value) {
    if (value.isNull()) {
        out += "null";
        return;
    }
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::ULongLong:
    case QMetaType::UInt:
        out += QByteArray::number(value.toLongLong());
        return;
    case QMetaType::Double: {
        const double number = value.toDouble();
        out += std::isfinite(number) ? QByteArray::number(number, 'g', QLocale::FloatingPointShortest) : "null";
        return;
    }
    default:
        AppendJsonString(out, value.toString());
    }
}

QVariant VariantOf(const QJsonValue& value) {
    if (value.isNull()) return {};
    if (value.isString()) return value.toString();
    if (value.isBool()) return value.toBool();
    const double number = value.toDouble();
    if (std::trunc(number) == number && std::fabs(number) < 9e15) return static_cast<qlonglong>(number);
    return number;
}

// The rows as JSON, written as text: one row per line.
QByteArray ProjectRows(TConnection& db, int projectId) {
    QByteArray out = "{\n    \"tables\": [";
    bool firstTable = true;
    for (const QString& table : ProjectTables(db)) {
        const QStringList columns = Columns(db, table);
        const QString condition = ProjectCondition(table, columns);
        const TSqlResult result =
            db.Select(u"SELECT * FROM %1 WHERE %2 ORDER BY rowid"_s.arg(table, condition), {projectId});
        out += firstTable ? "\n" : ",\n";
        firstTable = false;
        out += "        {\n            \"name\": ";
        AppendJsonString(out, table);
        out += ",\n            \"columns\": [";
        for (qsizetype i = 0; i < result.columns.size(); ++i) {
            if (i > 0) out += ", ";
            AppendJsonString(out, result.columns[i]);
        }
        out += "],\n            \"rows\": [";
        for (qsizetype r = 0; r < result.rows.size(); ++r) {
            out += r > 0 ? ",\n                [" : "\n                [";
            const TSqlRow& row = result.rows[r];
            for (qsizetype i = 0; i < row.size(); ++i) {
                if (i > 0) out += ", ";
                AppendJsonValue(out, row[i]);
            }
            out += ']';
        }
        out += result.rows.isEmpty() ? "]\n        }" : "\n            ]\n        }";
    }
    out += "\n    ]\n}\n";
    return out;
}

// --- zip ---------------------------------------------------------------------------------------------

struct TArchiveDeleter {
    void operator()(archive* a) const { archive_write_free(a); }
};
struct TReadDeleter {
    void operator()(archive* a) const { archive_read_free(a); }
};

la_ssize_t AppendToBuffer(archive*, void* buffer, const void* data, size_t size) {
    static_cast<QByteArray*>(buffer)->append(static_cast<const char*>(data), static_cast<qsizetype>(size));
    return static_cast<la_ssize_t>(size);
}

QByteArray Zip(const QMap<QString, QByteArray>& files, const QDateTime& time) {
    QByteArray zip;
    std::unique_ptr<archive, TArchiveDeleter> a(archive_write_new());
    const auto check = [&](int status) {
        if (status != ARCHIVE_OK)
            throw EKelvoError(u"Cannot write the archive: %1"_s.arg(QString::fromLocal8Bit(archive_error_string(a.get()))));
    };
    check(archive_write_set_format_zip(a.get()));
    // The fastest deflate: the rows' text, much of it repeated, still shrinks well.
    check(archive_write_set_options(a.get(), "zip:compression-level=1"));
    check(archive_write_open(a.get(), &zip, nullptr, AppendToBuffer, nullptr));
    for (auto it = files.begin(); it != files.end(); ++it) {
        std::unique_ptr<archive_entry, decltype(&archive_entry_free)> entry(archive_entry_new(), archive_entry_free);
        const QByteArray path = it.key().toUtf8();
        archive_entry_set_pathname_utf8(entry.get(), path.constData());
        archive_entry_set_filetype(entry.get(), AE_IFREG);
        archive_entry_set_perm(entry.get(), 0644);
        archive_entry_set_size(entry.get(), it.value().size());
        archive_entry_set_mtime(entry.get(), time.toSecsSinceEpoch(), 0);
        check(archive_write_header(a.get(), entry.get()));
        if (archive_write_data(a.get(), it.value().constData(), static_cast<size_t>(it.value().size())) !=
            it.value().size())
            check(ARCHIVE_FATAL);
    }
    check(archive_write_close(a.get()));
    return zip;
}

// A path inside the archive that stays inside: relative, without "..", without a drive or backslash.
bool IsSafePath(const QString& path) {
    if (path.isEmpty() || path.startsWith(u'/') || path.contains(u'\\') || path.contains(u':')) return false;
    const QStringList parts = path.split(u'/');
    return std::none_of(parts.begin(), parts.end(), [](const QString& part) { return part == u".."_s; });
}

// The project's files: everything in its directory but the marker, which belongs to one installation.
QMap<QString, QByteArray> ProjectDirectoryFiles(const QString& directory) {
    QMap<QString, QByteArray> files;
    if (!QFileInfo(directory).isDir()) return files;
    const QDir root(directory);
    QDirIterator it(directory, QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString relative = root.relativeFilePath(file);
        if (relative == ProjectMarkerName) continue;
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly)) throw EKelvoError(u"Cannot read %1: %2"_s.arg(file, in.errorString()));
        files.insert(FilesFolder + relative, in.readAll());
    }
    return files;
}

QJsonObject ModelVersionsJson() {
    QJsonObject models;
    for (const TModel model : {TModel::Macro, TModel::Przm, TModel::Toxswa}) {
        const TModelVersions v = ReadModelVersions(model);
        models.insert(ModelDirName(model), QJsonObject{{u"model"_s, v.model}, {u"shell"_s, v.shell}, {u"data"_s, v.data}});
    }
    return models;
}

QJsonObject JsonObjectOf(const QByteArray& bytes, const QString& archiveName, const QString& file) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        throw EKelvoError(u"%1: %2 cannot be read: %3"_s.arg(archiveName, file, error.errorString()));
    return document.object();
}

// --- restoring ---------------------------------------------------------------------------------------

struct TTableData {
    QString name;
    QStringList columns;
    QVector<QVariantList> rows;
};

// New keys for the archive's where the installation has them already.
struct TKeyMaps {
    QHash<qlonglong, qlonglong> projects;
    QHash<QString, QString> runs;
    QHash<qlonglong, qlonglong> schemes;
    QHash<qlonglong, qlonglong> maps;
};

qlonglong Highest(TConnection& db, const QString& table, const QString& column) {
    return db.Select(u"SELECT COALESCE(MAX(%1), 0) FROM %2"_s.arg(column, table)).rows[0][0].toLongLong();
}

// Whether a row of the table has one of the values in the column: the values go to the statement as one
// JSON list.
bool AnyIn(TConnection& db, const QString& table, const QString& column, const QVariantList& values) {
    if (values.isEmpty()) return false;
    const QString list = QString::fromUtf8(QJsonDocument(QJsonArray::fromVariantList(values)).toJson(QJsonDocument::Compact));
    return !db.Select(u"SELECT 1 FROM %1 WHERE %2 IN (SELECT value FROM json_each(?)) LIMIT 1"_s.arg(table, column), {list})
                .rows.isEmpty();
}

// Integer keys keep their numbers where they are free; else all of them follow the highest one in use.
QHash<qlonglong, qlonglong> IntegerKeys(TConnection& db, const QString& table, const QString& column,
                                        const QList<qlonglong>& keys) {
    const QVariantList values(keys.cbegin(), keys.cend());
    bool taken = AnyIn(db, table, column, values);
    // The rows that refer to the key count too.
    if (table == u"ApplicationSchemes"_s) taken = taken || AnyIn(db, u"ToxswaApplications"_s, u"SchemeID"_s, values);
    if (table == u"ToxswaMap"_s) taken = taken || AnyIn(db, u"MapxProject"_s, u"MapID"_s, values);
    if (table == u"Projects"_s) taken = taken || AnyIn(db, u"MapxProject"_s, u"ProjectID"_s, values);
    qlonglong next = Highest(db, table, column);
    QHash<qlonglong, qlonglong> map;
    for (const qlonglong key : keys)
        map.insert(key, taken ? ++next : key);
    return map;
}

// Run IDs keep their numbers where none is in use; else the runs sharing a number share a new one.
QHash<QString, QString> RunKeys(TConnection& db, const QStringList& runIds) {
    // A run ID is in use wherever a row names it, also in a row another project left behind.
    QStringList holders;
    for (const TSqlRow& row :
         db.Select(u"SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%'"_s).rows)
        if (Columns(db, row[0].toString()).contains(u"RunID"_s)) holders << row[0].toString();
    const QVariantList ids(runIds.cbegin(), runIds.cend());
    const bool taken = std::any_of(holders.cbegin(), holders.cend(),
                                   [&](const QString& table) { return AnyIn(db, table, u"RunID"_s, ids); });
    QHash<QString, QString> map;
    if (!taken) {
        for (const QString& id : runIds)
            map.insert(id, id);
        return map;
    }
    int next = 0;
    for (const QString& table : holders)
        for (const TSqlRow& row : db.Select(u"SELECT DISTINCT RunID FROM %1"_s.arg(table)).rows)
            next = std::max(next, RunNumberOf(row[0].toString()));
    QHash<int, int> numbers;
    for (const QString& id : runIds) {
        const int number = RunNumberOf(id);
        if (!numbers.contains(number)) numbers.insert(number, ++next);
        qsizetype digits = 0;
        while (digits < id.size() && id.at(digits).isDigit())
            ++digits;
        map.insert(id, QString::number(numbers.value(number)).rightJustified(5, u'0') + id.mid(digits));
    }
    return map;
}

QVector<TTableData> ReadTables(const QJsonObject& project) {
    QVector<TTableData> tables;
    for (const QJsonValue& value : project.value(u"tables"_s).toArray()) {
        const QJsonObject object = value.toObject();
        TTableData table;
        table.name = object.value(u"name"_s).toString();
        for (const QJsonValue& column : object.value(u"columns"_s).toArray())
            table.columns << column.toString();
        const QJsonArray rows = object.value(u"rows"_s).toArray();
        table.rows.reserve(rows.size());
        for (const QJsonValue& row : rows) {
            const QJsonArray cells = row.toArray();
            QVariantList values;
            values.reserve(cells.size());
            for (const QJsonValue& v : cells)
                values << VariantOf(v);
            table.rows << values;
        }
        tables << table;
    }
    return tables;
}

// Written without a flush to the disk of its own: the staging folder reaches the disk as a whole.
void WriteStagedFile(const QString& fileName, const QByteArray& bytes) {
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(bytes) != bytes.size())
        throw EKelvoError(u"Cannot write %1: %2"_s.arg(fileName, file.errorString()));
}

// Everything written on the folder's file system reaches the disk, in one flush.
void SyncFileSystem(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::syncfs(fd) == 0;
    const int error = errno;
    if (fd >= 0) ::close(fd);
    if (!synced)
        throw EKelvoError(u"Cannot write %1 to the disk: %2"_s.arg(folder, QString::fromLocal8Bit(std::strerror(error))));
}

void RemoveTree(const QString& path) {
    if (!path.isEmpty() && QFileInfo(path).isDir()) QDir(path).removeRecursively();
}

// The archive's project files, written into the staging folder under their relative names; the archived
// report takes the restored project's name.
void WriteStagedFiles(const TProjectArchive& archive, const QString& staging, const QString& oldReport,
                      const QString& report) {
    // Each folder is made once, however many files it takes; the staging folder even for none.
    if (!QDir().mkpath(staging)) throw EKelvoError(u"Cannot create the folder %1"_s.arg(staging));
    QSet<QString> folders{staging};
    for (auto it = archive.files.cbegin(); it != archive.files.cend(); ++it) {
        if (!it.key().startsWith(FilesFolder)) continue;
        const QString relative = it.key() == oldReport ? report : it.key().mid(FilesFolder.size());
        const QString target = staging + u'/' + relative;
        const QString folder = QFileInfo(target).path();
        if (!folders.contains(folder)) {
            if (!QDir().mkpath(folder)) throw EKelvoError(u"Cannot create the folder %1"_s.arg(folder));
            folders.insert(folder);
        }
        WriteStagedFile(target, it.value());
    }
}

// Stages the files with the project's marker and brings them to the disk, on a thread of its own while
// the caller stores the rows. Wait() hands on the thread's failure; the thread is waited for however
// the caller leaves.
class TStagedFiles {
public:
    TStagedFiles(const TProjectArchive& archive, const QString& staging, const QString& oldReport,
                 const QString& report, const QByteArray& marker)
        : m_thread([this, &archive, staging, oldReport, report, marker] {
              try {
                  WriteStagedFiles(archive, staging, oldReport, report);
                  WriteStagedFile(staging + u'/' + ProjectMarkerName, marker);
                  SyncFileSystem(staging);
              } catch (...) {
                  m_failure = std::current_exception();
              }
          }) {}
    ~TStagedFiles() {
        if (m_thread.joinable()) m_thread.join();
    }
    TStagedFiles(const TStagedFiles&) = delete;
    TStagedFiles& operator=(const TStagedFiles&) = delete;

    void Wait() {
        m_thread.join();
        if (m_failure) std::rethrow_exception(m_failure);
    }

private:
    std::exception_ptr m_failure;
    std::thread m_thread;
};

} // namespace

QString TProjectArchive::projectName() const {
    return QJsonDocument::fromJson(manifest).object().value(u"project"_s).toString();
}

QString WriteProjectArchive(TdmKelvoADO& dm, const QString& projectName, const QString& fileName) {
    TConnection& db = dm.dbKelvoADO;
    const TSqlRow project =
        db.Select(u"SELECT ProjectID, Name, Path, SubstanceCode FROM Projects WHERE Name = ? COLLATE NOCASE"_s,
                  {projectName})
            .rows.value(0);
    if (project.isEmpty()) throw EKelvoError(u"Project not found: %1"_s.arg(projectName));
    const QString name = project[1].toString();
    const QString target = fileName.isEmpty() ? name + QString::fromLatin1(ArchiveSuffix) : fileName;

    QMap<QString, QByteArray> files = ProjectDirectoryFiles(project[2].toString());
    files.insert(ProjectFile, ProjectRows(db, project[0].toInt()));
    QStringList codes{project[3].toString()};
    for (const TSqlRow& row :
         db.Select(u"SELECT MetSubCode1, MetSubCode2 FROM Substances WHERE SubstanceCode = ?"_s, {codes[0]}).rows)
        for (const QVariant& metabolite : row)
            if (!metabolite.toString().isEmpty()) codes << metabolite.toString();
    files.insert(SubstancesFile, ExportSubstances(dm, codes, TSubstanceFileFormat::Json));

    const QDateTime created = QDateTime::currentDateTimeUtc();
    QJsonObject sums;
    for (auto it = files.begin(); it != files.end(); ++it)
        sums.insert(it.key(), Sha256(it.value()));
    QJsonObject manifest{{u"format"_s, ArchiveFormat},
                         {u"version"_s, ArchiveVersion},
                         {u"project"_s, name},
                         {u"kelvo"_s, ProgramVersion()},
                         {u"schemaVersion"_s, ScenarioSchemaVersion},
                         {u"models"_s, ModelVersionsJson()},
                         {u"created"_s, created.toString(Qt::ISODate)},
                         {u"files"_s, sums}};
    if (const QString user = qEnvironmentVariable("USER"); !user.isEmpty()) manifest.insert(u"user"_s, user);
    files.insert(ManifestFile, QJsonDocument(manifest).toJson(QJsonDocument::Indented));
    WriteWholeFile(target, Zip(files, created));
    return target;
}

TProjectArchive ReadProjectArchive(const QString& fileName) {
    const auto fail = [&fileName](const QString& what) { return EKelvoError(u"%1: %2"_s.arg(fileName, what)); };
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) throw EKelvoError(u"Cannot read %1: %2"_s.arg(fileName, file.errorString()));
    const QByteArray bytes = file.readAll();

    TProjectArchive result;
    result.fileName = fileName;
    std::unique_ptr<archive, TReadDeleter> a(archive_read_new());
    archive_read_support_format_zip(a.get());
    const auto damaged = [&] {
        return fail(u"the archive is damaged: %1"_s.arg(QString::fromLocal8Bit(archive_error_string(a.get()))));
    };
    if (archive_read_open_memory(a.get(), bytes.constData(), static_cast<size_t>(bytes.size())) != ARCHIVE_OK)
        throw damaged();
    for (;;) {
        archive_entry* entry = nullptr;
        const int status = archive_read_next_header(a.get(), &entry);
        if (status == ARCHIVE_EOF) break;
        if (status != ARCHIVE_OK) throw damaged();
        const char* utf8 = archive_entry_pathname_utf8(entry);
        const QString path = utf8 ? QString::fromUtf8(utf8) : QString::fromLocal8Bit(archive_entry_pathname(entry));
        if (!IsSafePath(path)) throw fail(u"the path %1 would leave the project directory"_s.arg(path));
        const auto type = archive_entry_filetype(entry);
        if (archive_entry_symlink(entry) || archive_entry_hardlink(entry) || (type != AE_IFREG && type != AE_IFDIR))
            throw fail(u"%1 is a link, not a file"_s.arg(path));
        if (type == AE_IFDIR) continue;
        QByteArray data;
        char buffer[65536];
        for (;;) {
            const la_ssize_t n = archive_read_data(a.get(), buffer, sizeof buffer);
            if (n < 0) throw damaged();
            if (n == 0) break;
            data.append(buffer, static_cast<qsizetype>(n));
        }
        if (result.files.contains(path) || (path == ManifestFile && !result.manifest.isEmpty()))
            throw fail(u"%1 is in the archive twice"_s.arg(path));
        if (path == ManifestFile)
            result.manifest = data;
        else
            result.files.insert(path, data);
    }
    if (result.manifest.isEmpty()) throw fail(u"%1 is missing"_s.arg(ManifestFile));
    const QJsonObject manifest = JsonObjectOf(result.manifest, fileName, ManifestFile);
    if (manifest.value(u"format"_s).toString() != ArchiveFormat) throw fail(u"not a Kelvo project archive"_s);
    const int schema = manifest.value(u"schemaVersion"_s).toInt();
    if (schema > ScenarioSchemaVersion || manifest.value(u"version"_s).toInt() > ArchiveVersion)
        throw fail(u"the archive was made by a newer Kelvo (scenario database schema version %1; this Kelvo "
                   u"knows version %2)"_s.arg(schema).arg(ScenarioSchemaVersion));
    const QJsonObject sums = manifest.value(u"files"_s).toObject();
    for (auto it = sums.begin(); it != sums.end(); ++it) {
        if (!result.files.contains(it.key())) throw fail(u"%1 is missing"_s.arg(it.key()));
        if (Sha256(result.files.value(it.key())) != it.value().toString())
            throw fail(u"%1 differs from its checksum in the manifest"_s.arg(it.key()));
    }
    for (auto it = result.files.begin(); it != result.files.end(); ++it)
        if (!sums.contains(it.key())) throw fail(u"%1 is not in the manifest"_s.arg(it.key()));
    for (const QString& required : {ProjectFile, SubstancesFile})
        if (!result.files.contains(required)) throw fail(u"%1 is missing"_s.arg(required));
    return result;
}

QString RestoreProjectArchive(TdmKelvoADO& dm, const TProjectArchive& archive, const TRestoreOptions& options) {
    TConnection& db = dm.dbKelvoADO;
    QVector<TTableData> tables = ReadTables(JsonObjectOf(archive.files.value(ProjectFile), archive.fileName, ProjectFile));
    const auto tableOf = [&tables](const QString& name) -> TTableData* {
        for (TTableData& t : tables)
            if (t.name == name) return &t;
        return nullptr;
    };
    TTableData* projects = tableOf(u"Projects"_s);
    if (!projects || projects->rows.size() != 1)
        throw EKelvoError(u"%1: %2 holds no project"_s.arg(archive.fileName, ProjectFile));
    const auto column = [](const TTableData& t, const QString& name) { return t.columns.indexOf(name); };
    const QString oldName = projects->rows[0].value(column(*projects, u"Name"_s)).toString();
    const QString name = options.name.isEmpty() ? oldName : options.name.trimmed();
    if (!db.Select(u"SELECT 1 FROM Projects WHERE Name = ? COLLATE NOCASE"_s, {name}).rows.isEmpty())
        throw EKelvoError(u"A project named %1 exists already: restore it under another name."_s.arg(name));
    for (const TTableData& t : tables) {
        const QStringList known = Columns(db, t.name);
        if (known.isEmpty()) throw EKelvoError(u"%1: the table %2 is unknown to this Kelvo"_s.arg(archive.fileName, t.name));
        for (const QString& c : t.columns)
            if (!known.contains(c))
                throw EKelvoError(u"%1: the column %2 of %3 is unknown to this Kelvo"_s.arg(archive.fileName, c, t.name));
    }

    if (!options.root.isEmpty()) SetDefaultProjectRoot(options.root);
    TProject project(name, {});
    project.SetPath(DefaultProjectRoot());
    project.CheckNewProjectDirectory();
    const QString directory = DefaultProjectRoot() + u'/' + name;
    const QString staging = DefaultProjectRoot() + u"/."_s + name + u".restoring"_s;
    RemoveTree(staging);

    try {
        TTransaction transaction(db);
        // The keys of the archive's rows, and new ones where the installation has them already.
        const auto keys = [&](const QString& table, const QString& name) {
            QList<qlonglong> values;
            if (const TTableData* t = tableOf(table))
                for (const QVariantList& row : t->rows)
                    values << row.value(column(*t, name)).toLongLong();
            return values;
        };
        TKeyMaps maps;
        maps.projects = IntegerKeys(db, u"Projects"_s, u"ProjectID"_s, keys(u"Projects"_s, u"ProjectID"_s));
        const int projectId = static_cast<int>(maps.projects.value(keys(u"Projects"_s, u"ProjectID"_s).value(0)));
        // The files are staged while the rows are stored.
        TStagedFiles stagedFiles(archive, staging, FilesFolder + oldName + u"_report.txt"_s, name + u"_report.txt"_s,
                                 ProjectMarkerText(projectId));
        const TSubstanceImportResult substances = ImportSubstances(
            dm, ReadSubstanceFile(archive.files.value(SubstancesFile), archive.fileName + u'/' + SubstancesFile),
            {options.renameSubstances ? TExistingSubstance::Rename : TExistingSubstance::Refuse, true});
        maps.schemes = IntegerKeys(db, u"ApplicationSchemes"_s, u"ApplicationSchemeID"_s,
                                   keys(u"ApplicationSchemes"_s, u"ApplicationSchemeID"_s));
        maps.maps = IntegerKeys(db, u"ToxswaMap"_s, u"MapID"_s, keys(u"ToxswaMap"_s, u"MapID"_s));
        QStringList runIds;
        if (const TTableData* runs = tableOf(u"Runs"_s))
            for (const QVariantList& row : runs->rows)
                runIds << row.value(column(*runs, u"RunID"_s)).toString();
        maps.runs = RunKeys(db, runIds);

        const auto remap = [](const QHash<qlonglong, qlonglong>& map, QVariant& value) {
            if (!value.isNull() && map.contains(value.toLongLong())) value = map.value(value.toLongLong());
        };
        for (TTableData& t : tables) {
            // The key columns of the table, by the map of their keys.
            QVector<std::pair<qsizetype, const QHash<qlonglong, qlonglong>*>> keyColumns;
            qsizetype runColumn = -1;
            for (qsizetype i = 0; i < t.columns.size(); ++i) {
                const QString& c = t.columns[i];
                if (c == u"ProjectID"_s) keyColumns.append({i, &maps.projects});
                if (c == u"ApplicationSchemeID"_s || c == u"SchemeID"_s) keyColumns.append({i, &maps.schemes});
                if (c == u"MapID"_s) keyColumns.append({i, &maps.maps});
                if (c == u"RunID"_s) runColumn = i;
            }
            for (QVariantList& row : t.rows) {
                for (const auto& [i, map] : keyColumns)
                    if (i < row.size()) remap(*map, row[i]);
                if (runColumn >= 0 && runColumn < row.size())
                    if (const auto run = maps.runs.constFind(row[runColumn].toString()); run != maps.runs.cend())
                        row[runColumn] = *run;
                if (t.name == u"Projects"_s) {
                    row[column(t, u"Name"_s)] = name;
                    row[column(t, u"Path"_s)] = directory;
                    const qsizetype code = column(t, u"SubstanceCode"_s);
                    row[code] = substances.codeOf(row[code].toString());
                }
                if (t.name == u"ToxswaMap"_s && row.value(column(t, u"Name"_s)).toString() == oldName)
                    row[column(t, u"Name"_s)] = name;
            }
            const QString sql = u"INSERT INTO %1 (%2) VALUES (%3)"_s.arg(t.name, t.columns.join(u", "_s),
                                                                         QStringList(t.columns.size(), u"?"_s).join(u", "_s));
            for (const QVariantList& row : t.rows)
                db.Execute(sql, row);
        }

        // The project directory, made apart and put in its place whole.
        stagedFiles.Wait();
        if (QFileInfo::exists(directory) && !QDir().rmdir(directory))
            throw EKelvoError(u"The folder %1 already exists and is not empty: choose another name or project root."_s.arg(directory));
        if (!QDir().rename(staging, directory)) throw EKelvoError(u"Cannot create the folder %1"_s.arg(directory));
        transaction.Commit();
    } catch (...) {
        if (QFileInfo(directory + u'/' + ProjectMarkerName).exists()) RemoveTree(directory);
        RemoveTree(staging);
        throw;
    }
    return name;
}
