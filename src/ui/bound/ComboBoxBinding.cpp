#include "ui/bound/ComboBoxBinding.h"

#include "store/Field.h"

#include <QComboBox>

TComboBoxBinding::TComboBoxBinding(QComboBox* combo, TRecordSet& recordSet, const QString& fieldName)
    : TFieldBinding(combo, recordSet, fieldName), m_combo(combo) {
    connect(combo, &QComboBox::activated, this, [this] {
        const QString text = m_combo->currentText();
        write([&text](TField& field) { field.setAsString(text); });
    });
    refresh();
}

void TComboBoxBinding::showValue(const TField* field) {
    const QString text = field ? field->displayText() : QString();
    if (m_combo->isEditable())
        m_combo->setEditText(text);
    else
        m_combo->setCurrentIndex(m_combo->findText(text));
}

void TComboBoxBinding::setEditable(bool editable) {
    m_combo->setEnabled(editable);
}
