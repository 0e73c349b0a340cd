#pragma once

#include "store/Connection.h"
#include "store/Field.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <vector>

// A record set: a static snapshot of rows taken at open, with a current row, editing states,
// record and field events, and an optional master/detail link. Rows written through one record set
// appear in another only after that one is reopened or refreshed.
class TRecordSet : public QObject {
    Q_OBJECT
public:
    enum class TState { Inactive, Browse, Edit, Insert };
    using TEvent = std::function<void(TRecordSet&)>;

    TRecordSet(TConnection* connection, const QString& name);
    ~TRecordSet() override;

    const QString& name() const { return m_name; }
    TConnection* connection() const { return m_connection; }

    // Persistent fields: when any is defined before opening, only these fields exist, in this order.
    TField& addField(const QString& name, TFieldType type, int size = 0);
    // A calculated field, filled per row by onCalcFields.
    TField& addCalculatedField(const QString& name, TFieldType type, int size = 0);
    int fieldCount() const { return static_cast<int>(m_fields.size()); }
    TField& field(int index) const;
    TField& fieldByName(const QString& name) const;
    TField* findField(const QString& name) const;
    QStringList fieldNames() const;

    // Opening and closing.
    void open();
    void close();
    bool active() const { return m_state != TState::Inactive; }
    // Whether rows can be edited, inserted and deleted: open and over a table it writes to.
    bool canModify() const { return active() && !updateTable().isEmpty(); }
    // Reloads the snapshot and stays on the same row when it still exists.
    void refresh();
    // Whether the data module's rules keep the current row from any change (a predefined row is only
    // shown); unset: no row is kept. Bound controls show such a row read-only.
    std::function<bool(const TRecordSet&)> isRowLocked;
    // Whether the user may change the current row: the record set can be modified and the row is not kept.
    bool currentRowEditable() const { return canModify() && !(isRowLocked && isRowLocked(*this)); }

    // Navigation.
    void first();
    void last();
    void next();
    void prior();
    bool eof() const;
    bool bof() const;
    bool isEmpty() const { return recordCount() == 0; }
    // Number of stored rows (a row being inserted does not count until it is posted).
    int recordCount() const;
    // 1-based position of the current row; 0 when there is none.
    int recNo() const { return m_current + 1; }
    // Moves to the row; a move to the row that is already current does nothing.
    void setRecNo(int recNo);

    // Editing.
    TState state() const { return m_state; }
    bool modified() const { return m_modified; }
    void edit();
    void insert();
    void append();
    // Appends a row and assigns the values to the fields by position, then posts it.
    void appendRecord(const QVariantList& values);
    void post();
    void cancel();
    void deleteRecord();
    // Edits when the record set is browsing (the usual step before setting a field).
    void ensureEditing();
    // Leaves the editing states: posts a changed row, cancels an unchanged one.
    void checkBrowseMode();
    // A row being edited, as it was stored and as edited, taken before a post inside a transaction: when
    // the transaction is rolled back, restoreEdit puts the row back in edit with the edited values, so
    // the next post writes them again and cancel shows the stored ones.
    struct TEditSnapshot {
        int row = -1;
        QVector<QVariant> stored;
        QVector<QVariant> edited;
        QVector<bool> changed;
    };
    TEditSnapshot editSnapshot() const;
    void restoreEdit(const TEditSnapshot& snapshot);
    // For writing many new rows at once: a posted new row is stored with every column, empty ones as
    // empty, and taken as written rather than read back; a post leaves the details alone, so the
    // caller posts their new rows next.
    void setBulkInsert(bool bulk) { m_bulkInsert = bulk; }

    // Order and links.
    void setIndexFieldNames(const QString& names);
    const QStringList& indexFieldNames() const { return m_indexFields; }
    // Sorts the snapshot on a field (client side); kept through refresh.
    void setSort(const QString& fieldName);
    void setMasterLink(TRecordSet* master, const QString& masterFields, const QString& detailFields);
    TRecordSet* master() const { return m_master; }

    // Screen updates are suspended while the count is above 0; resuming them signals what changed
    // meanwhile at once (the rows when the same rows are still there, else a reset; and the current row).
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disableCount > 0; }

    // Rows for views: every row of the snapshot, including a row being inserted.
    int rowCount() const { return static_cast<int>(m_rows.size()); }
    int currentRow() const { return m_current; }
    QVariant valueAt(int row, int fieldIndex) const;
    // The identity of a row in its update table (rowid); -1 for a row being inserted and for the rows of
    // a record set that writes to no table.
    qint64 rowId(int row) const;

    // Record events.
    TEvent beforeEdit;
    TEvent beforePost;
    TEvent afterPost;
    TEvent afterInsert;
    TEvent beforeDelete;
    TEvent afterDelete;
    TEvent afterScroll;
    TEvent onCalcFields;

Q_SIGNALS:
    // Every row may have changed (open, close, a reload with other rows, sort); sent before and after.
    void rowsAboutToBeReset();
    void rowsReset();
    // A row was inserted at, or removed from, a position; sent before and after.
    void rowAboutToBeInserted(int row);
    void rowInserted(int row);
    void rowAboutToBeRemoved(int row);
    void rowRemoved(int row);
    // The values of the rows first to last changed (an edit, a post, a reload of the same rows).
    void rowsChanged(int first, int last);
    // Another row became current, or the current row was reloaded or posted; sent after the details are
    // reloaded and the move or post rule has run, also when one of them failed.
    void currentChanged(int row);
    // The state changed (browse, edit, insert, inactive).
    void stateChanged();

