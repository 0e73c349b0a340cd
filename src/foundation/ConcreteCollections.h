#pragma once

#include "foundation/Collection.h"

#include <QList>
#include <type_traits>

// Holds references to objects that belong to somebody else; destroying the list leaves them alive.
class TAssociationList : public TIndexedCollection {
public:
    TAssociationList() = default;

    QString DisplayText() const override;
    // Appends the element when the constraint accepts it; otherwise ignores it.
    void Add(TRootObject* element) override;
    // Takes out the first occurrence, if any; never destroys it.
    void Remove(const TRootObject* element) override;
    int Count() const override;
    bool Contains(const TRootObject* element) const override;
    std::unique_ptr<TIterator> CreateIterator() const override;
    int Low() const override;
    int High() const override;
    TRootObject* GetItem(int position) const override;
    // Replaces the element at the position without consulting the constraint or destroying the old one.
    void SetItem(int position, TRootObject* element) override;
    int IndexOf(const TRootObject* element) const override;
    // Puts the element at the position, moving the later ones up; Count + 1 appends.
    void Insert(int position, TRootObject* element) override;
    void Delete(int position) override;

    // Range-for over the elements; the list must not change during such a loop (use an iterator for that).
    QList<TRootObject*>::const_iterator begin() const { return FItems.cbegin(); }
    QList<TRootObject*>::const_iterator end() const { return FItems.cend(); }

    // The elements as the type the caller stored.
    template <class T> QList<T*> Items() const {
        static_assert(std::is_base_of_v<TRootObject, T>);
        QList<T*> items;
        items.reserve(FItems.size());
        for (TRootObject* element : FItems)
            items.append(static_cast<T*>(element));
        return items;
    }

protected:
    QList<TRootObject*> FItems;
};

// Owns its elements: Delete, DeleteRange and the list's own destruction destroy them; Remove and
// SetItem hand them back undestroyed.
class TAggregationList : public TAssociationList {
public:
    TAggregationList() = default;
    ~TAggregationList() override;

    void Delete(int position) override;
};
