#include "LibraryTestSupport.h"

using namespace library_test;
using vb::Variant;

namespace {

const Variant kNull = Variant::null();

} // namespace

TEST(StringFunctions, LengthAndSlices)
{
    EXPECT_EQ(5, call("Len", "hello").longValue());
    EXPECT_EQ(vb::vbLong, call("Len", "").type());
    EXPECT_EQ(0, call("Len", Variant()).longValue());
    EXPECT_EQ(3, call("Len", std::int16_t(123)).longValue()); // numbers count their text
    EXPECT_EQ("he", str(call("Left", "hello", std::int16_t(2))));
    EXPECT_EQ("hello", str(call("Left", "hello", std::int16_t(99))));
    EXPECT_EQ("", str(call("Left", "hello", std::int16_t(0))));
    EXPECT_EQ("lo", str(call("Right", "hello", std::int16_t(2))));
    EXPECT_EQ("hello", str(call("Right", "hello", std::int32_t(50))));
    EXPECT_EQ("ell", str(call("Mid", "hello", std::int16_t(2), std::int16_t(3))));
    EXPECT_EQ("llo", str(call("Mid", "hello", std::int16_t(3))));
    EXPECT_EQ("", str(call("Mid", "hello", std::int16_t(9))));
    EXPECT_EQ("lo", str(call("Mid", "hello", std::int16_t(4), std::int16_t(99))));
}

TEST(StringFunctions, CharactersNotBytes)
{
    const std::string text = "h\xC3\xA9llo \xE2\x82\xAC"; // "héllo €"
    EXPECT_EQ(7, call("Len", text).longValue());
    EXPECT_EQ("\xC3\xA9", str(call("Mid", text, std::int16_t(2), std::int16_t(1))));
    EXPECT_EQ("\xE2\x82\xAC", str(call("Right", text, std::int16_t(1))));
    EXPECT_EQ(7, call("InStr", text, "\xE2\x82\xAC").longValue());
    EXPECT_EQ("\xE2\x82\xAC oll\xC3\xA9h", str(call("StrReverse", text)));
    EXPECT_EQ("H\xC3\x89LLO \xE2\x82\xAC", str(call("UCase", text)));
    // A byte of 8-bit text that is not UTF-8 is one character.
    EXPECT_EQ(3, call("Len", std::string("a\xE9z")).longValue());
}

TEST(StringFunctions, SliceArgumentErrors)
{
    EXPECT_VB_ERROR(5, call("Mid", "abc", std::int16_t(0)));
    EXPECT_VB_ERROR(5, call("Mid", "abc", std::int16_t(1), std::int16_t(-1)));
    EXPECT_VB_ERROR(5, call("Left", "abc", std::int16_t(-1)));
    EXPECT_VB_ERROR(5, call("Right", "abc", std::int16_t(-1)));
    EXPECT_VB_ERROR(94, call("Left", "abc", kNull));
    EXPECT_VB_ERROR(13, call("Left", "abc", "x"));
    EXPECT_VB_ERROR(5, call("Space", std::int16_t(-1)));
    EXPECT_VB_ERROR(94, call("Space", kNull));
    EXPECT_VB_ERROR(14, call("Space", std::int32_t(2147483647)));
}

TEST(StringFunctions, NullPropagates)
{
    EXPECT_TRUE(call("Len", kNull).isNull());
    EXPECT_TRUE(call("Left", kNull, std::int16_t(1)).isNull());
    EXPECT_TRUE(call("Right", kNull, std::int16_t(1)).isNull());
    EXPECT_TRUE(call("Mid", kNull, std::int16_t(1)).isNull());
    EXPECT_TRUE(call("UCase", kNull).isNull());
    EXPECT_TRUE(call("LCase", kNull).isNull());
    EXPECT_TRUE(call("Trim", kNull).isNull());
    EXPECT_TRUE(call("LTrim", kNull).isNull());
    EXPECT_TRUE(call("RTrim", kNull).isNull());
    EXPECT_TRUE(call("InStr", kNull, "a").isNull());
    EXPECT_TRUE(call("InStr", "a", kNull).isNull());
    EXPECT_VB_ERROR(94, call("InStrRev", kNull, "a")); // unlike InStr
    EXPECT_VB_ERROR(94, call("InStrRev", "abcd", kNull));
    EXPECT_TRUE(call("StrComp", kNull, "a").isNull());
    EXPECT_TRUE(call("String", kNull, "a").isNull());
    EXPECT_VB_ERROR(94, call("Chr", kNull));
    EXPECT_VB_ERROR(94, call("Asc", kNull));
    EXPECT_VB_ERROR(94, call("StrReverse", kNull));
    EXPECT_VB_ERROR(94, call("Replace", kNull, "a", "b"));
    EXPECT_VB_ERROR(94, call("InStr", kNull, "abc", "b"));
}

