#pragma once

#include <QString>
#include <functional>

class QBoxLayout;
class QWidget;
class TdmKelvoADO;

// "Archive...", "Open archive..." and "Restore..." of the project browser: the current project into a
// project archive, an archive checked, and a project recreated from one, through the core.
struct TProjectBrowserHooks {
    // The name of the current project; empty without one.
    std::function<QString()> currentProject;
    // Reads the project list again after a restore.
    std::function<void()> reload;
};
void AddProjectArchiveButtons(QWidget* window, TdmKelvoADO& dm, QBoxLayout* buttons, TProjectBrowserHooks hooks);
