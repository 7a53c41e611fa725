// Arrays growing and shrinking in place (ReDim Preserve): every kind of element keeps
// its value and its ownership through blocks that move, including the short texts
// std::string keeps inside the Variant itself.
#include "automation/Array.h"
#include "automation/Collection.h"

#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vb;
using testing_support::errorOf;

namespace {

// Element i of the mixed pattern the tests fill arrays with.
Variant mixed(std::int32_t i, const Ref<Object>& object)
{
    switch (i % 5) {
    case 0: return Variant("t" + std::to_string(i)); // short: inside the string object
    case 1: return Variant(std::string(40, 'a') + std::to_string(i)); // on the heap
    case 2: return Variant(object);
    case 3: return Variant(static_cast<double>(i) + 0.5);
    default: return Variant(Array::fromValues({Variant(i), Variant("n" + std::to_string(i))}));
    }
}

// The first `count` elements hold the mixed pattern.
void expectMixed(const Array& a, std::int32_t count, const Ref<Object>& object)
{
    ASSERT_GE(a.size(), static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        const Variant& v = a.at({i});
        switch (i % 5) {
        case 0: ASSERT_EQ(v.stringValue(), "t" + std::to_string(i)) << i; break;
        case 1: ASSERT_EQ(v.stringValue(), std::string(40, 'a') + std::to_string(i)) << i; break;
        case 2: ASSERT_EQ(v.objectValue(), object.get()) << i; break;
        case 3: ASSERT_EQ(v.doubleValue(), static_cast<double>(i) + 0.5) << i; break;
        default: ASSERT_EQ(v.arrayValue().at({1}).stringValue(), "n" + std::to_string(i)) << i; break;
        }
    }
}

} // namespace

TEST(ArrayGrowth, OneAtATimePastLargeBlocksKeepsEveryKindOfElement)
{
    const Ref<Object> object = make<Collection>();
    Ref<Array> a = Array::vector(-1);
    // 60,000 elements: small blocks first, then blocks large enough to be remapped.
    for (std::int32_t i = 0; i < 60000; ++i) {
        a->resizeVector(i + 1);
        a->at({i}) = mixed(i, object);
    }
    expectMixed(*a, 60000, object);
    EXPECT_EQ(a->size(), 60000u);
    EXPECT_EQ(a->ubound(), 59999);
    // One reference per object element, none lost or doubled by the moves.
    EXPECT_EQ(object->refCount(), 1 + 60000 / 5);
}

TEST(ArrayGrowth, ShrinkingReleasesTheTailAndKeepsTheRest)
{
    const Ref<Object> object = make<Collection>();
    Ref<Array> a = Array::vector(-1);
    a->resizeVector(5000);
    for (std::int32_t i = 0; i < 5000; ++i)
        a->at({i}) = mixed(i, object);
    a->resizeVector(20); // far below the room: the block is given back and moves
    expectMixed(*a, 20, object);
    EXPECT_EQ(a->size(), 20u);
    EXPECT_EQ(object->refCount(), 1 + 4);
    EXPECT_EQ(errorOf([&] { a->at({20}); }), err::SubscriptOutOfRange);
    // Grown again, the new elements are Empty, not what the tail held.
    a->resizeVector(30);
    expectMixed(*a, 20, object);
    for (std::int32_t i = 20; i < 30; ++i)
        EXPECT_TRUE(a->at({i}).isEmpty()) << i;
    a->resizeVector(0);
    EXPECT_EQ(a->size(), 0u);
    EXPECT_EQ(a->ubound(), -1);
    EXPECT_EQ(object->refCount(), 1);
    a->resizeVector(1);
    EXPECT_TRUE(a->at({0}).isEmpty());
}