TEST(StringFunctions, InStrForms)
{
    EXPECT_EQ(3, call("InStr", "abcabc", "c").longValue());
    EXPECT_EQ(6, call("InStr", std::int16_t(4), "abcabc", "c").longValue());
    EXPECT_EQ(0, call("InStr", "abc", "C").longValue());
    EXPECT_EQ(3, call("InStr", std::int16_t(1), "abc", "C", std::int16_t(1)).longValue());
    EXPECT_EQ(0, call("InStr", "", "a").longValue());
    EXPECT_EQ(2, call("InStr", std::int16_t(2), "abc", "").longValue()); // empty text: the start
    EXPECT_EQ(0, call("InStr", std::int16_t(9), "abc", "a").longValue());
    EXPECT_VB_ERROR(5, call("InStr", std::int16_t(0), "abc", "a"));
    EXPECT_VB_ERROR(5, call("InStr", std::int16_t(1), "abc", "a", std::int16_t(7)));
}

TEST(StringFunctions, InStrRevSearchesBackwardsFromStart)
{
    EXPECT_EQ(4, call("InStrRev", "abcabc", "a").longValue());
    EXPECT_EQ(1, call("InStrRev", "abcabc", "a", std::int16_t(3)).longValue());
    EXPECT_EQ(2, call("InStrRev", "abcabc", "bc", std::int16_t(5)).longValue()); // must end by start
    EXPECT_EQ(5, call("InStrRev", "abcabc", "BC", std::int16_t(-1), std::int16_t(1)).longValue());
    EXPECT_EQ(0, call("InStrRev", "abc", "a", std::int16_t(9)).longValue());
    EXPECT_EQ(3, call("InStrRev", "abc", "", std::int16_t(3)).longValue());
    EXPECT_VB_ERROR(5, call("InStrRev", "abc", "a", std::int16_t(0)));
    EXPECT_VB_ERROR(5, call("InStrRev", "abc", "a", std::int16_t(-2)));
}

TEST(StringFunctions, ReplaceStartCountAndCompare)
{
    EXPECT_EQ("xbxbx", str(call("Replace", "ababa", "a", "x")));
    EXPECT_EQ("bxbx", str(call("Replace", "ababa", "a", "x", std::int16_t(2)))); // text from start on
    EXPECT_EQ("xbaba", str(call("Replace", "ababa", "a", "x", std::int16_t(1), std::int16_t(1))));
    EXPECT_EQ("ababa", str(call("Replace", "ababa", "a", "x", std::int16_t(1), std::int16_t(0))));
    EXPECT_EQ("xbxbx", str(call("Replace", "AbAbA", "a", "x", std::int16_t(1), std::int16_t(-1), std::int16_t(1))));
    EXPECT_EQ("AbAbA", str(call("Replace", "AbAbA", "a", "x")));
    EXPECT_EQ("abc", str(call("Replace", "abc", "", "x")));
    EXPECT_EQ("", str(call("Replace", "abc", "b", "x", std::int16_t(9))));
    EXPECT_EQ("ac", str(call("Replace", "abbc", "b", "")));
    EXPECT_EQ("aaaa", str(call("Replace", "aa", "a", "aa"))); // replacements are not searched again
    EXPECT_VB_ERROR(5, call("Replace", "abc", "a", "b", std::int16_t(0)));
    EXPECT_VB_ERROR(5, call("Replace", "abc", "a", "b", std::int16_t(1), std::int16_t(-2)));
}

