#include "foundation/IndexedCollectionIterator.h"

#include "foundation/Collection.h"

using namespace Qt::Literals::StringLiterals;

TIndexedCollectionIterator::TIndexedCollectionIterator(const TIndexedCollection& collection)
    : FCollection(&collection) {}

QString TIndexedCollectionIterator::DisplayText() const {
    return u"IndexedCollectionIterator"_s;
}

TRootObject* TIndexedCollectionIterator::Next() {
    TRootObject* element = FCollection->GetItem(FIndex);
    ++FIndex;
    return element;
}

bool TIndexedCollectionIterator::IsDone() const {
    return FCollection->Count() < FIndex;
}

void TIndexedCollectionIterator::Reset() {
    FIndex = 1;
}
