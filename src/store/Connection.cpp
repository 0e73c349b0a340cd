#include "store/Connection.h"

#include "foundation/Errors.h"
#include "foundation/Installation.h"
#include "store/RecordSet.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <atomic>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

std::atomic<int> connectionCount{0};

// Prepared statements kept for reuse, per connection; more than this and the cache starts again.
constexpr int MaxPreparedStatements = 256;

// The other processes that have the file open, as "name (process id)"; read from /proc.
QStringList ProcessesUsing(const QString& file) {
    QStringList users;
    const QString target = QFileInfo(file).canonicalFilePath();
    if (target.isEmpty()) return users;
    const QString own = QString::number(QCoreApplication::applicationPid());
    for (const QString& pid : QDir(u"/proc"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (pid == own || !pid.front().isDigit()) continue;
        const QDir descriptors(u"/proc/%1/fd"_s.arg(pid));
        for (const QString& fd : descriptors.entryList(QDir::Files | QDir::System)) {
            if (QFileInfo(descriptors.filePath(fd)).symLinkTarget() != target) continue;
            QFile comm(u"/proc/%1/comm"_s.arg(pid));
            const QString name =
                comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readAll()).trimmed() : QString();
            users << u"%1 (process %2)"_s.arg(name.isEmpty() ? u"a program"_s : name, pid);
            break;
        }
    }
    return users;
}

} // namespace

QString SqliteUri(const QString& file, const QString& mode) {
    return QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()).toString(QUrl::FullyEncoded) + u"?mode="_s +
           mode;
}

TConnection::TConnection() : m_name(u"kelvo-connection-%1"_s.arg(++connectionCount)) {}

TConnection::~TConnection() {
    Close();
    for (TRecordSet* rs : m_recordSets)
        rs->m_connection = nullptr;
    if (QSqlDatabase::contains(m_name)) QSqlDatabase::removeDatabase(m_name);
}

void TConnection::Open(const QString& file) { OpenWith(file, false); }

void TConnection::Create(const QString& file) { OpenWith(file, true); }

void TConnection::OpenWith(const QString& file, bool create) {
    Close();
    if (!create && !QFileInfo(file).isFile())
        throw EKelvoError(u"unable to open database file: %1"_s.arg(file));
    QSqlDatabase db = QSqlDatabase::contains(m_name) ? QSqlDatabase::database(m_name, false)
                                                     : QSqlDatabase::addDatabase(u"QSQLITE"_s, m_name);
    db.setDatabaseName(SqliteUri(file, create ? u"rwc"_s : u"rw"_s));
    db.setConnectOptions(u"QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"_s);
    m_file = file;
    m_readOnly = false;
    m_columnCache.clear();
    try {
        if (!db.open()) Fail(u"open"_s, db.lastError().text());
        Execute(u"PRAGMA foreign_keys = ON"_s);
        Select(u"PRAGMA journal_mode = WAL"_s);
        Execute(u"PRAGMA synchronous = NORMAL"_s);
    } catch (...) {
        Close();
        const QFileInfo info(file);
        if (create || (info.isWritable() && QFileInfo(info.absolutePath()).isWritable())) throw;
        OpenReadOnly(file);
    }
}

// A database in WAL mode is read through its -shm file; where that cannot be made, a file without a
// -wal file beside it is read as it stands.
void TConnection::OpenReadOnly(const QString& file) {
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    QStringList modes = {u"ro"_s};
    if (!QFileInfo::exists(file + u"-wal"_s)) modes << u"ro&immutable=1"_s;
    for (const QString& mode : modes) {
        db.setDatabaseName(SqliteUri(file, mode));
        try {
            if (!db.open()) Fail(u"open"_s, db.lastError().text());
            Select(u"SELECT count(*) FROM sqlite_master"_s);
            Execute(u"PRAGMA foreign_keys = ON"_s);
            m_readOnly = true;
            return;
        } catch (...) {
            Close();
            if (mode == modes.last()) throw;
        }
    }
}

QString TConnection::ReadOnlyReason() const {
    const QString installation = InstallationDir();
    if (!installation.isEmpty() &&
        QFileInfo(m_file).absoluteFilePath().startsWith(QFileInfo(installation).absoluteFilePath()))
        return u"Kelvo cannot write its working installation %1: it is read-only"_s.arg(installation);
    return u"Kelvo cannot write %1: it is read-only"_s.arg(m_file);
}

// Details close before their masters: closing drops pending changes, it never posts them.
void TConnection::Close() {
    const std::function<void(TRecordSet*)> closeWithDetails = [&closeWithDetails](TRecordSet* rs) {
        for (TRecordSet* detail : rs->m_details)
            closeWithDetails(detail);
        rs->close();
    };
    for (TRecordSet* rs : QVector<TRecordSet*>(m_recordSets))
        closeWithDetails(rs);
    m_statements.clear();
    if (QSqlDatabase::contains(m_name)) {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.isOpen()) db.close();
    }
    m_inTransaction = false;
}

bool TConnection::IsOpen() const {
    return QSqlDatabase::contains(m_name) && QSqlDatabase::database(m_name, false).isOpen();
}

QSqlDatabase TConnection::Database() const { return QSqlDatabase::database(m_name, false); }

void TConnection::Fail(const QString& what, const QString& driverText) const {
    (void)what;
    throw EKelvoError(driverText.trimmed().isEmpty() ? u"Database error"_s : driverText.trimmed());
}

