#include "ui/models/PickListDelegate.h"

#include "ui/models/RecordSetModel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPersistentModelIndex>
#include <QTimer>

namespace {

// The cell an editor belongs to.
constexpr char cellProperty[] = "kelvoCell";

// The value an editor holds, as the model takes it; invalid when it holds none.
QVariant EditorValue(const QWidget* editor) {
    if (const auto* combo = qobject_cast<const QComboBox*>(editor))
        return combo->currentIndex() < 0 ? QVariant() : QVariant(combo->currentText());
    if (const auto* line = qobject_cast<const QLineEdit*>(editor)) return line->text();
    return {};
}

QList<TPickListDelegate*> GridDelegates(const QWidget* window) {
    QList<TPickListDelegate*> delegates;
    if (!window) return delegates;
    for (const QAbstractItemView* view : window->findChildren<QAbstractItemView*>())
        if (auto* delegate = qobject_cast<TPickListDelegate*>(view->itemDelegate())) delegates << delegate;
    return delegates;
}

} // namespace

bool CommitCellEdits(const QWidget* window) {
    for (TPickListDelegate* delegate : GridDelegates(window))
        if (!delegate->CommitOpenEditor()) return false;
    return true;
}

bool CellEditsChanged(const QWidget* window) {
    for (const TPickListDelegate* delegate : GridDelegates(window))
        if (delegate->OpenEditorChanged()) return true;
    return false;
}

void DiscardCellEdits(const QWidget* window) {
    for (TPickListDelegate* delegate : GridDelegates(window))
        delegate->DiscardOpenEditor();
}

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
    m_editor = editor;
    return editor;
}

bool TPickListDelegate::Commit(QWidget* editor) const {
    const QPersistentModelIndex cell = editor->property(cellProperty).value<QPersistentModelIndex>();
    const QVariant value = EditorValue(editor);
    if (!cell.isValid() || !value.isValid()) return true;
    m_committing = true;
    const bool written = m_model.setData(cell, value, Qt::EditRole);
    m_committing = false;
    return written;
}

// A closed editor is hidden at once and deleted later.
QWidget* TPickListDelegate::OpenEditor() const {
    return m_editor && m_editor->isVisible() ? m_editor.data() : nullptr;
}

bool TPickListDelegate::CommitOpenEditor() {
    QWidget* editor = OpenEditor();
    if (!editor) return true;
    if (!Commit(editor)) {
        editor->setFocus();
        return false;
    }
    m_editor = nullptr;
    Q_EMIT closeEditor(editor, NoHint);
    return true;
}

bool TPickListDelegate::OpenEditorChanged() const {
    const QWidget* editor = OpenEditor();
    if (!editor) return false;
    const QPersistentModelIndex cell = editor->property(cellProperty).value<QPersistentModelIndex>();
    const QVariant value = EditorValue(editor);
    return cell.isValid() && value.isValid() && value.toString() != cell.data(Qt::EditRole).toString();
}

void TPickListDelegate::DiscardOpenEditor() {
    if (QWidget* editor = OpenEditor()) {
        m_editor = nullptr;
        Q_EMIT closeEditor(editor, RevertModelCache);
    }
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
        // A message box over the grid (the refusal's own) takes the focus for a while: no leaving. The
        // grid's own window may itself be modal.
        const QWidget* modal = QApplication::activeModalWidget();
        if (m_committing || (modal && modal != editor->window())) return true;
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
