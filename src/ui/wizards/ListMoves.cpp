#include "ui/wizards/ListMoves.h"

#include <QItemSelectionModel>
#include <QListWidget>

namespace {

void FocusAndSelect(QListWidget& list, int row) {
    list.setFocus();
    if (list.count() == 0) return;
    list.setCurrentRow(qBound(0, row, list.count() - 1), QItemSelectionModel::ClearAndSelect);
}

} // namespace

void MoveSelectedEntries(QListWidget& source, QListWidget& destination) {
    int first = -1;
    for (int row = 0; row < source.count() && first < 0; ++row)
        if (source.item(row)->isSelected()) first = row;
    for (int row = source.count() - 1; row >= 0; --row)
        if (source.item(row)->isSelected()) destination.addItem(source.takeItem(row));
    FocusAndSelect(source, first < 0 ? 0 : first);
}

void MoveAllEntries(QListWidget& source, QListWidget& destination) {
    while (source.count() > 0)
        destination.addItem(source.takeItem(0));
    FocusAndSelect(source, 0);
}