// A file that cannot be written (full disk, size limit, read-only, I/O error) is named with the
// database's reason; a file another process kept locked past the busy timeout is named with that
// process; other errors carry the driver's text.
void TConnection::Fail(const QString& what, const QSqlError& error) const {
    const int primary = error.nativeErrorCode().toInt() & 0xff;
    if (primary == FileBusy || primary == FileLocked) {
        const QStringList users = ProcessesUsing(m_file);
        throw EKelvoError(u"%1 is in use by %2 and stayed locked: %3. Try again when it has finished."_s.arg(
            m_file, users.isEmpty() ? u"another program"_s : users.join(u", "_s),
            error.databaseText().trimmed()));
    }
    if (m_readOnly) throw EKelvoError(ReadOnlyReason());
    if (primary == FileReadOnly || primary == FileIoError || primary == FileFull || primary == FileCannotOpen)
        throw EKelvoError(u"Cannot write %1: %2"_s.arg(m_file, error.databaseText().trimmed()));
    Fail(what, error.text());
}

void TConnection::BeginTrans() {
    Execute(u"BEGIN IMMEDIATE"_s);
    m_inTransaction = true;
}

// A commit that fails (a full disk) ends the transaction too: its rows are rolled back, so no later
// statement runs inside it unnoticed.
void TConnection::CommitTrans() {
    try {
        Execute(u"COMMIT"_s);
    } catch (...) {
        m_inTransaction = false;
        QSqlQuery(Database()).exec(u"ROLLBACK"_s); // fails harmlessly when SQLite already rolled back
        throw;
    }
    m_inTransaction = false;
}

void TConnection::RollbackTrans() {
    m_inTransaction = false;
    Execute(u"ROLLBACK"_s);
}

// Runs a statement, prepared once per text and connection and reused with new parameters.
QSqlQuery& TConnection::Run(const QString& sql, const QVariantList& params) {
    if (!IsOpen()) throw EKelvoError(u"Connection is closed"_s);
    auto cached = m_statements.find(sql);
    if (cached == m_statements.end()) {
        if (m_statements.size() >= MaxPreparedStatements) m_statements.clear();
        QSqlQuery query(Database());
        query.setForwardOnly(true);
        if (!query.prepare(sql)) Fail(sql, query.lastError());
        cached = m_statements.insert(sql, query);
    }
    QSqlQuery& query = cached.value();
    for (qsizetype i = 0; i < params.size(); ++i)
        query.bindValue(static_cast<int>(i), params[i]);
    if (!query.exec()) {
        const QSqlError error = query.lastError();
        query.finish();
        Fail(sql, error);
    }
    return query;
}

int TConnection::Execute(const QString& sql, const QVariantList& params) {
    QSqlQuery& query = Run(sql, params);
    const int changed = query.numRowsAffected();
    query.finish();
    return changed;
}

qint64 TConnection::Insert(const QString& sql, const QVariantList& params) {
    QSqlQuery& query = Run(sql, params);
    const qint64 id = query.lastInsertId().toLongLong();
    query.finish();
    return id;
}

TSqlResult TConnection::Select(const QString& sql, const QVariantList& params) {
    QSqlQuery& query = Run(sql, params);
    TSqlResult result;
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i)
        result.columns << record.fieldName(i);
    while (query.next()) {
        TSqlRow row(record.count());
        for (int i = 0; i < record.count(); ++i)
            row[i] = query.value(i);
        result.rows << row;
    }
    const QSqlError error = query.lastError();
    query.finish();
    if (error.isValid()) Fail(sql, error);
    return result;
}

void TConnection::ExecuteScript(const QString& script) {
    m_columnCache.clear();
    QString statement;
    for (const QString& line : script.split(u'\n')) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(u"--"_s)) continue;
        statement += line + u'\n';
        if (trimmed.endsWith(u';')) {
            Execute(statement.trimmed());
            statement.clear();
        }
    }
    if (!statement.trimmed().isEmpty()) Execute(statement.trimmed());
}

QVector<TConnection::TColumn> TConnection::TableColumns(const QString& table) {
    QVector<TColumn> columns;
    const TSqlResult info = Select(u"SELECT name, type FROM pragma_table_info(?)"_s, {table});
    for (const TSqlRow& row : info.rows)
        columns.append({row[0].toString(), row[1].toString()});
    if (columns.isEmpty()) throw EKelvoError(u"no such table: %1"_s.arg(table));
    return columns;
}

QString TConnection::DeclaredType(const QString& table, const QString& column) {
    if (m_columnCache.isEmpty()) {
        const TSqlResult tables = Select(u"SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"_s);
        for (const TSqlRow& row : tables.rows)
            m_columnCache.insert(row[0].toString().toLower(), TableColumns(row[0].toString()));
    }
    auto find = [&column](const QVector<TColumn>& columns) {
        for (const TColumn& c : columns)
            if (c.name.compare(column, Qt::CaseInsensitive) == 0) return c.type;
        return QString();
    };
    const QString inTable = find(m_columnCache.value(table.toLower()));
    if (!inTable.isEmpty()) return inTable;
    for (const QVector<TColumn>& columns : std::as_const(m_columnCache)) {
        const QString type = find(columns);
        if (!type.isEmpty()) return type;
    }
    return {};
}

void TConnection::Register(TRecordSet* recordSet) {
    if (!m_recordSets.contains(recordSet)) m_recordSets.append(recordSet);
}

void TConnection::Unregister(TRecordSet* recordSet) { m_recordSets.removeAll(recordSet); }