protected:
    // The table whose rows are written by post and delete; empty for a read-only record set.
    virtual QString updateTable() const = 0;
    // The statement that loads the snapshot; its first column must be the row identity (rowid)
    // when the record set is writable.
    virtual QString selectStatement(QVariantList* params) const = 0;
    // Whether the loaded columns are only those of the persistent fields.
    bool hasPersistentFields() const { return m_persistent; }
    // The link condition for a detail: fields and the master's current values (empty when unlinked).
    QStringList detailLinkFields() const { return m_detailFields; }
    QVariantList masterLinkValues() const;
    // Whether the statement cannot find a row, so that a reload need not ask the database.
    virtual bool selectsNothing() const { return false; }

private:
    friend class TConnection;
    friend class TField;
    struct TRow {
        qint64 id = -1; // rowid in the update table; -1 for a row being inserted
        QVector<QVariant> values;
    };

    // Reads the snapshot (sorted when a sort field is set).
    std::vector<TRow> loadRows();
    // Takes a new snapshot over, signalling a change of the rows when they are the same rows, else a reset.
    void replaceRows(std::vector<TRow> rows);
    void createFieldsFrom(const QStringList& columns);
    void calculate(int row);
    void calculateAll();
    void checkActive() const;
    // Reloads the details and runs the move rule, then signals the current row.
    void scrolled();
    // Runs the steps, then signals the current row, also when a step fails.
    void thenSignalCurrent(const std::function<void()>& steps);
    void masterChanged();
    void reloadDetails();
    void emitCurrent();
    void emitState();
    void emitRow(int row);
    void insertRow(int position, TRow row);
    void removeRow(int position);
    void moveTo(int row);
    void sortRows(std::vector<TRow>& rows) const;
    QVector<qint64> rowIds() const;
    void writeRow();
    void writeInsert();
    qint64 writeWholeRow();
    void startInsert(int position);
    const QVector<QVariant>& currentValues() const;
    QVariant fieldValue(const TField& field) const;
    void forgetFieldLookups();
    void setFieldValue(TField& field, const QVariant& value);

    TConnection* m_connection;
    QString m_name;
    std::vector<std::unique_ptr<TField>> m_fields;
    // The fields by the names they were asked for; bound controls ask at every move.
    mutable QHash<QString, TField*> m_fieldLookup;
    // Names written in the code keep their address: the fields found under them, by that address.
    struct TLiteralName {
        QString name;
        TField* field = nullptr;
    };
    mutable std::array<TLiteralName, 64> m_literalLookup;
    bool m_persistent = false;
    QStringList m_loadedColumns; // database columns behind the non-calculated fields, by field index

    TState m_state = TState::Inactive;
    std::vector<TRow> m_rows;
    int m_current = -1;
    bool m_eof = true;
    bool m_bof = true;
    QVector<QVariant> m_buffer;       // the current row while editing or inserting
    QVector<bool> m_changed;          // fields set since the edit began
    bool m_modified = false;
    int m_insertReturnRow = -1;
    bool m_bulkInsert = false;
    QString m_wholeRowInsert; // the insert of every column, made at its first use, kept while the fields are
    std::vector<const TField*> m_wholeRowFields; // the stored fields, in that insert's order
    QVariantList m_wholeRowValues;               // its values, kept to be refilled for each row

    QStringList m_indexFields;
    QString m_sortField;
    TRecordSet* m_master = nullptr;
    QStringList m_masterFields;
    QStringList m_detailFields;
    std::vector<TRecordSet*> m_details;
    int m_disableCount = 0;
    QVector<qint64> m_idsWhenDisabled; // the rows when the screen updates were suspended
    int m_calculatingRow = -1;
};

// A table record set: every row of one table, ordered on its index fields.
class TTable : public TRecordSet {
    Q_OBJECT
public:
    TTable(TConnection* connection, const QString& name, const QString& tableName);
    const QString& tableName() const { return m_table; }
    void setTableName(const QString& tableName);
    // An append-only table loads no rows when it opens: it only takes new ones, however large the table.
    void setAppendOnly(bool appendOnly) { m_appendOnly = appendOnly; }

protected:
    QString updateTable() const override { return m_table; }
    QString selectStatement(QVariantList* params) const override;
    bool selectsNothing() const override;

private:
    QString m_table;
    bool m_appendOnly = false;
};

// A query: SQL lines with parameters set by position, opened for rows or executed as a statement.
// A query over one table (or with an update table set) can edit and delete its rows.
class TQuery : public TRecordSet {
    Q_OBJECT
public:
    TQuery(TConnection* connection, const QString& name, const QStringList& sql = {});

    void setSql(const QStringList& lines);
    const QStringList& sql() const { return m_sql; }
    QString sqlText() const { return m_sql.join(u'\n'); }
    // Parameters by position (0-based).
    void setParam(int position, const QVariant& value);
    void setParams(const QVariantList& values) { m_params = values; }
    const QVariantList& params() const { return m_params; }
    // The table whose rows are written; found from a single-table SQL when not set.
    void setUpdateTable(const QString& table) { m_updateTable = table; }
    // Executes the SQL as a statement without rows; answers the rows changed.
    int execSql();

protected:
    QString updateTable() const override;
    QString selectStatement(QVariantList* params) const override;

private:
    QStringList m_sql;
    QVariantList m_params;
    QString m_updateTable;
};
