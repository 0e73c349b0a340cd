#include "ui/bound/FieldBinding.h"

#include "store/RecordSet.h"
#include "ui/Guard.h"

#include <QEvent>
#include <QWidget>

TFieldBinding::TFieldBinding(QObject* control, TRecordSet& recordSet, const QString& fieldName)
    : QObject(control), m_recordSet(&recordSet), m_fieldName(fieldName) {
    connect(&recordSet, &TRecordSet::currentChanged, this, &TFieldBinding::refresh);
    connect(&recordSet, &TRecordSet::stateChanged, this, &TFieldBinding::refresh);
    connect(&recordSet, &TRecordSet::rowsReset, this, &TFieldBinding::refresh);
    connect(&recordSet, &TRecordSet::rowsChanged, this, [this](int first, int last) {
        const int current = m_recordSet->currentRow();
        if (current >= first && current <= last) refresh();
    });
    control->installEventFilter(this);
}

bool TFieldBinding::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && m_stale) refresh();
    return QObject::eventFilter(watched, event);
}

bool TFieldBinding::editable() const {
    if (!m_recordSet || !m_recordSet->currentRowEditable()) return false;
    const TField* field = m_recordSet->findField(m_fieldName);
    return field && !field->readOnly();
}

void TFieldBinding::refresh() {
    if (!m_recordSet) return;
    const auto* widget = qobject_cast<const QWidget*>(parent());
    m_stale = waitsWhileHidden() && widget && widget->window()->isVisible() && !widget->isVisible();
    if (m_stale) return;
    const bool hasRow = m_recordSet->active() && m_recordSet->currentRow() >= 0;
    showValue(hasRow ? m_recordSet->findField(m_fieldName) : nullptr);
    setEditable(editable());
}

bool TFieldBinding::write(const std::function<void(TField&)>& assign) {
    if (!editable()) {
        refresh();
        return false;
    }
    const bool taken = Guarded([&] {
        m_recordSet->ensureEditing();
        assign(m_recordSet->fieldByName(m_fieldName));
    });
    refresh();
    return taken;
}
