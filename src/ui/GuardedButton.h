#pragma once

#include "ui/Guard.h"

#include <QBoxLayout>
#include <QPushButton>
#include <functional>

// Adds a named button to a row of buttons; a click runs the handler through the guard.
inline QPushButton* AddGuardedButton(QWidget* window, QBoxLayout* row, const QString& name, const QString& caption,
                                     std::function<void()> handler) {
    auto* button = new QPushButton(caption, window);
    button->setObjectName(name);
    button->setAutoDefault(false);
    row->addWidget(button);
    QObject::connect(button, &QPushButton::clicked, window, [handler = std::move(handler)] { Guarded(handler); });
    return button;
}
