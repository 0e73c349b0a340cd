#pragma once

#include "support/ScriptedUserInterface.h"

#include <QString>
#include <QStringList>
#include <functional>

// What an operation did in a child process whose files could not grow past a size.
struct TLimitedOutcome {
    bool ended = false;   // the child came to its end rather than crashing
    QString error;        // the text of the EKelvoError it raised; empty when it raised none
    QStringList messages; // what it showed the user, in order
};

// Runs the operation in a forked child that ignores SIGXFSZ (so a write past the limit fails with "File
// too large" instead of killing it) and may not write past byte `bytes` of any file, as on a full disk;
// the test process keeps its own limits. The child's messages are taken from `ui` there.
TLimitedOutcome RunWithFileSizeLimit(long bytes, TScriptedUserInterface& ui,
                                     const std::function<void()>& operation);
