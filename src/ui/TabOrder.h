#pragma once

class QWidget;

// Every dialog is crossed with Tab as it is read: its fields from the first (top left) on, a group's
// fields together, the closing buttons (OK, Cancel, Close, Help ...) last.

// Sets the window's Tab order so.
void SetReadingTabOrder(QWidget& window);
// Sets the Tab order of every window of the application the first time it is shown.
void InstallTabOrder();
