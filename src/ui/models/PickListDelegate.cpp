#include "ui/models/PickListDelegate.h"

#include "ui/models/RecordSetModel.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPersistentModelIndex>
#include <QTimer>

namespace {

// The cell an editor belongs to.
constexpr char cellProperty[] = "kelvoCell";

} // namespace

TPickListDelegate::TPickListDelegate(TRecordSetModel& model, QObject* parent)
    : QStyledItemDelegate(parent), m_model(model) {}

QWidget* TPickListDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const {
    if (!m_model.startEdit()) return nullptr;
    const QStringList items = index.data(TRecordSetModel::PickListRole).toStringList();
    QWidget* editor = nullptr;
    if (items.isEmpty()) {
        editor = QStyledItemDelegate::createEditor(parent, option, index);
    } else {
        auto* combo = new QComboBox(parent);
        combo->setFrame(false);
        combo->addItems(items);
        editor = combo;
    }
    if (editor) editor->setProperty(cellProperty, QVariant::fromValue(QPersistentModelIndex(index)));
    return editor;
}

bool TPickListDelegate::Commit(QWidget* editor) const {
    const QPersistentModelIndex cell = editor->property(cellProperty).value<QPersistentModelIndex>();
    if (!cell.isValid()) return true;
    QVariant value;
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        if (combo->currentIndex() < 0) return true;
        value = combo->currentText();
    } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        value = line->text();
    } else {
        return true;
    }
    m_committing = true;
    const bool written = m_model.setData(cell, value, Qt::EditRole);
    m_committing = false;
    return written;
}

// Leaving the editor (Enter, Tab, a click elsewhere) first writes the value; a refusal keeps the editor.
bool TPickListDelegate::eventFilter(QObject* object, QEvent* event) {
    auto* editor = qobject_cast<QWidget*>(object);
    if (!editor) return QStyledItemDelegate::eventFilter(object, event);
    bool leaving = false;
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        leaving = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab || key == Qt::Key_Backtab;
    } else if (event->type() == QEvent::FocusOut) {
        // A message box over the grid (the refusal's own) takes the focus for a while: no leaving.
        if (m_committing || QApplication::activeModalWidget()) return true;
        const QWidget* focus = QApplication::focusWidget();
        leaving = editor->isVisible() && !(focus && editor->isAncestorOf(focus)) &&
                  !QApplication::activePopupWidget();
    }
    if (leaving && !Commit(editor)) {
        QTimer::singleShot(0, editor, [editor] {
            editor->setFocus();
            if (auto* line = qobject_cast<QLineEdit*>(editor)) line->selectAll();
        });
        return true;
    }
    return QStyledItemDelegate::eventFilter(object, event);
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
