#pragma once

#include "foundation/Iterator.h"

#include <memory>

class TPredicate;

class ICollection {
public:
    virtual ~ICollection() = default;
    virtual void Add(TRootObject* element) = 0;
    virtual void Remove(const TRootObject* element) = 0;
    virtual int Count() const = 0;
    virtual bool Contains(const TRootObject* element) const = 0;
    virtual std::unique_ptr<TIterator> CreateIterator() const = 0;
    virtual bool Accepts(const TRootObject* element) const = 0;
    virtual bool SetConstraint(const TPredicate* predicate) = 0;
};

// Positions are 1-based: Low is 1, High is Count.
class IIndexedCollection : public virtual ICollection {
public:
    virtual int Low() const = 0;
    virtual int High() const = 0;
    virtual TRootObject* GetItem(int position) const = 0;
    virtual void SetItem(int position, TRootObject* element) = 0;
    virtual void Swap(int position1, int position2) = 0;
    virtual int IndexOf(const TRootObject* element) const = 0;
    virtual void Insert(int position, TRootObject* element) = 0;
    virtual void Delete(int position) = 0;
};

// A collection of elements compared by identity, with an optional constraint on what Add accepts.
class TCollection : public TRootObject, public virtual ICollection {
public:
    TCollection(const TCollection&) = delete;
    TCollection& operator=(const TCollection&) = delete;

protected:
    TCollection() = default;

    // Not owned; none until the first successful SetConstraint.
    const TPredicate* FConstraint = nullptr;
};

class TIndexedCollection : public TCollection, public IIndexedCollection {
public:
    // True without a constraint, else the constraint's answer for the element.
    bool Accepts(const TRootObject* element) const override;
    // Tests every element (none skipped); when all pass the predicate becomes the constraint and the
    // answer is true, otherwise the earlier constraint stays. A null predicate lifts the constraint.
    bool SetConstraint(const TPredicate* predicate) override;
    void Swap(int position1, int position2) final;
    // The first position holding the element, 0 when none does.
    int IndexOf(const TRootObject* element) const override;
    // Deletes the positions last down to first; nothing when last < first.
    virtual void DeleteRange(int first, int last);

protected:
    TIndexedCollection() = default;
};
