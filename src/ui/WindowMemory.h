#pragma once

#include <QRect>
#include <QString>

class QWidget;

// Every window remembers its size and position, the column widths of its grids and the page of its tabs,
// in the working installation's settings file under the window's name.

// The settings file of the working installation that holds the remembered windows.
QString WindowMemoryFile();
// Whether a remembered frame still shows on one of today's screens.
bool ShowsOnAScreen(const QRect& frame);
// Puts the window back as it was last left; a place off today's screens is ignored and a window of a
// fixed size keeps its size.
void RestoreWindow(QWidget& window);
// Remembers how the window is left.
void RememberWindow(const QWidget& window);
// Makes every named window of the application come back as it was left: restored as it is shown,
// remembered as it is hidden (closed). Install after the screen fit, which then keeps it on the screen.
void InstallWindowMemory();
// Ends the application's window memory (tests that installed it).
void RemoveWindowMemory();
