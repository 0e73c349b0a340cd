#include "ui/bound/CheckBoxBinding.h"

#include "store/Field.h"

#include <QCheckBox>

TCheckBoxBinding::TCheckBoxBinding(QCheckBox* box, TRecordSet& recordSet, const QString& fieldName,
                                   const QVariant& checkedValue, const QVariant& uncheckedValue)
    : TFieldBinding(box, recordSet, fieldName), m_box(box), m_checked(checkedValue),
      m_unchecked(uncheckedValue) {
    connect(box, &QCheckBox::clicked, this, [this](bool checked) {
        write([&](TField& field) { field.setValue(checked ? m_checked : m_unchecked); });
    });
    refresh();
}

void TCheckBoxBinding::showValue(const TField* field) {
    bool checked = false;
    if (field && !field->isNull())
        checked = field->dataType() == TFieldType::Boolean ? field->asBoolean() == m_checked.toBool()
                                                           : field->asString() == m_checked.toString();
    m_box->setChecked(checked);
}

void TCheckBoxBinding::setEditable(bool editable) {
    m_box->setEnabled(editable);
}