TEST(StringFunctions, CaseTrimSpaceAndString)
{
    EXPECT_EQ("ABC1", str(call("UCase", "aBc1")));
    EXPECT_EQ("abc1", str(call("LCase", "aBc1")));
    EXPECT_EQ("TRUE", str(call("UCase", true)));
    EXPECT_EQ("a b", str(call("Trim", "  a b  ")));
    EXPECT_EQ("a  ", str(call("LTrim", "  a  ")));
    EXPECT_EQ("  a", str(call("RTrim", "  a  ")));
    EXPECT_EQ("\ta\t", str(call("Trim", "\ta\t"))); // only spaces are trimmed
    EXPECT_EQ("   ", str(call("Space", std::int16_t(3))));
    EXPECT_EQ("xxx", str(call("String", std::int16_t(3), "xyz")));
    EXPECT_EQ("AAA", str(call("String", std::int16_t(3), std::int16_t(65))));
    EXPECT_EQ("AA", str(call("String", std::int16_t(2), std::int16_t(321)))); // code modulo 256
    EXPECT_VB_ERROR(5, call("String", std::int16_t(2), ""));
    EXPECT_VB_ERROR(5, call("String", std::int16_t(-1), "a"));
}

TEST(StringFunctions, StrCompOrders)
{
    EXPECT_EQ(vb::vbInteger, call("StrComp", "a", "b").type());
    EXPECT_EQ(-1, call("StrComp", "a", "b").integerValue());
    EXPECT_EQ(1, call("StrComp", "b", "a").integerValue());
    EXPECT_EQ(0, call("StrComp", "a", "a").integerValue());
    EXPECT_EQ(1, call("StrComp", "a", "A").integerValue()); // binary: "A" sorts first
    EXPECT_EQ(0, call("StrComp", "a", "A", std::int16_t(1)).integerValue());
    EXPECT_EQ(-1, call("StrComp", "a", "B", std::int16_t(1)).integerValue());
    EXPECT_EQ(0, call("StrComp", "\xC3\xA9", "\xC3\x89", std::int16_t(1)).integerValue()); // é / É
    EXPECT_EQ(-1, call("StrComp", "", "a").integerValue());
}

TEST(StringFunctions, CharacterCodes)
{
    EXPECT_EQ(65, call("Asc", "ABC").integerValue());
    EXPECT_EQ(vb::vbInteger, call("Asc", "A").type());
    EXPECT_EQ(233, call("Asc", "\xC3\xA9").integerValue()); // é in the ANSI code page
    EXPECT_EQ(128, call("Asc", "\xE2\x82\xAC").integerValue()); // € is 128 in Windows-1252
    EXPECT_EQ(63, call("Asc", "\xE2\x98\xBA").integerValue()); // not in the code page: "?"
    EXPECT_EQ(0x263A, call("AscW", "\xE2\x98\xBA").integerValue());
    EXPECT_EQ(-1, call("AscW", call("ChrW", std::int32_t(65535))).integerValue()); // AscW is an Integer
    EXPECT_EQ("A", str(call("Chr", std::int16_t(65))));
    EXPECT_EQ(std::string(1, '\0'), str(call("Chr", std::int16_t(0))));
    EXPECT_EQ("\xE2\x82\xAC", str(call("Chr", std::int16_t(128))));
    EXPECT_EQ("\xE2\x98\xBA", str(call("ChrW", std::int32_t(0x263A))));
    EXPECT_EQ("\xEF\xBF\xBF", str(call("ChrW", std::int16_t(-1)))); // negative codes count from 65536
    EXPECT_VB_ERROR(5, call("Asc", ""));
    EXPECT_VB_ERROR(5, call("AscW", ""));
    EXPECT_VB_ERROR(5, call("Chr", std::int16_t(256)));
    EXPECT_VB_ERROR(5, call("Chr", std::int16_t(-1)));
    EXPECT_VB_ERROR(5, call("ChrW", std::int32_t(65536)));
    for (int code = 0; code < 256; ++code)
        EXPECT_EQ(code, call("Asc", call("Chr", std::int16_t(code))).integerValue()) << code;
}

