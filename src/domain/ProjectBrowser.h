#pragma once

#include <QString>

// The project browser's actions on the current project of the project list (qryProjects), without
// the window: the window and kelvo-cli call them.

// The longest project name.
constexpr int MaxProjectNameLength = 20;

// Why a new project may not take the name (empty, too long, already taken); empty when it may.
QString ProjectNameRefusal(const QString& newName);

// Copies the current project under the new name and stores the copy with its renumbered runs, then
// makes the copy the current project. Shows "New project created: " + name, or why nothing was stored;
// answers whether the copy was stored.
bool CopyCurrentProject(const QString& newName, const QString& newDescription);

// Selects or unselects every run of the current project and reloads the runs; nothing without one.
void SelectAllRuns(bool select);

// Toggles the selection of the current run of tblRuns and posts it, so the run rules check it.
void ToggleRunSelection();
