#include "ui/app/Application.h"

#include "ui/app/AppIcon.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>

using namespace Qt::Literals::StringLiterals;

void SetUpApplication() {
    QApplication::setApplicationName(u"Kelvo_gui"_s);
    QGuiApplication::setDesktopFileName(u"kelvo"_s);
    QApplication::setWindowIcon(QPixmap::fromImage(RenderApplicationIcon(256)));
}
