#pragma once

#include <exception>

#include "foundation/UserInterface.h"
#include "store/Connection.h"

#include <QString>

// One job, one commit: commits the transaction it began when it ends normally and rolls it back when
// an exception leaves; does nothing inside a transaction somebody else opened, so jobs made of jobs
// stay one commit.
class TTransaction {
public:
    explicit TTransaction(TConnection& connection)
        : m_connection(connection), m_own(!connection.InTransaction()),
          m_exceptions(std::uncaught_exceptions()) {
        if (m_own) m_connection.BeginTrans();
    }
    ~TTransaction() {
        if (!m_own || !m_connection.InTransaction()) return;
        try {
            if (std::uncaught_exceptions() > m_exceptions)
                m_connection.RollbackTrans();
            else
                m_connection.CommitTrans();
        } catch (...) {
            ShowCurrentException();
        }
    }
    TTransaction(const TTransaction&) = delete;
    TTransaction& operator=(const TTransaction&) = delete;

    // Commits now; a commit that fails raises (the job is then not done).
    void Commit() {
        if (m_own && m_connection.InTransaction()) m_connection.CommitTrans();
        m_own = false;
    }
    // Ends the job without its changes (a refused or cancelled job).
    void Rollback() {
        if (m_own && m_connection.InTransaction()) m_connection.RollbackTrans();
    }

private:
    TConnection& m_connection;
    bool m_own;
    int m_exceptions;
};

// Runs one part of a job inside the job's transaction behind a savepoint: a part that raises takes back
// only its own changes (the raise goes on to the caller), the other parts stay for the job's one commit.
// name is a fixed SQL identifier.
template <typename Part>
void RunWholePart(TConnection& connection, const QString& name, Part&& part) {
    connection.Execute(QStringLiteral("SAVEPOINT ") + name);
    try {
        part();
    } catch (...) {
        try {
            connection.Execute(QStringLiteral("ROLLBACK TO ") + name);
            connection.Execute(QStringLiteral("RELEASE ") + name);
        } catch (...) {
        }
        throw;
    }
    connection.Execute(QStringLiteral("RELEASE ") + name);
}
