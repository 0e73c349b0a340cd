#include "ui/PrintKey.h"

#include <QPushButton>
#include <QShortcut>

void PrintOnKey(QPushButton& print) {
    auto* shortcut = new QShortcut(QKeySequence::Print, print.window());
    QObject::connect(shortcut, &QShortcut::activated, &print, [&print] {
        if (print.isVisible() && print.isEnabled()) print.click();
    });
}
