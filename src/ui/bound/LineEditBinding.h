#pragma once

#include "ui/bound/FieldBinding.h"

class QLineEdit;

// A line edit on a field: shows its display text, writes the typed text when editing ends (Return or
// leaving the control), only when the user changed it.
class TLineEditBinding : public TFieldBinding {
    Q_OBJECT
public:
    TLineEditBinding(QLineEdit* edit, TRecordSet& recordSet, const QString& fieldName);

protected:
    void showValue(const TField* field) override;
    void setEditable(bool editable) override;

private:
    void editingFinished();

    QLineEdit* m_edit;
};
