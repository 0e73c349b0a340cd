#pragma once

#include <QList>
#include <QPageLayout>

class QPrinter;
class QWidget;

// Prints the window's image, scaled to fit the page in the given orientation, with the listed controls
// hidden while the image is taken; they are shown again afterwards.
void PrintWindowImage(QWidget& window, QPrinter& printer, QPageLayout::Orientation orientation,
                      const QList<QWidget*>& hidden);

// Asks for the printer in the given orientation and prints the window's image on it; nothing when the
// user cancels.
void PrintWindowImageAsked(QWidget& window, QPageLayout::Orientation orientation,
                           const QList<QWidget*>& hidden);
