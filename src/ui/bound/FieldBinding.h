#pragma once

#include "store/RecordSet.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

// Binds an edit control to a field of a record set: the control shows the field's value in the current
// row and follows the record set (another current row, new values, another state); what the user enters
// is written through the field's setter, so range checks, validate and change events and the record
// rules run. A refusal is shown and the control shows the field's value again. The control is read-only
// while the record set cannot be modified, its current row is locked or the field is read-only. The
// binding belongs to its control.
class TFieldBinding : public QObject {
    Q_OBJECT
public:
    TFieldBinding(QObject* control, TRecordSet& recordSet, const QString& fieldName);

    TRecordSet& recordSet() const { return *m_recordSet; }
    const QString& fieldName() const { return m_fieldName; }
    // Whether the user may change the value now.
    bool editable() const;
    // Shows the current row's value and the editable state again; a control that waits while hidden
    // does so when it is shown, if it is hidden in a shown window.
    void refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Whether refreshes wait while the control is hidden: worth it where showing a value is costly.
    virtual bool waitsWhileHidden() const { return false; }
    // Shows the field's value in the current row; none when there is no current row.
    virtual void showValue(const TField* field) = 0;
    virtual void setEditable(bool editable) = 0;
    // Puts the record set in its edit state and assigns the user's value; shows a refusal. Answers
    // whether the value was taken.
    bool write(const std::function<void(TField&)>& assign);

private:
    QPointer<TRecordSet> m_recordSet;
    QString m_fieldName;
    bool m_stale = false; // a refresh waits for the control to be shown
};
