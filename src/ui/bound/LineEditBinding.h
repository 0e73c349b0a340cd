#pragma once

#include "ui/bound/FieldBinding.h"

class QLineEdit;

// A line edit on a field: shows its display text, writes the typed text when editing ends (Return or
// leaving the control), only when the user changed it. Hidden on a page of a shown window it catches up
// when shown: laying out the text of every edit of every page at each move would cost more than
// reading the rows. Window code reads the field, never a hidden edit's text.
class TLineEditBinding : public TFieldBinding {
    Q_OBJECT
public:
    TLineEditBinding(QLineEdit* edit, TRecordSet& recordSet, const QString& fieldName);

protected:
    void showValue(const TField* field) override;
    void setEditable(bool editable) override;
    bool waitsWhileHidden() const override { return true; }

private:
    void editingFinished();

    QLineEdit* m_edit;
};
