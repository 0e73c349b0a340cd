#pragma once

#include "foundation/RootObject.h"

class IIterator {
public:
    virtual ~IIterator() = default;
    virtual TRootObject* Next() = 0;
    virtual bool IsDone() const = 0;
    virtual void Reset() = 0;
};

// Walks a collection: as long as IsDone is false, Next gives the next element.
class TIterator : public TRootObject, public IIterator {};
