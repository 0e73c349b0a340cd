#pragma once

#include <QString>

// The program directory: the directory of the program's executable, always ending in "/". It holds the
// executables, the help and introduction files, the maps and the templates of a working installation;
// Kelvo never writes into it.
QString ProgramDir();
// Replaces the program directory (test fixtures that run from another directory than the build's).
void SetProgramDir(const QString& directory);
// A file of the program directory, given relative to it ("data/Maps/D1.bmp").
QString ProgramFile(const QString& relativePath);

// The installation directory: the user's working installation, always ending in "/", holding the
// scenario database, the model installations and the lock file. Chosen, in this order, by
// SetInstallationDir (kelvo-cli's --install-dir, test fixtures), the environment variable KELVO_HOME,
// or the user's application data directory (~/.local/share/Kelvo/).
QString InstallationDir();
void SetInstallationDir(const QString& directory);

enum class TModelKind { Macro, Przm };

// Whether the MACRO and PRZM substance stores could be read at start; both false until then.
void SetModelAvailable(TModelKind kind, bool available);
bool IsModelAvailable(TModelKind kind);
