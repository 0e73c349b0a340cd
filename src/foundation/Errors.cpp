#include "foundation/Errors.h"

EKelvoError::EKelvoError(const QString& message) : m_message(message), m_utf8(message.toUtf8()) {}

void Abort() { throw EAbort(); }
