#pragma once

#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

class TRecordSet;

using TSqlRow = QVector<QVariant>;

// The rows a statement yields, with the names of its columns.
struct TSqlResult {
    QStringList columns;
    QVector<TSqlRow> rows;
};

// The SQLite URI of a file with the given access mode ("ro", "rw", "rwc"): the absolute path
// percent-encoded, so '%', '#', '?' and spaces in a folder name name that folder and nothing else.
QString SqliteUri(const QString& file, const QString& mode);
// The program's templates are read as files that never change: so they are read also where their folder
// is read-only and SQLite could not make the -shm file of a WAL database beside them.
inline const QString TemplateMode = QStringLiteral("ro&immutable=1");

// The gateway to one SQLite file: every statement goes through it, with bound parameters only.
// Errors are EKelvoError carrying the driver's text.
class TConnection {
public:
    TConnection();
    ~TConnection();
    TConnection(const TConnection&) = delete;
    TConnection& operator=(const TConnection&) = delete;

    // Opens an existing file (foreign keys on, WAL journal with normal synchronisation, busy timeout 5 s);
    // never creates one. A file that cannot be written (read-only file, folder or file system) is opened
    // for reading: every write then raises "... it is read-only".
    void Open(const QString& file);
    // Creates a new, empty database file and opens it.
    void Create(const QString& file);
    // Closes every record set on the connection, then the connection.
    void Close();
    bool IsOpen() const;
    const QString& FileName() const { return m_file; }
    bool IsReadOnly() const { return m_readOnly; }
    // Why nothing can be written into the file: "Kelvo cannot write its working installation <dir>: it
    // is read-only" for a file of the working installation.
    QString ReadOnlyReason() const;

    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool InTransaction() const { return m_inTransaction; }

    // Executes a statement without rows; answers the number of rows it changed.
    int Execute(const QString& sql, const QVariantList& params = {});
    // Executes a statement and answers every row it yields.
    TSqlResult Select(const QString& sql, const QVariantList& params = {});
    // Executes an INSERT and answers the rowid of the new row.
    qint64 Insert(const QString& sql, const QVariantList& params = {});
    // Executes a script of statements separated by ";" (schema files).
    void ExecuteScript(const QString& script);

    // The declared columns of a table, in table order, with their declared types.
    struct TColumn {
        QString name;
        QString type;
    };
    QVector<TColumn> TableColumns(const QString& table);
    // The declared type of a column of a table; of the first table holding such a column when the
    // table is empty or lacks it; empty when no table has it (cached until the schema changes).
    QString DeclaredType(const QString& table, const QString& column);

    QSqlDatabase Database() const;

private:
    friend class TRecordSet;
    void Register(TRecordSet* recordSet);
    void Unregister(TRecordSet* recordSet);
    void OpenWith(const QString& file, bool create);
    void OpenReadOnly(const QString& file);
    QSqlQuery& Run(const QString& sql, const QVariantList& params);
    [[noreturn]] void Fail(const QString& what, const QString& driverText) const;
    [[noreturn]] void Fail(const QString& what, const QSqlError& error) const;

    // SQLite's primary result codes of a file locked by another process or that cannot be written.
    static constexpr int FileBusy = 5;
    static constexpr int FileLocked = 6;
    static constexpr int FileReadOnly = 8;
    static constexpr int FileIoError = 10;
    static constexpr int FileFull = 13;
    static constexpr int FileCannotOpen = 14;

    QString m_name;
    QString m_file;
    bool m_inTransaction = false;
    bool m_readOnly = false;
    QVector<TRecordSet*> m_recordSets;
    QHash<QString, QVector<TColumn>> m_columnCache;
    QHash<QString, QSqlQuery> m_statements;
};
