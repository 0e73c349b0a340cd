#include "foundation/RootObject.h"

using namespace Qt::Literals::StringLiterals;

QString TRootObject::DisplayText() const {
    return ClassName();
}

QString TRootObject::ClassName() const {
    return u"TRootObject"_s;
}
