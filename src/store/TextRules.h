#pragma once

#include <QString>

// Codes, names, descriptions and comments are written into single lines of the model files and the
// report: a line break, tab, escape or other control character is refused, naming what it is for.
void CheckSingleLineText(const QString& text, const QString& what);

// A substance code is written into the PRZM chemical file, which holds Latin-1: only its printable
// characters are taken, so two codes never become the same text there.
void CheckSubstanceCodeCharacters(const QString& code);
