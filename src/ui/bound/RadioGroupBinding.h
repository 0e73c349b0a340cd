#pragma once

#include "ui/bound/FieldBinding.h"

#include <QList>
#include <QStringList>

class QAbstractButton;
class QButtonGroup;

// A group of radio buttons on a field, one value per button (the button's text when no values are
// given): the button of the field's value is checked, none for another value; a click writes its value.
class TRadioGroupBinding : public TFieldBinding {
    Q_OBJECT
public:
    TRadioGroupBinding(const QList<QAbstractButton*>& buttons, TRecordSet& recordSet,
                       const QString& fieldName, const QStringList& values = {});

protected:
    void showValue(const TField* field) override;
    void setEditable(bool editable) override;

private:
    QButtonGroup* m_group;
    QStringList m_values;
};
