#pragma once

#include <QRect>

class QWidget;

// Every window opens fully on its screen's available area (without panels and docks).

// Where a window's frame goes inside the available area: moved in as little as it can be; a frame larger
// than the area starts at the area's top-left corner.
QRect PlaceInside(const QRect& frame, const QRect& available);
// Moves a window's frame inside its screen's available area.
void KeepOnScreen(QWidget& window);
// Fits a window about to be shown into its screen's available area: contents whose smallest size is
// larger than the area scroll, a window without an owner that nobody placed is centred the first time,
// and the frame is moved inside the area.
void FitOnScreen(QWidget& window);
// Makes the window fit its screen each time it is shown.
void FitOnScreenWhenShown(QWidget& window);
// Makes every window of the application fit its screen as it is shown.
void InstallScreenFit();
