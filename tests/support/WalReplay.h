#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// Watches the write-ahead log of a SQLite database while a job runs, to see every state the job's
// commits leave. Made before the job: the log is checkpointed empty and a reader then holds its
// snapshot, so no commit of the job reaches the main file. After the job, CommitStates() rebuilds the
// database as of each commit frame (main file plus the log up to that frame) and answers the dump of
// each, in log order.
class TWalReplay {
public:
    explicit TWalReplay(const QString& databaseFile);
    ~TWalReplay();
    TWalReplay(const TWalReplay&) = delete;
    TWalReplay& operator=(const TWalReplay&) = delete;

    // The dump of the database as the reader sees it (the state before the job).
    const QString& Before() const { return m_before; }
    // The dumps of the states after each commit of the job; ends the reader's snapshot.
    QStringList CommitStates();

    // Every row of every table of a database file, tables by name, rows sorted: equal dumps are equal
    // contents.
    static QString Dump(const QString& databaseFile);

private:
    static QString DumpOf(QSqlDatabase& db);

    QString m_file;
    QString m_connectionName;
    QString m_before;
};
