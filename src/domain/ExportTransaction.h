#pragma once

#include "store/Connection.h"

// Bundles the rows of one export step into one transaction. The rows written stay written also when
// the step stops with an error, as they would row by row. Nests into a transaction already open.
class TExportTransaction {
public:
    explicit TExportTransaction(TConnection& connection) : m_connection(connection) {
        if (!m_connection.InTransaction()) {
            m_connection.BeginTrans();
            m_owner = true;
        }
    }
    ~TExportTransaction() {
        try {
            Commit();
        } catch (...) {
            // the step's own error is already on its way to the user
        }
    }
    TExportTransaction(const TExportTransaction&) = delete;
    TExportTransaction& operator=(const TExportTransaction&) = delete;

    void Commit() {
        if (!m_owner) return;
        m_owner = false;
        m_connection.CommitTrans();
    }

private:
    TConnection& m_connection;
    bool m_owner = false;
};
