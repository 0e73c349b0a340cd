#pragma once

#include <QStringList>
#include <QTextStream>
#include <optional>

// The launcher's own options, read before any window is made, so that they work without a display:
// --version and --help print to out and end kelvo (0); --install-dir DIR works on that working
// installation. Qt's own options (-platform, -style ...) are left to Qt. Answers the exit code when kelvo
// is to end at once (2 for --install-dir without a folder, the reason on err), none when it is to start.
std::optional<int> TakeLauncherOptions(const QStringList& arguments, QTextStream& out, QTextStream& err);
