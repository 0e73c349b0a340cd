#pragma once

#include <QProcessEnvironment>
#include <QString>

// A test of this program run again in a child process on the xcb platform, on an X server (Xvfb) of its
// own on a free display.
struct TXServerRun {
    // Empty when the X server started; else why not (the test skips then).
    QString notStarted;
    int exitCode = -1;
    QString output;
};

// Runs the tests the filter names (a --gtest_filter value) with the screen ("1024x768x24") and the
// further environment.
TXServerRun RunOnXServer(const QString& filter, const QString& screen, const QProcessEnvironment& extra = {});

// Whether this process is such a child.
bool OnXServer();
