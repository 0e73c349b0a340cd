#include "support/QStringPrinter.h"

#include "foundation/AssertionFailed.h"
#include "foundation/ConcreteCollections.h"
#include "foundation/IndexedCollectionIterator.h"
#include "foundation/Predicate.h"

#include <functional>
#include <gtest/gtest.h>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

// Counts living instances and logs the number of every instance destroyed, in order.
struct TLife {
    int alive = 0;
    std::vector<int> destroyed;
};

class TCounted : public TRootObject {
public:
    TCounted(TLife& life, int number) : m_life(life), m_number(number) { ++m_life.alive; }
    ~TCounted() override {
        --m_life.alive;
        m_life.destroyed.push_back(m_number);
    }
    int Number() const { return m_number; }

protected:
    QString ClassName() const override { return u"TCounted"_s; }

private:
    TLife& m_life;
    int m_number;
};

class TRefusesNumber : public TPredicate {
public:
    explicit TRefusesNumber(int refused) : m_refused(refused) {}
    bool Test(const TRootObject* element) const override {
        ++tested;
        return static_cast<const TCounted*>(element)->Number() != m_refused;
    }
    mutable int tested = 0;

private:
    int m_refused;
};

// The message of the EKelvoError the call raises, empty when it raises none.
QString ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const EKelvoError& error) {
        return error.Message();
    }
    return {};
}

// The numbers of the elements, in list order.
std::vector<int> Numbers(const TAssociationList& list) {
    std::vector<int> numbers;
    for (TCounted* element : list.Items<TCounted>())
        numbers.push_back(element->Number());
    return numbers;
}

class TListTest : public ::testing::Test {
protected:
    TCounted* Make(int number) {
        owned.push_back(std::make_unique<TCounted>(life, number));
        return owned.back().get();
    }

    TLife life;
    std::vector<std::unique_ptr<TCounted>> owned;
};

} // namespace

TEST_F(TListTest, NewListIsEmptyAndItsIteratorDone) {
    TAggregationList list;
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Low(), 1);
    EXPECT_EQ(list.High(), 0);
    list.DeleteRange(list.Low(), list.High());
    EXPECT_TRUE(list.CreateIterator()->IsDone());
}

TEST_F(TListTest, AddAppendsAndSearchesCompareIdentity) {
    TAssociationList list;
    TCounted* a = Make(1);
    TCounted* b = Make(2);
    TCounted* absent = Make(1);
    list.Add(a);
    list.Add(b);
    list.Add(a);
    EXPECT_EQ(Numbers(list), (std::vector<int>{1, 2, 1}));
    EXPECT_EQ(list.High(), 3);
    EXPECT_EQ(list.GetItem(2), b);
    EXPECT_EQ(list.IndexOf(a), 1);
    EXPECT_EQ(list.IndexOf(absent), 0);
    EXPECT_TRUE(list.Contains(b));
    EXPECT_FALSE(list.Contains(absent));

    list.Remove(absent);
    EXPECT_EQ(list.Count(), 3);
    list.Remove(a);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetItem(1), b);
    EXPECT_EQ(list.GetItem(2), a);
    EXPECT_EQ(list.IndexOf(a), 2);
}

TEST_F(TListTest, GenericIndexOfAgreesWithTheListSearch) {
    TAssociationList list;
    TCounted* a = Make(1);
    TCounted* b = Make(2);
    list.Add(a);
    list.Add(b);
    list.Add(a);
    const TIndexedCollection& generic = list;
    for (TCounted* element : {a, b, Make(3)})
        EXPECT_EQ(generic.TIndexedCollection::IndexOf(element), list.IndexOf(element));
}

