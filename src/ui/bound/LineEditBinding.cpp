#include "ui/bound/LineEditBinding.h"

#include "store/Field.h"

#include <QApplication>
#include <QLineEdit>
#include <QPalette>

TLineEditBinding::TLineEditBinding(QLineEdit* edit, TRecordSet& recordSet, const QString& fieldName)
    : TFieldBinding(edit, recordSet, fieldName), m_edit(edit) {
    connect(edit, &QLineEdit::editingFinished, this, &TLineEditBinding::editingFinished);
    refresh();
}

void TLineEditBinding::showValue(const TField* field) {
    // Setting the same text again would lay the control out again for nothing; moves refresh often.
    const QString text = field ? field->displayText() : QString();
    if (m_edit->text() != text) m_edit->setText(text);
    m_edit->setModified(false);
}

// A field that cannot be changed shows so: on the window's background, not an edit's.
void TLineEditBinding::setEditable(bool editable) {
    if (m_edit->isReadOnly() == !editable) return;
    m_edit->setReadOnly(!editable);
    QPalette palette = m_edit->palette();
    palette.setColor(QPalette::Base, QApplication::palette(m_edit).color(editable ? QPalette::Base : QPalette::Window));
    m_edit->setPalette(palette);
}

void TLineEditBinding::editingFinished() {
    if (!m_edit->isModified()) return;
    m_edit->setModified(false); // a message box taking the focus ends the editing a second time
    const QString text = m_edit->text();
    write([&text](TField& field) { field.setAsString(text); });
}
