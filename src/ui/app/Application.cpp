#include "ui/app/Application.h"

#include "ui/app/AppIcon.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>

using namespace Qt::Literals::StringLiterals;

void SetUpApplication() {
    QApplication::setApplicationName(u"Kelvo_gui"_s);
    // The installed desktop entry is eu.kelvo.Kelvo.desktop: Wayland finds the window's icon and name by it.
    QGuiApplication::setDesktopFileName(u"eu.kelvo.Kelvo"_s);
    QApplication::setWindowIcon(QPixmap::fromImage(RenderApplicationIcon(256)));
}
