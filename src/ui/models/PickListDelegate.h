#pragma once

#include <QPointer>
#include <QStyledItemDelegate>

class QAbstractItemView;
class TRecordSetModel;

// The cell editor of a record-set grid: a combo box where the column has a pick list, the standard editor
// elsewhere. Opening an editor puts the record set in its edit state; when a rule refuses that, no editor
// opens. A value the field or a rule refuses keeps the editor open with the typed text, after the message,
// until the value is valid or Esc cancels the edit.
class TPickListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    TPickListDelegate(TRecordSetModel& model, QObject* parent);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

    // Writes the open cell editor's value and closes it; false when the value was refused (the message
    // has been shown and the editor keeps the text).
    bool CommitOpenEditor();
    // Whether an open cell editor holds a value other than its cell's.
    bool OpenEditorChanged() const;
    // Closes the open cell editor without writing it.
    void DiscardOpenEditor();

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    // Writes the editor's value into its cell; false when it was refused.
    bool Commit(QWidget* editor) const;
    QWidget* OpenEditor() const;

    TRecordSetModel& m_model;
    mutable bool m_committing = false;
    mutable QPointer<QWidget> m_editor;
};

// Every grid of a window writes the cell being edited before a button acts, so nothing typed is lost;
// false when a value was refused.
bool CommitCellEdits(const QWidget* window);
// Whether a grid of the window holds a typed value not yet written.
bool CellEditsChanged(const QWidget* window);
// Closes the window's cell editors without writing them.
void DiscardCellEdits(const QWidget* window);
