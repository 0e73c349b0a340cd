#pragma once

#include <QStyledItemDelegate>

class TRecordSetModel;

// The cell editor of a record-set grid: a combo box where the column has a pick list, the standard editor
// elsewhere. Opening an editor puts the record set in its edit state; when a rule refuses that, no editor
// opens.
class TPickListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    TPickListDelegate(TRecordSetModel& model, QObject* parent);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

private:
    TRecordSetModel& m_model;
};
