#pragma once

#include "ui/bound/FieldBinding.h"

#include <QVariant>

class QCheckBox;

// A check box on a field: checked when the field holds the checked value (true for a boolean field by
// default); a click writes the checked or the unchecked value.
class TCheckBoxBinding : public TFieldBinding {
    Q_OBJECT
public:
    TCheckBoxBinding(QCheckBox* box, TRecordSet& recordSet, const QString& fieldName,
                     const QVariant& checkedValue = true, const QVariant& uncheckedValue = false);

protected:
    void showValue(const TField* field) override;
    void setEditable(bool editable) override;

private:
    QCheckBox* m_box;
    QVariant m_checked;
    QVariant m_unchecked;
};