TEST(ArrayGrowth, ACopyTakenBeforeKeepsItsValues)
{
    const Ref<Object> object = make<Collection>();
    Variant first(Array::vector(-1));
    first.mutableArray().resizeVector(300);
    for (std::int32_t i = 0; i < 300; ++i)
        first.mutableArray().at({i}) = mixed(i, object);
    Variant second = first; // shares until written
    for (std::int32_t i = 300; i < 3000; ++i) {
        first.mutableArray().resizeVector(i + 1);
        first.mutableArray().at({i}) = mixed(i, object);
    }
    first.mutableArray().at({0}) = Variant("changed");
    expectMixed(second.arrayValue(), 300, object);
    EXPECT_EQ(first.arrayValue().size(), 3000u);
    EXPECT_EQ(first.arrayValue().at({0}).stringValue(), "changed");
    EXPECT_EQ(first.arrayValue().at({5}).stringValue(), "t5");
}

TEST(ArrayGrowth, MultiDimensionPreserveChangesOnlyTheLastBound)
{
    Ref<Array> a = make<Array>(std::vector<Bound>{Bound{1, 3}, Bound{0, 2}});
    a->at({1, 0}) = Variant("a");
    a->at({3, 1}) = Variant(std::string(50, 'z'));
    a->redim({Bound{1, 3}, Bound{0, 400}}, true);
    EXPECT_EQ(a->at({1, 0}).stringValue(), "a");
    EXPECT_EQ(a->at({3, 1}).stringValue(), std::string(50, 'z'));
    EXPECT_TRUE(a->at({2, 399}).isEmpty());
    a->redim({Bound{1, 3}, Bound{0, 1}}, true);
    EXPECT_EQ(a->at({1, 0}).stringValue(), "a");
    EXPECT_EQ(errorOf([&] { a->at({3, 1}); }), err::SubscriptOutOfRange);
    // Any other bound, or another number of dimensions, is refused and changes nothing.
    EXPECT_EQ(errorOf([&] { a->redim({Bound{1, 4}, Bound{0, 1}}, true); }), err::SubscriptOutOfRange);
    EXPECT_EQ(errorOf([&] { a->redim({Bound{0, 3}, Bound{0, 1}}, true); }), err::SubscriptOutOfRange);
    EXPECT_EQ(errorOf([&] { a->redim({Bound{1, 3}}, true); }), err::SubscriptOutOfRange);
    EXPECT_EQ(a->size(), 3u);
    EXPECT_EQ(a->at({1, 0}).stringValue(), "a");
}

TEST(ArrayGrowth, FixedArraysAndBadCountsAreRefused)
{
    Ref<Array> fixed = Array::vector(2);
    fixed->at({1}) = Variant("kept");
    fixed->setFixedSize(true);
    EXPECT_EQ(errorOf([&] { fixed->resizeVector(10); }), err::ArrayFixed);
    EXPECT_EQ(errorOf([&] { fixed->redim({Bound{0, 10}}, true); }), err::ArrayFixed);
    EXPECT_EQ(fixed->at({1}).stringValue(), "kept");
    fixed->clearElements(); // Erase of a fixed array: Empty elements, same bounds
    EXPECT_EQ(fixed->ubound(), 2);
    EXPECT_TRUE(fixed->at({1}).isEmpty());

    Ref<Array> a = Array::vector(1);
    EXPECT_EQ(errorOf([&] { a->resizeVector(-1); }), err::SubscriptOutOfRange);
    Ref<Array> based = make<Array>(std::vector<Bound>{Bound{1, 2}});
    EXPECT_EQ(errorOf([&] { based->resizeVector(5); }), err::SubscriptOutOfRange);
    EXPECT_EQ(based->size(), 2u);
}

TEST(ArrayGrowth, ClonesAndValueListsOwnTheirElements)
{
    const Ref<Object> object = make<Collection>();
    std::vector<Variant> values;
    for (std::int32_t i = 0; i < 50; ++i)
        values.push_back(mixed(i, object));
    Ref<Array> a = Array::fromValues(std::move(values));
    expectMixed(*a, 50, object);
    a->setFixedSize(true);
    Ref<Array> copy = a->clone();
    EXPECT_TRUE(copy->fixedSize());
    a->at({0}) = Variant("other");
    expectMixed(*copy, 50, object);
    EXPECT_EQ(object->refCount(), 1 + 2 * 10);
    a = nullptr;
    copy = nullptr;
    EXPECT_EQ(object->refCount(), 1);
}
