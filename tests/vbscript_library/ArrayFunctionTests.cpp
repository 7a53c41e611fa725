#include "LibraryTestSupport.h"

#include "automation/Array.h"

using namespace library_test;
using vb::Variant;
using Strings = std::vector<std::string>;

TEST(ArrayFunctions, ArrayAndBounds)
{
    const Variant a = call("Array", std::int16_t(1), "two", 3.0);
    ASSERT_TRUE(a.isArray());
    EXPECT_EQ(0, call("LBound", a).longValue());
    EXPECT_EQ(2, call("UBound", a).longValue());
    EXPECT_EQ("two", a.arrayValue().elements()[1].stringValue());
    const Variant empty = call("Array");
    EXPECT_EQ(-1, call("UBound", empty).longValue());

    Variant grid(vb::make<vb::Array>(std::vector<vb::Bound>{{1, 3}, {-2, 5}}));
    EXPECT_EQ(3, call("UBound", grid).longValue());
    EXPECT_EQ(-2, call("LBound", grid, std::int16_t(2)).longValue());
    EXPECT_EQ(2, call("UBound", grid, std::int16_t(2)).longValue());
    EXPECT_VB_ERROR(9, call("UBound", grid, std::int16_t(3)));
    EXPECT_VB_ERROR(9, call("LBound", grid, std::int16_t(0)));
    EXPECT_VB_ERROR(13, call("UBound", "not an array"));
    EXPECT_VB_ERROR(13, call("LBound", Variant::null()));
}

TEST(ArrayFunctions, EraseFixedAndDynamic)
{
    Variant fixed(vb::Array::vector(2));
    fixed.mutableArray().setFixedSize(true);
    fixed.mutableArray().elements()[1] = Variant("x");
    Variant copy = fixed; // arrays are values: the copy keeps its element
    vbscript::eraseArray(fixed);
    EXPECT_EQ(2, call("UBound", fixed).longValue());
    EXPECT_TRUE(fixed.arrayValue().elements()[1].isEmpty());
    EXPECT_EQ("x", copy.arrayValue().elements()[1].stringValue());

    Variant dynamic(vb::Array::vector(4));
    vbscript::eraseArray(dynamic);
    EXPECT_TRUE(dynamic.isArray());
    EXPECT_VB_ERROR(9, call("UBound", dynamic));

    Variant notArray("x");
    EXPECT_VB_ERROR(13, vbscript::eraseArray(notArray));
}

TEST(ArrayFunctions, JoinElements)
{
    EXPECT_EQ("a b c", str(call("Join", array({"a", "b", "c"}))));
    EXPECT_EQ("a,b,c", str(call("Join", array({"a", "b", "c"}), ",")));
    EXPECT_EQ("abc", str(call("Join", array({"a", "b", "c"}), "")));
    EXPECT_EQ("1-2.5-True-", str(call("Join", array({std::int16_t(1), 2.5, true, Variant()}), "-")));
    // A Null element has no text; a Null list is refused.
    EXPECT_VB_ERROR(13, call("Join", array({std::int16_t(1), Variant::null()})));
    EXPECT_VB_ERROR(94, call("Join", Variant::null()));
    EXPECT_VB_ERROR(94, call("Filter", Variant::null(), "a"));
    EXPECT_EQ("", str(call("Join", call("Array"))));
    EXPECT_VB_ERROR(13, call("Join", "a b"));
    Variant grid(vb::make<vb::Array>(std::vector<vb::Bound>{{0, 2}, {0, 2}}));
    EXPECT_VB_ERROR(13, call("Join", grid));
}

TEST(ArrayFunctions, SplitWithLimitAndCompare)
{
    EXPECT_EQ((Strings{"a", "b", "c"}), texts(call("Split", "a b c")));
    EXPECT_EQ((Strings{"a", "", "b"}), texts(call("Split", "a,,b", ",")));
    EXPECT_EQ((Strings{"a", "b,c"}), texts(call("Split", "a,b,c", ",", std::int16_t(2))));
    EXPECT_EQ((Strings{"a,b,c"}), texts(call("Split", "a,b,c", ",", std::int16_t(1))));
    EXPECT_EQ((Strings{"1", "2", "3"}), texts(call("Split", "1x2X3", "x", std::int16_t(-1), std::int16_t(1))));
    EXPECT_EQ((Strings{"1", "2X3"}), texts(call("Split", "1x2X3", "x")));
    EXPECT_EQ((Strings{"abc"}), texts(call("Split", "abc", "")));
    EXPECT_EQ((Strings{"", ""}), texts(call("Split", ",", ",")));
    EXPECT_EQ(-1, call("UBound", call("Split", "")).longValue());
    EXPECT_EQ(-1, call("UBound", call("Split", "a b", " ", std::int16_t(0))).longValue());
    EXPECT_VB_ERROR(5, call("Split", "a", " ", std::int16_t(-2)));
    EXPECT_VB_ERROR(94, call("Split", Variant::null()));
}

TEST(ArrayFunctions, FilterIncludeAndExclude)
{
    const Variant list = array({"apple", "Banana", "cherry", "grape"});
    EXPECT_EQ((Strings{"apple", "grape"}), texts(call("Filter", list, "ap")));
    EXPECT_EQ((Strings{"Banana", "cherry"}), texts(call("Filter", list, "ap", false)));
    EXPECT_EQ((Strings{"Banana"}), texts(call("Filter", list, "b", true, std::int16_t(1))));
    EXPECT_EQ(-1, call("UBound", call("Filter", list, "zzz")).longValue());
    EXPECT_VB_ERROR(13, call("Filter", "apple", "a"));
    EXPECT_VB_ERROR(5, call("Filter", list, "a", true, std::int16_t(3)));
}
