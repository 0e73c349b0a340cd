#pragma once

#include <QStyledItemDelegate>

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

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    // Writes the editor's value into its cell; false when it was refused.
    bool Commit(QWidget* editor) const;

    TRecordSetModel& m_model;
    mutable bool m_committing = false;
};
