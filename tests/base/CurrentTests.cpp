#include "base/Current.h"

#include <gtest/gtest.h>

namespace {

// Prepared is used by one test only, so its default object is made there.
struct Counter {
    int value = 0;
};

struct Prepared {
    int preparedTimes = 0;
    static inline int calls = 0;
    static inline Prepared* preparedObject = nullptr;
    static void madeDefault(Prepared& object)
    {
        ++calls;
        preparedObject = &object;
        ++object.preparedTimes;
    }
};

struct Unprepared {
    int value = 7;
};

} // namespace

TEST(Current, DefaultWhenNoScopeAndTheSameOneEveryTime)
{
    Counter& first = tallis::Current<Counter>::get();
    first.value = 41;
    EXPECT_EQ(&tallis::Current<Counter>::get(), &first);
    EXPECT_EQ(tallis::Current<Counter>::get().value, 41);

    // A scope moves it away and gives the same default back when it ends.
    {
        Counter own;
        tallis::Current<Counter>::Scope scope(own);
        EXPECT_EQ(&tallis::Current<Counter>::get(), &own);
    }
    EXPECT_EQ(&tallis::Current<Counter>::get(), &first);
    EXPECT_EQ(first.value, 41);
}

TEST(Current, NestedScopesRestoreThePreviousOne)
{
    Counter outer;
    Counter inner;
    Counter innermost;
    Counter& fallback = tallis::Current<Counter>::get();
    {
        tallis::Current<Counter>::Scope a(outer);
        EXPECT_EQ(&tallis::Current<Counter>::get(), &outer);
        {
            tallis::Current<Counter>::Scope b(inner);
            EXPECT_EQ(&tallis::Current<Counter>::get(), &inner);
            {
                // The same object twice nests like any other.
                tallis::Current<Counter>::Scope c(innermost);
                tallis::Current<Counter>::Scope d(innermost);
                EXPECT_EQ(&tallis::Current<Counter>::get(), &innermost);
            }
            EXPECT_EQ(&tallis::Current<Counter>::get(), &inner);
        }
        EXPECT_EQ(&tallis::Current<Counter>::get(), &outer);
    }
    EXPECT_EQ(&tallis::Current<Counter>::get(), &fallback);
}

TEST(Current, TypesHaveCurrentObjectsOfTheirOwn)
{
    Counter counter;
    tallis::Current<Counter>::Scope scope(counter);
    EXPECT_EQ(tallis::Current<Unprepared>::get().value, 7);
    EXPECT_EQ(&tallis::Current<Counter>::get(), &counter);
}

TEST(Current, DefaultIsPreparedOnceWhenMadeAndOnlyThen)
{
    // A scope made before the default exists does not make it.
    {
        Prepared own;
        tallis::Current<Prepared>::Scope scope(own);
        EXPECT_EQ(&tallis::Current<Prepared>::get(), &own);
        EXPECT_EQ(Prepared::calls, 0);
        EXPECT_EQ(own.preparedTimes, 0);
    }
    Prepared& fallback = tallis::Current<Prepared>::get();
    tallis::Current<Prepared>::get();
    tallis::Current<Prepared>::get();
    EXPECT_EQ(Prepared::calls, 1);
    EXPECT_EQ(Prepared::preparedObject, &fallback);
    EXPECT_EQ(fallback.preparedTimes, 1);
}