TEST_F(TListTest, InsertPutsTheElementAtThePosition) {
    TAssociationList list;
    list.Add(Make(2));
    list.Insert(1, Make(1));
    list.Insert(3, Make(4));
    list.Insert(3, Make(3));
    EXPECT_EQ(Numbers(list), (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(TListTest, OutOfRangePositionsFailWithTheirMessages) {
    TAssociationList list;
    list.Add(Make(1));
    list.Add(Make(2));
    TCounted* other = Make(9);
    const struct {
        const char* operation;
        std::function<void()> call;
        QString message;
    } cases[] = {
        {"GetItem 0", [&] { list.GetItem(0); }, u"Assertion failure (ConcreteCollections, line 120)"_s},
        {"GetItem 3", [&] { list.GetItem(3); }, u"Assertion failure (ConcreteCollections, line 121)"_s},
        {"SetItem 0", [&] { list.SetItem(0, other); },
         u"Assertion failure (ConcreteCollections, line 137)"_s},
        {"SetItem 3", [&] { list.SetItem(3, other); },
         u"Assertion failure (ConcreteCollections, line 138)"_s},
        {"Swap 1 3", [&] { list.Swap(1, 3); }, u"Assertion failure (ConcreteCollections, line 121)"_s},
        {"Insert 0", [&] { list.Insert(0, other); }, u"List index out of bounds (-1)"_s},
        {"Insert 4", [&] { list.Insert(4, other); }, u"List index out of bounds (3)"_s},
        {"Delete 0", [&] { list.Delete(0); }, u"List index out of bounds (-1)"_s},
        {"Delete 3", [&] { list.Delete(3); }, u"List index out of bounds (2)"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.operation);
        EXPECT_EQ(ErrorOf(c.call), c.message);
        EXPECT_EQ(Numbers(list), (std::vector<int>{1, 2}));
    }
    EXPECT_THROW(list.GetItem(0), EAssertionFailed);
}

TEST_F(TListTest, SetItemAndSwapReplaceWithoutDestroying) {
    TLife ownedLife;
    auto* first = new TCounted(ownedLife, 1);
    auto* second = new TCounted(ownedLife, 2);
    TAggregationList list;
    list.Add(first);
    list.Add(second);
    list.Swap(1, 2);
    EXPECT_EQ(Numbers(list), (std::vector<int>{2, 1}));

    TRefusesNumber refusesNine(9);
    ASSERT_TRUE(list.SetConstraint(&refusesNine));
    list.SetItem(1, new TCounted(ownedLife, 9));
    EXPECT_EQ(Numbers(list), (std::vector<int>{9, 1}));
    EXPECT_EQ(ownedLife.alive, 3);
    delete second;
}

TEST_F(TListTest, AggregationListDestroysWhatItDeletes) {
    TLife ownedLife;
    auto list = std::make_unique<TAggregationList>();
    for (int number = 1; number <= 6; ++number)
        list->Add(new TCounted(ownedLife, number));
    list->Add(nullptr);

    auto* removed = static_cast<TCounted*>(list->GetItem(2));
    list->Remove(removed);
    EXPECT_EQ(ownedLife.alive, 6);

    list->Delete(1);
    EXPECT_EQ(ownedLife.destroyed, (std::vector<int>{1}));
    EXPECT_EQ(static_cast<TCounted*>(list->GetItem(1))->Number(), 3);

    list->Delete(list->High());
    EXPECT_EQ(list->Count(), 4);
    EXPECT_EQ(ownedLife.destroyed.size(), 1U);

    EXPECT_EQ(ErrorOf([&] { list->Delete(5); }), u"Assertion failure (ConcreteCollections, line 121)"_s);
    EXPECT_EQ(ErrorOf([&] { list->Delete(0); }), u"Assertion failure (ConcreteCollections, line 120)"_s);

    list->DeleteRange(2, 3);
    EXPECT_EQ(ownedLife.destroyed, (std::vector<int>{1, 5, 4}));

    list->Add(new TCounted(ownedLife, 7));
    list.reset();
    EXPECT_EQ(ownedLife.destroyed, (std::vector<int>{1, 5, 4, 3, 6, 7}));
    EXPECT_EQ(ownedLife.alive, 1);
    delete removed;
}

TEST_F(TListTest, AssociationListLeavesItsElementsAlive) {
    {
        TAssociationList list;
        for (int number = 1; number <= 3; ++number)
            list.Add(Make(number));
        list.Delete(1);
        list.DeleteRange(list.Low(), list.High());
        EXPECT_EQ(list.Count(), 0);
        list.Add(Make(4));
    }
    EXPECT_EQ(life.alive, 4);
    EXPECT_TRUE(life.destroyed.empty());
}

TEST_F(TListTest, ConstraintBindsOnlyAdd) {
    TAssociationList list;
    list.Add(Make(1));
    list.Add(Make(2));
    list.Add(Make(3));

    TRefusesNumber refusesOne(1);
    EXPECT_FALSE(list.SetConstraint(&refusesOne));
    EXPECT_EQ(refusesOne.tested, 3) << "every element is tested, not only up to the first refusal";
    list.Add(Make(1));
    EXPECT_EQ(list.Count(), 4) << "a refused constraint leaves Add unconstrained";

    TRefusesNumber refusesFive(5);
    EXPECT_TRUE(list.SetConstraint(&refusesFive));
    list.Add(Make(5));
    list.Add(Make(6));
    EXPECT_TRUE(list.Accepts(Make(4)));
    EXPECT_FALSE(list.Accepts(Make(5)));
    list.Insert(1, Make(5));
    EXPECT_EQ(Numbers(list), (std::vector<int>{5, 1, 2, 3, 1, 6}));

    TRefusesNumber refusesTwo(2);
    EXPECT_FALSE(list.SetConstraint(&refusesTwo));
    list.Add(Make(5));
    EXPECT_EQ(list.Count(), 6) << "the earlier constraint stays after a refusal";

    TAssociationList empty;
    EXPECT_TRUE(empty.SetConstraint(&refusesOne));
    empty.Add(Make(1));
    EXPECT_EQ(empty.Count(), 0);
}

TEST_F(TListTest, IteratorWalksTheListLive) {
    TAssociationList list;
    for (int number = 1; number <= 3; ++number)
        list.Add(Make(number));

    std::vector<int> visited;
    std::unique_ptr<TIterator> iterator = list.CreateIterator();
    while (!iterator->IsDone()) {
        auto* element = static_cast<TCounted*>(iterator->Next());
        visited.push_back(element->Number());
        if (element->Number() == 1) list.Add(Make(4));
        if (element->Number() == 2) list.Delete(1);
    }
    EXPECT_EQ(visited, (std::vector<int>{1, 2, 4})) << "deleting position 1 shifts 3 under the walk";
    EXPECT_EQ(ErrorOf([&] { iterator->Next(); }), u"Assertion failure (ConcreteCollections, line 121)"_s);

    iterator->Reset();
    EXPECT_EQ(static_cast<TCounted*>(iterator->Next())->Number(), 2);
}

TEST_F(TListTest, DisplayTexts) {
    TAssociationList association;
    TAggregationList aggregation;
    EXPECT_EQ(TRootObject().DisplayText(), u"TRootObject"_s);
    EXPECT_EQ(Make(1)->DisplayText(), u"TCounted"_s);
    EXPECT_EQ(association.DisplayText(), u"***"_s);
    EXPECT_EQ(aggregation.DisplayText(), u"***"_s);
    EXPECT_EQ(association.CreateIterator()->DisplayText(), u"IndexedCollectionIterator"_s);
}

TEST_F(TListTest, RangeForVisitsEveryElementInOrder) {
    TAssociationList list;
    list.Add(Make(1));
    list.Add(nullptr);
    list.Add(Make(3));
    std::vector<const TRootObject*> visited;
    for (const TRootObject* element : list)
        visited.push_back(element);
    EXPECT_EQ(visited, (std::vector<const TRootObject*>{list.GetItem(1), nullptr, list.GetItem(3)}));
}
