#include "ui/bound/RadioGroupBinding.h"

#include "store/Field.h"

#include <QAbstractButton>
#include <QButtonGroup>

TRadioGroupBinding::TRadioGroupBinding(const QList<QAbstractButton*>& buttons, TRecordSet& recordSet,
                                       const QString& fieldName, const QStringList& values)
    : TFieldBinding(buttons.value(0), recordSet, fieldName), m_group(new QButtonGroup(this)),
      m_values(values) {
    for (int i = 0; i < buttons.size(); ++i) {
        m_group->addButton(buttons[i], i);
        if (values.isEmpty()) m_values << buttons[i]->text();
    }
    connect(m_group, &QButtonGroup::idClicked, this, [this](int id) {
        const QString value = m_values.value(id);
        write([&value](TField& field) { field.setAsString(value); });
    });
    refresh();
}

void TRadioGroupBinding::showValue(const TField* field) {
    const int id = field && !field->isNull() ? static_cast<int>(m_values.indexOf(field->asString())) : -1;
    if (QAbstractButton* button = m_group->button(id)) {
        button->setChecked(true);
        return;
    }
    // No button stands for the value: none is checked.
    m_group->setExclusive(false);
    for (QAbstractButton* button : m_group->buttons())
        button->setChecked(false);
    m_group->setExclusive(true);
}

void TRadioGroupBinding::setEditable(bool editable) {
    for (QAbstractButton* button : m_group->buttons())
        button->setEnabled(editable);
}
