#pragma once

#include <QString>

// The program directory: the read-only files that come with the program (help, introduction, maps,
// the map outlines). It is the directory of the executable, always ending in "/"; it differs from the
// working installation (InstallationDir), which holds the user's data.
QString ProgramDir();
// Replaces the program directory (tests); an empty text restores the executable's directory.
void SetProgramDir(const QString& directory);
// A file of the program directory, given relative to it ("data/Maps/D1.bmp").
QString ProgramFile(const QString& relativePath);
