#pragma once

#include "store/RecordSet.h"

// Suspends the screen updates of a record set for a scope; the views learn what changed once, at its end.
class TControlsDisabled {
public:
    explicit TControlsDisabled(TRecordSet& recordSet) : m_recordSet(recordSet) {
        m_recordSet.disableControls();
    }
    ~TControlsDisabled() { m_recordSet.enableControls(); }
    TControlsDisabled(const TControlsDisabled&) = delete;
    TControlsDisabled& operator=(const TControlsDisabled&) = delete;

private:
    TRecordSet& m_recordSet;
};
