#pragma once

#include "foundation/Iterator.h"

class TIndexedCollection;

// Walks an indexed collection live from position 1: elements added beyond the current position are
// visited, deleting elements shifts the walk.
class TIndexedCollectionIterator : public TIterator {
public:
    explicit TIndexedCollectionIterator(const TIndexedCollection& collection);

    QString DisplayText() const override;
    TRootObject* Next() override;
    bool IsDone() const override;
    void Reset() override;

private:
    int FIndex = 1;
    const TIndexedCollection* FCollection;
};
