#pragma once

#include "store/RecordSet.h"

#include <QList>
#include <QPointer>
#include <QWidget>
#include <array>

class QToolButton;

// Buttons that move through a record set and edit it. Each button is enabled when its action can be done
// in the record set's state and position; the window chooses which are visible. Delete asks nothing: the
// record rules ask. A refusal of a rule is shown through the standard error display.
class TDBNavigator : public QWidget {
    Q_OBJECT
public:
    enum TButton { First, Prior, Next, Last, Insert, Delete, Post, Cancel, ButtonCount };

    explicit TDBNavigator(QWidget* parent = nullptr);

    void setRecordSet(TRecordSet* recordSet);
    TRecordSet* recordSet() const { return m_recordSet; }
    void setVisibleButtons(const QList<TButton>& buttons);
    QToolButton* button(TButton button) const { return m_buttons[button]; }

private:
    void clicked(TButton button);
    void updateButtons();

    QPointer<TRecordSet> m_recordSet;
    std::array<QToolButton*, ButtonCount> m_buttons{};
    QList<QMetaObject::Connection> m_connections;
};
