#pragma once

class QWidget;

// Every dialog is crossed with Tab as it is read: its fields from the first (top left) on, a group's
// fields together, the closing buttons (OK, Cancel, Close, Help ...) last. A grid takes Tab from cell to
// cell and lets it go on after its last cell (Shift+Tab before its first, Ctrl+Tab at once).

// Sets the window's Tab order so.
void SetReadingTabOrder(QWidget& window);
// Sets the Tab order of every window of the application the first time it is shown, and lets Tab leave
// its grids.
void InstallTabOrder();
// Ends it (tests that installed it).
void RemoveTabOrder();
