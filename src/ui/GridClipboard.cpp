#include "ui/GridClipboard.h"
#include "foundation/Errors.h"
#include "foundation/UserInterface.h"
#include "store/Field.h"
#include "store/RecordSet.h"
#include "ui/Guard.h"
#include "ui/models/RecordSetModel.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTableView>
#include <algorithm>
#include <set>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

bool RowHidden(const QAbstractItemView& grid, int row) {
    const auto* table = qobject_cast<const QTableView*>(&grid);
    return table && table->isRowHidden(row);
}

bool ColumnHidden(const QAbstractItemView& grid, int column) {
    const auto* table = qobject_cast<const QTableView*>(&grid);
    return table && table->isColumnHidden(column);
}

// Where a column shows: moved header sections keep their place on the screen.
int ShownColumn(const QAbstractItemView& grid, int column) {
    const auto* table = qobject_cast<const QTableView*>(&grid);
    return table ? table->horizontalHeader()->visualIndex(column) : column;
}

int ShownRow(const QAbstractItemView& grid, int row) {
    const auto* table = qobject_cast<const QTableView*>(&grid);
    return table ? table->verticalHeader()->visualIndex(row) : row;
}

QString CellText(const QModelIndex& index) {
    const QVariant value = index.data(Qt::DisplayRole);
    QString text = value.toString();
    // A check box column copies as its state.
    if (!value.isValid()) {
        const QVariant check = index.data(Qt::CheckStateRole);
        if (check.isValid()) text = check.toInt() == Qt::Checked ? u"1"_s : u"0"_s;
    }
    // A line end or tab inside a cell would split the block.
    text.replace(u'\t', u' ').replace(u'\n', u' ').replace(u'\r', u' ');
    return text;
}

const char* const PasteProperty = "kelvoGridPaste";

// The block's rows of cells; a line end after the last row (as spreadsheets copy) makes no row.
QVector<QStringList> BlockCells(QString block) {
    block.remove(u'\r');
    if (block.endsWith(u'\n')) block.chop(1);
    QVector<QStringList> rows;
    if (block.isEmpty()) return rows;
    for (const QString& line : block.split(u'\n'))
        rows << line.split(u'\t');
    return rows;
}

// A refusal of one cell: where it is and why.
struct TRefusal {
    int row = -1;
    int column = -1;
    QString message;
};

QString RefusalText(const TRecordSetModel& model, const TRefusal& refusal) {
    return u"Row %1, column \"%2\": %3"_s.arg(refusal.row + 1)
        .arg(model.headerData(refusal.column, Qt::Horizontal).toString(), refusal.message);
}

QString ExceptionMessage() {
    try {
        throw;
    } catch (const EKelvoError& e) {
        return e.Message();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return u"Unexpected error"_s;
    }
}

class TGridCopyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        auto* grid = qobject_cast<QTableView*>(watched);
        if (!grid) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy)) {
            CopySelectedCells(*grid);
            return true;
        }
        if (key->matches(QKeySequence::Paste) && grid->property(PasteProperty).toBool()) {
            PasteCells(*grid, QGuiApplication::clipboard()->text());
            return true;
        }
        return false;
    }
};

} // namespace

QString SelectedCellsText(const QAbstractItemView& grid) {
    if (!grid.model()) return {};
    QModelIndexList cells = grid.selectionModel() ? grid.selectionModel()->selectedIndexes() : QModelIndexList();
    if (cells.isEmpty() && grid.currentIndex().isValid()) cells << grid.currentIndex();
    const auto byShownRow = [&grid](int a, int b) { return ShownRow(grid, a) < ShownRow(grid, b); };
    const auto byShownColumn = [&grid](int a, int b) { return ShownColumn(grid, a) < ShownColumn(grid, b); };
    std::set<int, decltype(byShownRow)> rows(byShownRow);
    std::set<int, decltype(byShownColumn)> columns(byShownColumn);
    std::set<std::pair<int, int>> selected;
    for (const QModelIndex& cell : cells) {
        if (RowHidden(grid, cell.row()) || ColumnHidden(grid, cell.column())) continue;
        rows.insert(cell.row());
        columns.insert(cell.column());
        selected.insert({cell.row(), cell.column()});
    }
    QStringList lines;
    const QModelIndex root = grid.rootIndex();
    for (const int row : rows) {
        QStringList line;
        for (const int column : columns)
            line << (selected.count({row, column}) ? CellText(grid.model()->index(row, column, root)) : QString());
        lines << line.join(u'\t');
    }
    return lines.join(u'\n');
}

