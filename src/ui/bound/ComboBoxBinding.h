#pragma once

#include "ui/bound/FieldBinding.h"

class QComboBox;

// A combo box on a field, its items given by the window: shows the item equal to the field's text, and
// writes the item the user chooses.
class TComboBoxBinding : public TFieldBinding {
    Q_OBJECT
public:
    TComboBoxBinding(QComboBox* combo, TRecordSet& recordSet, const QString& fieldName);

protected:
    void showValue(const TField* field) override;
    void setEditable(bool editable) override;

private:
    QComboBox* m_combo;
};
