#pragma once

#include "store/RecordSet.h"

#include <utility>

// Installs a record event of a record set for as long as it lives (a window that must bring its own move
// rule), and puts back the event it replaced when it goes.
class TEventHook {
public:
    TEventHook(TRecordSet::TEvent& event, TRecordSet::TEvent handler)
        : m_event(event), m_previous(std::exchange(event, std::move(handler))) {}
    ~TEventHook() { m_event = std::move(m_previous); }
    TEventHook(const TEventHook&) = delete;
    TEventHook& operator=(const TEventHook&) = delete;

private:
    TRecordSet::TEvent& m_event;
    TRecordSet::TEvent m_previous;
};
