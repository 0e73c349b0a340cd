#pragma once

#include <exception>

#include "foundation/UserInterface.h"
#include "store/Connection.h"

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