void CopySelectedCells(const QAbstractItemView& grid) {
    QGuiApplication::clipboard()->setText(SelectedCellsText(grid));
}

void InstallGridClipboard() {
    static TGridCopyFilter* filter = nullptr;
    if (!filter) {
        filter = new TGridCopyFilter(qApp);
        qApp->installEventFilter(filter);
    }
}

void AllowPaste(QTableView& grid) {
    grid.setProperty(PasteProperty, true);
}

bool PasteCells(QTableView& grid, const QString& block) {
    auto* model = qobject_cast<TRecordSetModel*>(grid.model());
    const QModelIndex start = grid.currentIndex();
    const QVector<QStringList> cells = BlockCells(block);
    if (!model || !start.isValid() || cells.isEmpty()) return false;
    TRecordSet& records = model->recordSet();
    // A row being edited is finished first, as moving to another row would.
    if (!Guarded([&records] { records.checkBrowseMode(); })) return false;

    // The columns the block covers, as they show from the current cell on.
    qsizetype width = 0;
    for (const QStringList& row : cells)
        width = std::max(width, row.size());
    QVector<int> columns;
    const QHeaderView* header = grid.horizontalHeader();
    for (int shown = header->visualIndex(start.column()); shown < model->columnCount() && columns.size() < width;
         ++shown)
        if (const int column = header->logicalIndex(shown); !grid.isColumnHidden(column)) columns << column;

    // The previous values of the rows written, to put back on a refusal.
    struct TWritten {
        int row;
        QVector<QVariant> values;
    };
    std::vector<TWritten> written;
    TRefusal refusal;
    bool silent = false;
    for (int i = 0; i < cells.size(); ++i) {
        refusal = {start.row() + i, start.column(), {}};
        if (refusal.row >= model->rowCount()) {
            refusal.message = u"The block reaches past the last row."_s;
            break;
        }
        try {
            records.setRecNo(refusal.row + 1);
            TWritten previous{refusal.row, {}};
            for (const int column : columns)
                previous.values << model->field(column).value();
            for (int j = 0; j < cells[i].size(); ++j) {
                if (j >= columns.size()) throw EKelvoError(u"The block reaches past the last column."_s);
                refusal.column = columns[j];
                if (!model->columnEditable(refusal.column)) throw EKelvoError(u"This column cannot be edited."_s);
                records.ensureEditing();
                model->field(refusal.column).setAsString(cells[i][j].trimmed());
            }
            // The row's own rules run as it is posted.
            records.checkBrowseMode();
            written.push_back(std::move(previous));
            refusal.row = -1;
        } catch (const EAbort&) {
            silent = true;
            break;
        } catch (...) {
            refusal.message = ExceptionMessage();
            break;
        }
    }
    if (refusal.row < 0) return true;

    // Nothing of the block stays: the refused row is cancelled, the rows written get their values back.
    Guarded([&] {
        if (records.state() != TRecordSet::TState::Browse) records.cancel();
        for (auto it = written.rbegin(); it != written.rend(); ++it) {
            records.setRecNo(it->row + 1);
            records.ensureEditing();
            for (qsizetype k = 0; k < it->values.size(); ++k)
                if (model->columnEditable(columns[k])) model->field(columns[k]).setValue(it->values[k]);
            records.post();
        }
        records.setRecNo(start.row() + 1);
    });
    if (!silent) ShowError(RefusalText(*model, refusal));
    return false;
}
