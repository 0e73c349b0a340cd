#include "foundation/AssertionFailed.h"

using namespace Qt::Literals::StringLiterals;

EAssertionFailed::EAssertionFailed(const QString& source, int line)
    : EKelvoError(u"Assertion failure (%1, line %2)"_s.arg(source).arg(line)) {}
