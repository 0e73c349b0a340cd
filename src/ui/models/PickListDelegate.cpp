#include "ui/models/PickListDelegate.h"

#include "ui/models/RecordSetModel.h"

#include <QComboBox>

TPickListDelegate::TPickListDelegate(TRecordSetModel& model, QObject* parent)
    : QStyledItemDelegate(parent), m_model(model) {}

QWidget* TPickListDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const {
    if (!m_model.startEdit()) return nullptr;
    const QStringList items = index.data(TRecordSetModel::PickListRole).toStringList();
    if (items.isEmpty()) return QStyledItemDelegate::createEditor(parent, option, index);
    auto* combo = new QComboBox(parent);
    combo->setFrame(false);
    combo->addItems(items);
    return combo;
}

void TPickListDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        combo->setCurrentIndex(combo->findText(index.data(Qt::EditRole).toString()));
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void TPickListDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                     const QModelIndex& index) const {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        if (combo->currentIndex() >= 0) model->setData(index, combo->currentText(), Qt::EditRole);
        return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}
