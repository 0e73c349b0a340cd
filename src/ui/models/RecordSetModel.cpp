#include "ui/models/RecordSetModel.h"

#include "store/RecordSet.h"
#include "ui/Guard.h"
#include "ui/models/PickListDelegate.h"

#include <QApplication>
#include <QPalette>
#include <QTableView>

namespace {

// Space around a cell's text, beside the characters of the field's display width.
constexpr int CellMargin = 8;

} // namespace

TRecordSetModel::TRecordSetModel(TRecordSet& recordSet, const QStringList& fieldNames, QObject* parent)
    : QAbstractTableModel(parent), m_recordSet(recordSet), m_fieldNames(fieldNames) {
    for (const QString& name : fieldNames) {
        TColumn column;
        column.fieldName = name;
        m_columns.append(column);
    }
    resolveFields();
    m_rowCount = m_recordSet.rowCount();

    connect(&m_recordSet, &TRecordSet::rowsAboutToBeReset, this, &TRecordSetModel::rowsAboutToBeReset);
    connect(&m_recordSet, &TRecordSet::rowsReset, this, &TRecordSetModel::rowsReset);
    connect(&m_recordSet, &TRecordSet::rowAboutToBeInserted, this, [this](int row) {
        m_changingRows = true;
        beginInsertRows({}, row, row);
    });
    connect(&m_recordSet, &TRecordSet::rowInserted, this, [this] {
        ++m_rowCount;
        endInsertRows();
        m_changingRows = false;
    });
    connect(&m_recordSet, &TRecordSet::rowAboutToBeRemoved, this, [this](int row) {
        m_changingRows = true;
        beginRemoveRows({}, row, row);
    });
    connect(&m_recordSet, &TRecordSet::rowRemoved, this, [this] {
        --m_rowCount;
        endRemoveRows();
        m_changingRows = false;
    });
    connect(&m_recordSet, &TRecordSet::rowsChanged, this, &TRecordSetModel::rowsChanged);
}

void TRecordSetModel::resolveFields() {
    for (TColumn& column : m_columns) {
        const TField* f = m_recordSet.findField(column.fieldName);
        column.fieldIndex = f ? f->index() : -1;
    }
}

TField& TRecordSetModel::field(int column) const {
    const TColumn& c = m_columns.at(column);
    return c.fieldIndex >= 0 ? m_recordSet.field(c.fieldIndex) : m_recordSet.fieldByName(c.fieldName);
}

void TRecordSetModel::setColumnReadOnly(int column, bool readOnly) {
    if (m_columns.at(column).readOnly == readOnly) return;
    m_columns[column].readOnly = readOnly;
    if (m_rowCount > 0) Q_EMIT dataChanged(index(0, column), index(m_rowCount - 1, column));
}

bool TRecordSetModel::columnReadOnly(int column) const {
    return m_columns.at(column).readOnly;
}

bool TRecordSetModel::columnEditable(int column) const {
    const TColumn& c = m_columns.at(column);
    return m_recordSet.canModify() && !c.readOnly && c.fieldIndex >= 0 &&
           !m_recordSet.field(c.fieldIndex).readOnly();
}

void TRecordSetModel::setPickList(int column, const QStringList& items) {
    m_columns[column].pickList = items;
}

QStringList TRecordSetModel::pickList(int column) const {
    return m_columns.at(column).pickList;
}

void TRecordSetModel::setComputedColumn(int column, TComputedCell cell) {
    m_columns[column].computed = std::move(cell);
    if (m_rowCount > 0) emit dataChanged(index(0, column), index(m_rowCount - 1, column));
}

void TRecordSetModel::setBackground(TBackground background) {
    m_background = std::move(background);
    if (m_rowCount > 0 && !m_columns.isEmpty())
        Q_EMIT dataChanged(index(0, 0), index(m_rowCount - 1, columnCount() - 1), {Qt::BackgroundRole});
}

void TRecordSetModel::setCellEditable(TCellEditable editable) {
    m_cellEditable = std::move(editable);
}

QColor TRecordSetModel::InfoColour() {
    return QApplication::palette().color(QPalette::ToolTipBase);
}

bool TRecordSetModel::startEdit() {
    return Guarded([this] { m_recordSet.ensureEditing(); });
}

// --- the record set's signals -----------------------------------------------------------------

void TRecordSetModel::rowsAboutToBeReset() {
    m_changingRows = true;
    beginResetModel();
}

void TRecordSetModel::rowsReset() {
    resolveFields();
    m_rowCount = m_recordSet.rowCount();
    m_changingRows = false;
    endResetModel();
}

void TRecordSetModel::rowsChanged(int first, int last) {
    last = std::min(last, m_rowCount - 1);
    if (first < 0 || first > last || m_columns.isEmpty()) return;
    Q_EMIT dataChanged(index(first, 0), index(last, columnCount() - 1));
}

// --- reading and writing cells -----------------------------------------------------------------

bool TRecordSetModel::isCell(const QModelIndex& index) const {
    return index.isValid() && index.model() == this && index.row() < m_rowCount &&
           index.column() < columnCount();
}

int TRecordSetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rowCount;
}

int TRecordSetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant TRecordSetModel::data(const QModelIndex& index, int role) const {
    if (!isCell(index)) return {};
    const int row = index.row();
    const TColumn& c = m_columns[index.column()];
    if (c.computed && row < m_recordSet.rowCount() && role != Qt::EditRole && role != PickListRole)
        return c.computed(row, role);
    if (c.fieldIndex < 0 || row >= m_recordSet.rowCount()) return {};
    const TField& f = m_recordSet.field(c.fieldIndex);
    switch (role) {
    case Qt::DisplayRole:
        return f.format(m_recordSet.valueAt(row, c.fieldIndex), f.displayFormat());
    case Qt::EditRole:
        return f.format(m_recordSet.valueAt(row, c.fieldIndex), f.editFormat());
    case Qt::TextAlignmentRole:
        return f.isNumeric() ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                             : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::BackgroundRole: {
        if (!m_background) return {};
        const QColor colour = m_background(row, index.column());
        return colour.isValid() ? QVariant(colour) : QVariant();
    }
    case PickListRole:
        return c.pickList.isEmpty() ? QVariant() : QVariant(c.pickList);
    default:
        return {};
    }
}

QVariant TRecordSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columnCount()) {
        const TColumn& c = m_columns[section];
        if (!c.caption.isEmpty()) return c.caption;
        return c.fieldIndex >= 0 ? m_recordSet.field(c.fieldIndex).displayName() : c.fieldName;
    }
    if (orientation == Qt::Horizontal && role == Qt::ToolTipRole && section >= 0 && section < columnCount() &&
        !m_columns[section].toolTip.isEmpty())
        return m_columns[section].toolTip;
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool TRecordSetModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role) {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return false;
    if (role == Qt::ToolTipRole)
        m_columns[section].toolTip = value.toString();
    else if (role == Qt::EditRole || role == Qt::DisplayRole)
        m_columns[section].caption = value.toString();
    else
        return false;
    emit headerDataChanged(orientation, section, section);
    return true;
}

Qt::ItemFlags TRecordSetModel::flags(const QModelIndex& index) const {
    if (!isCell(index)) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    if (columnEditable(index.column()) && (!m_cellEditable || m_cellEditable(index.row(), index.column())))
        flags |= Qt::ItemIsEditable;
    return flags;
}

// Writes through the field's setter on the row, which becomes current; an unchanged text writes nothing.
bool TRecordSetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !isCell(index) || !(flags(index) & Qt::ItemIsEditable)) return false;
    const bool isText = value.typeId() == QMetaType::QString;
    if (isText && index.row() == m_recordSet.currentRow() &&
        value.toString() == data(index, Qt::EditRole).toString())
        return true;
    return Guarded([&] {
        m_recordSet.setRecNo(index.row() + 1);
        m_recordSet.ensureEditing();
        TField& f = field(index.column());
        if (isText)
            f.setAsString(value.toString());
        else
            f.setValue(value);
    });
}

// --- a view over the model -----------------------------------------------------------------------

void TRecordSetModel::bindView(QTableView* view) {
    view->setModel(this);
    view->setItemDelegate(new TPickListDelegate(*this, view));
    const int charWidth = view->fontMetrics().horizontalAdvance(u'0');
    for (int c = 0; c < columnCount(); ++c)
        if (m_columns[c].fieldIndex >= 0)
            if (const int width = m_recordSet.field(m_columns[c].fieldIndex).displayWidth(); width > 0)
                view->setColumnWidth(c, width * charWidth + CellMargin);
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, view,
            [this, view](const QModelIndex& current) { viewRowChanged(view, current.row()); });
    connect(&m_recordSet, &TRecordSet::currentChanged, view, [this, view] { showCurrentRow(view); });
    connect(this, &QAbstractItemModel::modelReset, view, [this, view] { showCurrentRow(view); });
    showCurrentRow(view);
}

// The user made another row current: the record set moves there, posting the row it leaves. When it
// cannot (a rule refused the row), the view goes back to the record set's row.
void TRecordSetModel::viewRowChanged(QTableView* view, int row) {
    if (m_movingRecordSet || m_changingRows || row < 0 || !m_recordSet.active() ||
        row == m_recordSet.currentRow())
        return;
    m_movingRecordSet = true;
    Guarded([&] { m_recordSet.setRecNo(row + 1); });
    m_movingRecordSet = false;
    showCurrentRow(view);
}

// The record set's current row becomes the view's, in the view's current column.
void TRecordSetModel::showCurrentRow(QTableView* view) {
    if (m_movingRecordSet || m_changingRows) return;
    const int row = m_recordSet.currentRow();
    if (row < 0 || row >= m_rowCount) return;
    const QModelIndex current = view->currentIndex();
    if (current.isValid() && current.row() == row) return;
    view->setCurrentIndex(index(row, current.isValid() ? current.column() : 0));
}
