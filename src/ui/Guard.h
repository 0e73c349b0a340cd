#pragma once

#include "foundation/UserInterface.h"

#include <utility>

// Runs a slot, delegate commit or button handler so that no exception crosses the Qt event loop: a
// refusal is shown through the standard error display, a silent cancel shows nothing. Answers whether
// the handler ran to its end.
template <typename Handler>
bool Guarded(Handler&& handler) {
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (...) {
        ShowCurrentException();
        return false;
    }
}
