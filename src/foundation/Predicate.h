#pragma once

class TRootObject;

// The element constraint of a collection.
class TPredicate {
public:
    virtual ~TPredicate() = default;
    virtual bool Test(const TRootObject* element) const = 0;
};