TEST(StringFunctions, ByteLengthAndEscapes)
{
    EXPECT_EQ(6, call("LenB", "abc").longValue());
    EXPECT_EQ("a%20b%3Cc%3E%u263A%E9", str(call("Escape", "a b<c>\xE2\x98\xBA\xC3\xA9")));
    EXPECT_EQ("@*_+-./", str(call("Escape", "@*_+-./")));
    EXPECT_EQ("a b<c>\xE2\x98\xBA\xC3\xA9", str(call("Unescape", "a%20b%3Cc%3E%u263A%E9")));
    EXPECT_EQ("100%", str(call("Unescape", "100%")));
}

TEST(StringFunctions, MidStatementOverwritesInPlace)
{
    Variant s("abcdef");
    vbscript::assignMid(s, std::int16_t(2), Variant::missing(), "XY");
    EXPECT_EQ("aXYdef", s.stringValue());
    vbscript::assignMid(s, std::int16_t(5), Variant::missing(), "123456");
    EXPECT_EQ("aXYd12", s.stringValue()); // never grows
    vbscript::assignMid(s, std::int16_t(1), std::int16_t(1), "ZZZ");
    EXPECT_EQ("ZXYd12", s.stringValue());
    EXPECT_VB_ERROR(5, vbscript::assignMid(s, std::int16_t(7), Variant::missing(), "x"));
    EXPECT_VB_ERROR(5, vbscript::assignMid(s, std::int16_t(0), Variant::missing(), "x"));
    Variant nullText = Variant::null();
    EXPECT_VB_ERROR(94, vbscript::assignMid(nullText, std::int16_t(1), Variant::missing(), "x"));
}

// The byte forms count the two bytes of each UTF-16 unit.
TEST(ByteStringFunctions, CountBytesOfTheNativeForm)
{
    EXPECT_EQ(6, call("LenB", "abc").longValue());
    EXPECT_EQ(4, call("LenB", "\xE2\x82\xAC\xC3\xA9").longValue()); // "€é"
    EXPECT_EQ("ab", str(call("LeftB", "abc", std::int16_t(4))));
    EXPECT_EQ("bc", str(call("RightB", "abc", std::int16_t(4))));
    EXPECT_EQ("abc", str(call("RightB", "abc", std::int16_t(40))));
    EXPECT_EQ("b", str(call("MidB", "abc", std::int16_t(3), std::int16_t(2))));
    EXPECT_EQ("bc", str(call("MidB", "abc", std::int16_t(3))));
    EXPECT_EQ("", str(call("MidB", "abc", std::int16_t(30))));
    EXPECT_EQ(3, call("InStrB", "abc", "b").longValue());
    EXPECT_EQ(0, call("InStrB", std::int16_t(4), "abc", "b").longValue());
    EXPECT_EQ(5, call("InStrB", std::int16_t(2), "abc", "c").longValue());
}

TEST(ByteStringFunctions, SingleBytes)
{
    const Variant a = call("AscB", "A");
    EXPECT_EQ(vb::vbByte, a.type());
    EXPECT_EQ(65, a.byteValue());
    EXPECT_EQ(0xAC, call("AscB", "\xE2\x82\xAC").byteValue()); // "€" is 0x20AC, low byte first
    // One byte is half a unit: LenB 1, and AscB reads it back.
    EXPECT_EQ(1, call("LenB", call("ChrB", std::int16_t(65))).longValue());
    EXPECT_EQ(65, call("AscB", call("ChrB", std::int16_t(65))).byteValue());
    EXPECT_VB_ERROR(6, call("ChrB", std::int16_t(256)));
    EXPECT_VB_ERROR(6, call("ChrB", std::int16_t(-1)));
    EXPECT_VB_ERROR(5, call("AscB", ""));
    EXPECT_VB_ERROR(5, call("LeftB", "abc", std::int16_t(-1)));
    EXPECT_VB_ERROR(5, call("MidB", "abc", std::int16_t(0)));
    EXPECT_TRUE(call("LeftB", kNull, std::int16_t(1)).isNull());
    EXPECT_TRUE(call("InStrB", kNull, "a").isNull());
}
