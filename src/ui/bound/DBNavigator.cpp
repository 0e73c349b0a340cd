#include "ui/bound/DBNavigator.h"

#include "store/RecordSet.h"
#include "ui/Guard.h"
#include "ui/models/PickListDelegate.h"

#include <QHBoxLayout>
#include <QToolButton>

namespace {

struct TButtonText {
    const char16_t* objectName;
    const char16_t* caption;
    const char16_t* hint;
};

constexpr std::array<TButtonText, TDBNavigator::ButtonCount> Texts = {{
    {u"btnNavFirst", u"|<", u"First record"},
    {u"btnNavPrior", u"<", u"Prior record"},
    {u"btnNavNext", u">", u"Next record"},
    {u"btnNavLast", u">|", u"Last record"},
    {u"btnNavInsert", u"+", u"Insert record"},
    {u"btnNavDelete", u"-", u"Delete record"},
    {u"btnNavPost", u"\u2713", u"Post edit"},
    {u"btnNavCancel", u"\u2717", u"Cancel edit"},
}};

} // namespace

TDBNavigator::TDBNavigator(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int b = 0; b < ButtonCount; ++b) {
        auto* button = new QToolButton(this);
        button->setObjectName(QString::fromUtf16(Texts[b].objectName));
        button->setText(QString::fromUtf16(Texts[b].caption));
        button->setToolTip(QString::fromUtf16(Texts[b].hint));
        connect(button, &QToolButton::clicked, this, [this, b] { clicked(static_cast<TButton>(b)); });
        layout->addWidget(button);
        m_buttons[b] = button;
    }
    updateButtons();
}

void TDBNavigator::setRecordSet(TRecordSet* recordSet) {
    for (const QMetaObject::Connection& c : m_connections)
        disconnect(c);
    m_connections.clear();
    m_recordSet = recordSet;
    if (recordSet) {
        const auto update = [this] { updateButtons(); };
        m_connections << connect(recordSet, &TRecordSet::currentChanged, this, update)
                      << connect(recordSet, &TRecordSet::stateChanged, this, update)
                      << connect(recordSet, &TRecordSet::rowsReset, this, update)
                      << connect(recordSet, &TRecordSet::rowInserted, this, update)
                      << connect(recordSet, &TRecordSet::rowRemoved, this, update);
    }
    updateButtons();
}

void TDBNavigator::setVisibleButtons(const QList<TButton>& buttons) {
    for (int b = 0; b < ButtonCount; ++b)
        m_buttons[b]->setVisible(buttons.contains(static_cast<TButton>(b)));
}

void TDBNavigator::clicked(TButton button) {
    if (!m_recordSet) return;
    // The buttons take no focus: a cell being edited in the window is written first (dropped by Cancel).
    if (button == Cancel)
        DiscardCellEdits(window());
    else if (!CommitCellEdits(window()))
        return;
    TRecordSet& rs = *m_recordSet;
    Guarded([&] {
        switch (button) {
        case First:
            rs.first();
            break;
        case Prior:
            rs.prior();
            break;
        case Next:
            rs.next();
            break;
        case Last:
            rs.last();
            break;
        case Insert:
            rs.insert();
            break;
        case Delete:
            rs.deleteRecord();
            break;
        case Post:
            rs.post();
            break;
        case Cancel:
            rs.cancel();
            break;
        case ButtonCount:
            break;
        }
    });
    updateButtons();
}

// Moves need another row in their direction; insert and delete a record set that can be modified (delete
// a row to delete); post and cancel an edited or new row.
void TDBNavigator::updateButtons() {
    const TRecordSet* rs = m_recordSet;
    const bool active = rs && rs->active();
    const int row = active ? rs->currentRow() : -1;
    const bool canModify = active && rs->canModify();
    const bool editing =
        active && (rs->state() == TRecordSet::TState::Edit || rs->state() == TRecordSet::TState::Insert);
    const bool notFirst = active && row > 0;
    const bool notLast = active && row >= 0 && row < rs->rowCount() - 1;
    m_buttons[First]->setEnabled(notFirst);
    m_buttons[Prior]->setEnabled(notFirst);
    m_buttons[Next]->setEnabled(notLast);
    m_buttons[Last]->setEnabled(notLast);
    m_buttons[Insert]->setEnabled(canModify);
    m_buttons[Delete]->setEnabled(canModify && rs->rowCount() > 0);
    m_buttons[Post]->setEnabled(canModify && editing);
    m_buttons[Cancel]->setEnabled(canModify && editing);
}
