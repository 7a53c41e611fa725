#include "automation/Variant.h"
#include "automation/Conversions.h"
#include "automation/Array.h"

#include <gtest/gtest.h>

using namespace vb;

TEST(VariantTypes, VarTypeAndTypeName)
{
    struct Case {
        Variant v;
        int varType;
        const char* name;
    };
    const Case cases[] = {
        {Variant(), vbEmpty, "Empty"},
        {Variant::null(), vbNull, "Null"},
        {Variant(std::int16_t(1)), vbInteger, "Integer"},
        {Variant(1), vbLong, "Long"},
        {Variant(1.0f), vbSingle, "Single"},
        {Variant(1.0), vbDouble, "Double"},
        {Variant(Currency{1}), vbCurrency, "Currency"},
        {Variant(Date{1}), vbDate, "Date"},
        {Variant("x"), vbString, "String"},
        {Variant(true), vbBoolean, "Boolean"},
        {Variant(std::uint8_t(1)), vbByte, "Byte"},
        {Variant::missing(), vbError, "Error"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(varTypeOf(c.v), c.varType) << c.name;
        EXPECT_EQ(typeName(c.v), c.name);
    }
}

TEST(VariantTypes, CopiesAndMovesKeepValues)
{
    Variant s("a string long enough to leave the small buffer");
    Variant copy = s;
    EXPECT_EQ(copy.stringValue(), s.stringValue());
    Variant moved = std::move(copy);
    EXPECT_TRUE(copy.isEmpty());
    EXPECT_EQ(moved.stringValue(), s.stringValue());
    Variant n(5);
    n = s;
    EXPECT_EQ(n.stringValue(), s.stringValue());
    s = Variant(2.5);
    EXPECT_EQ(s.doubleValue(), 2.5);
    n.swap(s);
    EXPECT_EQ(n.doubleValue(), 2.5);
    EXPECT_TRUE(s.isString());
    // UTF-8 passes through unchanged.
    EXPECT_EQ(CStr(Variant("Grüße")), "Grüße");
    EXPECT_TRUE(Variant::missing().isMissing());
    EXPECT_FALSE(Variant::error(5).isMissing());
}

TEST(VariantTypes, AssigningAnElementOfItsOwnArray)
{
    // The element lives inside the array the variant owns: it must be taken out
    // before the array goes.
    Variant v(Array::fromValues({Variant("a long enough string to be on the heap"), Variant(2)}));
    v = std::move(v.mutableArray().elements()[0]);
    ASSERT_TRUE(v.isString());
    EXPECT_EQ(v.stringValue(), "a long enough string to be on the heap");
    Variant w(Array::fromValues({Variant(7)}));
    w = w.arrayValue().elements()[0];
    EXPECT_EQ(w.longValue(), 7);
}
