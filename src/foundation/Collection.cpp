#include "foundation/Collection.h"

#include "foundation/AssertionFailed.h"
#include "foundation/Predicate.h"

using namespace Qt::Literals::StringLiterals;

bool TIndexedCollection::Accepts(const TRootObject* element) const {
    return FConstraint == nullptr || FConstraint->Test(element);
}

bool TIndexedCollection::SetConstraint(const TPredicate* predicate) {
    bool allPass = true;
    if (predicate != nullptr) {
        for (int position = Low(); position <= High(); ++position) {
            if (!predicate->Test(GetItem(position))) allPass = false;
        }
    }
    if (allPass) FConstraint = predicate;
    return allPass;
}

void TIndexedCollection::Swap(int position1, int position2) {
    TRootObject* x = GetItem(position1);
    TRootObject* y = GetItem(position2);
    SetItem(position1, y);
    SetItem(position2, x);
    if (GetItem(position2) != x) throw EAssertionFailed(u"Collection"_s, 102);
    if (GetItem(position1) != y) throw EAssertionFailed(u"Collection"_s, 103);
}

int TIndexedCollection::IndexOf(const TRootObject* element) const {
    for (int position = Low(); position <= High(); ++position) {
        if (GetItem(position) == element) return position;
    }
    return 0;
}

void TIndexedCollection::DeleteRange(int first, int last) {
    for (int position = last; position >= first; --position)
        Delete(position);
}
