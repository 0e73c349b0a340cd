#pragma once

#include <QString>

class IRootObject {
public:
    virtual ~IRootObject() = default;
    virtual QString DisplayText() const = 0;
};

// Root of the object model: crops, locations, runs and the collections derive from it.
class TRootObject : public IRootObject {
public:
    // The class name, e.g. "TRun".
    QString DisplayText() const override;

protected:
    // Each class answers its own name here.
    virtual QString ClassName() const;
};
