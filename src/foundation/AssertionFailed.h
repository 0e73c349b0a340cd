#pragma once

#include "foundation/Errors.h"

// A failed internal check: "Assertion failure (<source>, line <line>)".
class EAssertionFailed : public EKelvoError {
public:
    EAssertionFailed(const QString& source, int line);
};
