#include "ui/app/WindowImage.h"

#include "foundation/Errors.h"

#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QWidget>

using namespace Qt::Literals::StringLiterals;

void PrintWindowImage(QWidget& window, QPrinter& printer, QPageLayout::Orientation orientation,
                      const QList<QWidget*>& hidden) {
    printer.setPageOrientation(orientation);
    for (QWidget* w : hidden)
        w->hide();
    const QPixmap image = window.grab();
    for (QWidget* w : hidden)
        w->show();
    QPainter painter;
    if (!painter.begin(&printer)) throw EKelvoError(u"Cannot print on "_s + printer.printerName());
    const QRect page = painter.viewport();
    const QSize size = image.size().scaled(page.size(), Qt::KeepAspectRatio);
    painter.drawPixmap(QRect(page.topLeft(), size), image);
    painter.end();
}

void PrintWindowImageAsked(QWidget& window, QPageLayout::Orientation orientation,
                           const QList<QWidget*>& hidden) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(orientation);
    printer.setDocName(window.windowTitle());
    QPrintDialog dialog(&printer, &window);
    dialog.setObjectName(u"dlgPrint"_s);
    if (dialog.exec() == QDialog::Accepted) PrintWindowImage(window, printer, orientation, hidden);
}
