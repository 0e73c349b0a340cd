#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QStringList>
#include <QVector>
#include <functional>

class QTableView;
class TField;
class TRecordSet;

// A table model over a record set: one row per snapshot row, one column per field the window chooses.
// Cells are read from the snapshot; edits go through the fields' setters, so range checks, validate and
// change events and the record rules run. The record set enters its edit state on the first edit and
// posts when another row becomes current. The model follows the record set's signals: reloads of the same
// rows change data only, so an open editor, the selection and the scroll position survive them.
class TRecordSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Role {
        // The items of a column's pick list (QStringList), offered by the grid's combo box editor.
        PickListRole = Qt::UserRole + 1,
    };
    // A background colour per cell; an invalid colour leaves the view's own.
    using TBackground = std::function<QColor(int row, int column)>;
    // What a computed column shows in a row for a role (display text, tool tip ...); nothing is edited.
    using TComputedCell = std::function<QVariant(int row, int role)>;
    // Whether a cell of an editable column may be edited in that row.
    using TCellEditable = std::function<bool(int row, int column)>;

    TRecordSetModel(TRecordSet& recordSet, const QStringList& fieldNames, QObject* parent = nullptr);

    TRecordSet& recordSet() const { return m_recordSet; }
    // The field behind a column.
    TField& field(int column) const;
    const QStringList& fieldNames() const { return m_fieldNames; }

    void setColumnReadOnly(int column, bool readOnly);
    bool columnReadOnly(int column) const;
    // Whether the user may edit the column: the record set can be modified, the column and its field are
    // not read-only.
    bool columnEditable(int column) const;
    void setPickList(int column, const QStringList& items);
    QStringList pickList(int column) const;
    void setBackground(TBackground background);
    // Fills a column named by no field of the record set; signals its cells as changed.
    void setComputedColumn(int column, TComputedCell cell);
    void setCellEditable(TCellEditable editable);
    // The background of informative, not editable cells.
    static QColor InfoColour();

    // Puts the record set in its edit state before the user edits a cell; shows a refusal and answers false.
    bool startEdit();

    // Shows the model in the view and keeps the view's current row and the record set's current row the
    // same; gives the view the pick list editor and the columns' widths from their fields' display widths.
    void bindView(QTableView* view);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // A window's own caption for a column, in place of the field's display label.
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    struct TColumn {
        QString fieldName;
        int fieldIndex = -1;
        bool readOnly = false;
        QStringList pickList;
        QString caption;
        QString toolTip; // what the column holds, with its unit
        TComputedCell computed;
    };

    bool isCell(const QModelIndex& index) const;
    void resolveFields();
    void rowsAboutToBeReset();
    void rowsReset();
    void rowsChanged(int first, int last);
    void viewRowChanged(QTableView* view, int row);
    void showCurrentRow(QTableView* view);

    TRecordSet& m_recordSet;
    QStringList m_fieldNames;
    QVector<TColumn> m_columns;
    TBackground m_background;
    TCellEditable m_cellEditable;
    int m_rowCount = 0;
    // The view moves the record set; the record set changes its rows: the view's moves meanwhile are
    // the view following, not the user.
    bool m_movingRecordSet = false;
    bool m_changingRows = false;
};
