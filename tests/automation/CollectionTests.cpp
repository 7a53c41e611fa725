#include "automation/Collection.h"
#include "automation/Dictionary.h"
#include "automation/Array.h"

#include <map>

#include "support/ErrorOf.h"

#include <gtest/gtest.h>

using namespace vb;
using testing_support::errorOf;

namespace {


std::vector<std::string> walk(Object& o)
{
    std::vector<std::string> out;
    auto e = o.enumerate();
    Variant v;
    while (e->next(v))
        out.push_back(CStr(v));
    return out;
}

} // namespace

TEST(CollectionObject, OrderKeysAndPositions)
{
    Ref<Collection> c = make<Collection>();
    call(*c, "Add", "b", "KeyB");
    call(*c, "Add", "a", "KeyA", "KeyB"); // before b
    call(*c, "Add", "c", Variant::missing(), Variant::missing(), 2); // after position 2
    EXPECT_EQ(walk(*c), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(CStr(call(*c, "Item", "keyb")), "b"); // keys ignore case
    EXPECT_EQ(CStr(call(*c, "Item", 1)), "a");
    EXPECT_EQ(call(*c, "Count").longValue(), 3);
    call(*c, "Remove", "KEYA");
    EXPECT_EQ(CStr(call(*c, "Item", 1)), "b");
}

TEST(CollectionObject, ErrorNumbers)
{
    Ref<Collection> c = make<Collection>();
    call(*c, "Add", 1, "k");
    EXPECT_EQ(errorOf([&] { call(*c, "Add", 2, "K"); }), err::DuplicateKey);
    EXPECT_EQ(errorOf([&] { call(*c, "Item", 2); }), err::SubscriptOutOfRange);
    EXPECT_EQ(errorOf([&] { call(*c, "Item", 0); }), err::SubscriptOutOfRange);
    EXPECT_EQ(errorOf([&] { call(*c, "Item", "nokey"); }), err::InvalidProcedureCall);
    EXPECT_EQ(errorOf([&] { call(*c, "Add", 3, "x", 1, 1); }), err::InvalidProcedureCall);
    EXPECT_EQ(call(*c, "Count").longValue(), 1);
}

TEST(DictionaryObject, InsertionOrderAndItems)
{
    Ref<Dictionary> d = make<Dictionary>();
    call(*d, "Add", "z", 1);
    call(*d, "Add", "a", 2);
    call(*d, "Add", 3, "three");
    EXPECT_EQ(walk(*d), (std::vector<std::string>{"z", "a", "3"}));
    const Variant items = call(*d, "Items");
    EXPECT_EQ(items.arrayValue().size(), 3u);
    EXPECT_EQ(items.arrayValue().lbound(), 0);
    EXPECT_EQ(CStr(items.arrayValue().elements()[2]), "three");
    EXPECT_TRUE(CBool(call(*d, "Exists", 3.0))); // numbers compare by value
    EXPECT_FALSE(CBool(call(*d, "Exists", "3"))); // text and number differ
    EXPECT_FALSE(CBool(call(*d, "Exists", "Z"))); // binary compare by default
}

TEST(DictionaryObject, ItemLetAddsAndKeyRenames)
{
    Ref<Dictionary> d = make<Dictionary>();
    Variant key("k"), value(5);
    ArgPack<2> let{key, value};
    d->invoke("Item", Let, let);
    EXPECT_EQ(call(*d, "Item", "k").longValue(), 5);
    call(*d, "Item", "new"); // reading a missing key adds it empty
    EXPECT_EQ(call(*d, "Count").longValue(), 2);
    ArgPack<2> rename{"k", "renamed"};
    d->invoke("Key", Let, rename);
    EXPECT_EQ(walk(*d), (std::vector<std::string>{"renamed", "new"}));
    ArgPack<2> clash{"renamed", "new"};
    EXPECT_EQ(errorOf([&] { d->invoke("Key", Let, clash); }), err::DuplicateKey);
    ArgPack<2> missing{"gone", "x"};
    EXPECT_EQ(errorOf([&] { d->invoke("Key", Let, missing); }), err::ElementNotFound);
}

TEST(DictionaryObject, ErrorNumbersAndCompareMode)
{
    Ref<Dictionary> d = make<Dictionary>();
    call(*d, "Add", "a", 1);
    try {
        call(*d, "Add", "a", 2);
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), err::DuplicateKey);
        EXPECT_EQ(e.description(), "This key is already associated with an element of this collection");
    }
    EXPECT_EQ(errorOf([&] { call(*d, "Remove", "b"); }), err::ElementNotFound);
    EXPECT_EQ(errorOf([&] { setProperty(*d, "CompareMode", Variant(1)); }), err::InvalidProcedureCall);
    call(*d, "RemoveAll");
    setProperty(*d, "CompareMode", Variant(1));
    call(*d, "Add", "Key", 1);
    EXPECT_TRUE(CBool(call(*d, "Exists", "KEY")));
    EXPECT_EQ(errorOf([&] { call(*d, "Add", "kEy", 2); }), err::DuplicateKey);
}

