#include "foundation/ConcreteCollections.h"

#include "foundation/AssertionFailed.h"
#include "foundation/IndexedCollectionIterator.h"

using namespace Qt::Literals::StringLiterals;

namespace {

[[noreturn]] void ThrowIndexError(int index) {
    throw EKelvoError(u"List index out of bounds (%1)"_s.arg(index));
}

} // namespace

QString TAssociationList::DisplayText() const {
    return u"***"_s;
}

void TAssociationList::Add(TRootObject* element) {
    if (Accepts(element)) FItems.append(element);
}

void TAssociationList::Remove(const TRootObject* element) {
    const qsizetype index = FItems.indexOf(element);
    if (index >= 0) FItems.removeAt(index);
}

int TAssociationList::Count() const {
    return static_cast<int>(FItems.size());
}

bool TAssociationList::Contains(const TRootObject* element) const {
    return FItems.contains(element);
}

std::unique_ptr<TIterator> TAssociationList::CreateIterator() const {
    return std::make_unique<TIndexedCollectionIterator>(*this);
}

int TAssociationList::Low() const {
    return 1;
}

int TAssociationList::High() const {
    return Low() + Count() - 1;
}

TRootObject* TAssociationList::GetItem(int position) const {
    if (position < 1) throw EAssertionFailed(u"ConcreteCollections"_s, 120);
    if (position > Count()) throw EAssertionFailed(u"ConcreteCollections"_s, 121);
    return FItems.at(position - 1);
}

void TAssociationList::SetItem(int position, TRootObject* element) {
    if (position < 1) throw EAssertionFailed(u"ConcreteCollections"_s, 137);
    if (position > Count()) throw EAssertionFailed(u"ConcreteCollections"_s, 138);
    FItems[position - 1] = element;
}

int TAssociationList::IndexOf(const TRootObject* element) const {
    return static_cast<int>(FItems.indexOf(element)) + 1;
}

void TAssociationList::Insert(int position, TRootObject* element) {
    const int index = position - 1;
    if (index < 0 || index > Count()) ThrowIndexError(index);
    FItems.insert(index, element);
}

void TAssociationList::Delete(int position) {
    const int index = position - 1;
    if (index < 0 || index >= Count()) ThrowIndexError(index);
    FItems.removeAt(index);
}

TAggregationList::~TAggregationList() {
    for (TRootObject* element : std::as_const(FItems))
        delete element;
}

void TAggregationList::Delete(int position) {
    TRootObject* element = GetItem(position);
    TAssociationList::Delete(position);
    delete element;
}
