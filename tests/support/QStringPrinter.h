#pragma once

#include <QString>
#include <ostream>

// Lets GoogleTest show a QString as text in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
