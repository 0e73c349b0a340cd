#pragma once

#include <QString>

// The installation directory: the directory of the program's executable, always ending in "/".
QString InstallationDir();
// Replaces the installation directory (kelvo-cli's --install-dir, test fixtures).
void SetInstallationDir(const QString& directory);

enum class TModelKind { Macro, Przm };

// Whether the MACRO and PRZM substance stores could be read at start; both false until then.
void SetModelAvailable(TModelKind kind, bool available);
bool IsModelAvailable(TModelKind kind);
