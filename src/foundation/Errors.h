#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// A refusal: an operation or record rule stops with a message the user is shown.
class EKelvoError : public std::exception {
public:
    explicit EKelvoError(const QString& message);
    const QString& Message() const { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// A silent cancel: the operation stops and nothing is shown.
class EAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

// Raises a silent cancel.
[[noreturn]] void Abort();
