#pragma once

#include "foundation/UserInterface.h"

// The progress window of one export step: created with its comment and number of steps, closed when
// the step ends, also when it ends with an error.
class TProjectProgress {
public:
    TProjectProgress(const QString& comment, int steps) : m_window(CreateProgressWindow(comment, steps)) {}
    ~TProjectProgress() { Close(); }
    TProjectProgress(const TProjectProgress&) = delete;
    TProjectProgress& operator=(const TProjectProgress&) = delete;

    void Start() { StartProgress(m_window); }
    void Step() { StepProgress(m_window); }
    void Close() {
        CloseProgressWindow(m_window);
        m_window = nullptr;
    }

private:
    TProgressWindow* m_window;
};