TEST(DictionaryObject, RemovalKeepsOrderThroughCompaction)
{
    Ref<Dictionary> d = make<Dictionary>();
    for (int i = 0; i < 200; ++i)
        call(*d, "Add", i, i * 10);
    for (int i = 0; i < 200; i += 2)
        call(*d, "Remove", i);
    EXPECT_EQ(d->size(), 100u);
    EXPECT_EQ(call(*d, "Item", 199).longValue(), 1990);
    const Variant keys = call(*d, "Keys");
    EXPECT_EQ(CLng(keys.arrayValue().elements()[0]), 1);
    EXPECT_EQ(CLng(keys.arrayValue().elements()[99]), 199);
}

TEST(DictionaryObject, RemovingDuringForEachVisitsEveryKey)
{
    Ref<Dictionary> d = make<Dictionary>();
    for (int i = 0; i < 100; ++i)
        call(*d, "Add", i, i);
    auto walk = d->enumerate();
    Variant key;
    int seen = 0;
    while (walk->next(key)) {
        call(*d, "Remove", key);
        ++seen;
    }
    EXPECT_EQ(seen, 100);
    EXPECT_EQ(d->size(), 0u);
}

TEST(DictionaryObject, AgreesWithAModelUnderManyInsertsRemovesAndRenames)
{
    // A long random mix of operations checked against std::map: the index must never
    // lose, duplicate or misplace a key as it grows, removes and rebuilds.
    Ref<Dictionary> d = make<Dictionary>();
    std::map<std::string, long> model;
    unsigned seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    for (int step = 0; step < 20000; ++step) {
        const std::string key = "k" + std::to_string(next() % 700);
        switch (next() % 5) {
        case 0:
        case 1:
            if (model.count(key)) {
                EXPECT_EQ(errorOf([&] { d->Add(Variant(key), Variant(1)); }), err::DuplicateKey);
            } else {
                d->Add(Variant(key), Variant(step));
                model[key] = step;
            }
            break;
        case 2:
            if (model.count(key)) {
                d->Remove(Variant(key));
                model.erase(key);
            } else {
                EXPECT_EQ(errorOf([&] { d->Remove(Variant(key)); }), err::ElementNotFound);
            }
            break;
        case 3: {
            const std::string to = "r" + std::to_string(next() % 700);
            if (model.count(key) && !model.count(to)) {
                d->LetKey(Variant(key), Variant(to));
                model[to] = model[key];
                model.erase(key);
            }
            break;
        }
        default:
            EXPECT_EQ(d->Exists(Variant(key)), model.count(key) == 1);
            break;
        }
    }
    ASSERT_EQ(d->size(), model.size());
    for (const auto& [key, value] : model)
        EXPECT_EQ(d->find(Variant(key))->longValue(), value);
    d->RemoveAll();
    EXPECT_EQ(d->size(), 0u);
    EXPECT_FALSE(d->Exists(Variant("k1")));
    d->Add(Variant("k1"), Variant(1));
    EXPECT_TRUE(d->Exists(Variant("k1")));
}

TEST(DictionaryObject, TextModeAndObjectKeysHoldThroughGrowthRenamesAndCompaction)
{
    // Keys compared without case keep their own spelling; object keys compare by
    // identity. Both must survive the entry list growing, renames and compaction.
    Ref<Dictionary> d = make<Dictionary>();
    setProperty(*d, "CompareMode", Variant(1));
    std::vector<Ref<Dictionary>> objects;
    for (int i = 0; i < 300; ++i) {
        d->Add(Variant("Key" + std::to_string(i)), Variant(i));
        objects.push_back(make<Dictionary>());
        d->Add(Variant(Ref<Object>(objects.back())), Variant(-i));
    }
    for (int i = 0; i < 300; i += 3)
        d->LetKey(Variant("KEY" + std::to_string(i)), Variant("Renamed" + std::to_string(i)));
    for (int i = 1; i < 300; i += 3)
        d->Remove(Variant("key" + std::to_string(i)));
    for (int i = 0; i < 300; ++i) {
        if (i % 4 != 3) // more than half the entries die: the list is compacted
            d->Remove(Variant(Ref<Object>(objects[static_cast<std::size_t>(i)])));
    }
    EXPECT_EQ(d->size(), 200u + 75u);
    for (int i = 0; i < 300; ++i) {
        const std::string name = (i % 3 == 0 ? "RENAMED" : "key") + std::to_string(i);
        EXPECT_EQ(d->Exists(Variant(name)), i % 3 != 1) << name;
        EXPECT_EQ(d->Exists(Variant(Ref<Object>(objects[static_cast<std::size_t>(i)]))), i % 4 == 3) << i;
    }
    EXPECT_EQ(d->find(Variant("renamed3"))->longValue(), 3);
    EXPECT_EQ(d->find(Variant(Ref<Object>(objects[7])))->longValue(), -7);
    EXPECT_EQ(errorOf([&] { d->Add(Variant("KEY2"), Variant(0)); }), err::DuplicateKey);
    // The keys keep the spelling they were given.
    const Variant keys = call(*d, "Keys");
    EXPECT_EQ(CStr(keys.arrayValue().elements()[0]), "Renamed0");
    EXPECT_EQ(CStr(keys.arrayValue().elements()[1]), "Key2");
}
