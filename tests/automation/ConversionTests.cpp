#include "automation/Conversions.h"
#include "automation/Error.h"

#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vb;
using testing_support::errorOf;

TEST(WholeNumberConversions, RoundHalvesToEven)
{
    EXPECT_EQ(CInt(Variant(2.5)), 2);
    EXPECT_EQ(CInt(Variant(3.5)), 4);
    EXPECT_EQ(CInt(Variant(-2.5)), -2);
    EXPECT_EQ(CInt(Variant(-3.5)), -4);
    EXPECT_EQ(CLng(Variant(0.5)), 0);
    EXPECT_EQ(CLng(Variant(1.5)), 2);
    EXPECT_EQ(CByte(Variant(254.5)), 254);
    EXPECT_EQ(CInt(Variant(2.4999)), 2);
}

TEST(WholeNumberConversions, OverflowAtTheEdges)
{
    EXPECT_EQ(CInt(Variant(32767.4)), 32767);
    EXPECT_EQ(errorOf([] { CInt(Variant(32767.5)); }), err::Overflow); // rounds to 32768
    EXPECT_EQ(CInt(Variant(-32768.5)), -32768);                        // rounds to the even -32768
    EXPECT_EQ(errorOf([] { CInt(Variant(-32768.6)); }), err::Overflow);
    EXPECT_EQ(errorOf([] { CLng(Variant(2147483647.5)); }), err::Overflow);
    EXPECT_EQ(errorOf([] { CByte(Variant(-1)); }), err::Overflow);
    EXPECT_EQ(errorOf([] { CByte(Variant(255.5)); }), err::Overflow);
}

TEST(WholeNumberConversions, FromTextBooleansAndNull)
{
    EXPECT_EQ(CInt(Variant(" 12 ")), 12);
    EXPECT_EQ(CInt(Variant("&H10")), 16);
    EXPECT_EQ(CInt(Variant("&HFFFF")), -1);
    EXPECT_EQ(CLng(Variant("1,000")), 1000);
    EXPECT_EQ(CLng(Variant("1e3")), 1000);
    EXPECT_EQ(CInt(Variant(true)), -1);
    EXPECT_EQ(CInt(Variant()), 0);
    EXPECT_EQ(errorOf([] { CInt(Variant("abc")); }), err::TypeMismatch);
    EXPECT_EQ(errorOf([] { CInt(Variant("")); }), err::TypeMismatch);
    EXPECT_EQ(errorOf([] { CLng(Variant::null()); }), err::InvalidUseOfNull);
}

TEST(TextOfNumbers, DoublesAsVbWritesThem)
{
    EXPECT_EQ(CStr(Variant(0.1)), "0.1");
    EXPECT_EQ(CStr(Variant(1e20)), "1E+20");
    EXPECT_EQ(CStr(Variant(-1.5e-7)), "-1.5E-07");
    EXPECT_EQ(CStr(Variant(123456789012345.0)), "123456789012345");
    EXPECT_EQ(CStr(Variant(1e15)), "1E+15");
    EXPECT_EQ(CStr(Variant(0.0001)), "0.0001");
    EXPECT_EQ(CStr(Variant(1.0 / 3.0)), "0.333333333333333");
    EXPECT_EQ(CStr(Variant(-0.0)), "0");
    EXPECT_EQ(CStr(Variant(2.0)), "2");
    EXPECT_EQ(CStr(Variant(0.1f)), "0.1");
}

TEST(TextOfNumbers, OtherTypes)
{
    EXPECT_EQ(CStr(Variant(true)), "True");
    EXPECT_EQ(CStr(Variant(false)), "False");
    EXPECT_EQ(CStr(Variant(std::int16_t(-5))), "-5");
    EXPECT_EQ(CStr(Variant(Currency{15000})), "1.5");
    EXPECT_EQ(CStr(Variant(Currency{-12345})), "-1.2345");
    EXPECT_EQ(CStr(Variant(Currency{30000})), "3");
    EXPECT_EQ(CStr(Variant()), "");
    EXPECT_EQ(errorOf([] { CStr(Variant::null()); }), err::InvalidUseOfNull);
}

TEST(Val, LenientReader)
{
    EXPECT_EQ(Val(" 1 2"), 12);
    EXPECT_EQ(Val("&H1F"), 31);
    EXPECT_EQ(Val("&O17"), 15);
    EXPECT_EQ(Val("&HFFFF"), -1);
    EXPECT_EQ(Val("1e3x"), 1000);
    EXPECT_EQ(Val(""), 0);
    EXPECT_EQ(Val("abc"), 0);
    EXPECT_EQ(Val("\t-\n3.5kg"), -3.5);
    EXPECT_EQ(Val("1.2.3"), 1.2);
    EXPECT_EQ(Val("12,345"), 12);
    EXPECT_EQ(Val("1e"), 1);
    EXPECT_EQ(Val(".5"), 0.5);
}

TEST(IsNumeric, LenientTest)
{
    EXPECT_TRUE(IsNumeric(Variant(" 12 ")));
    EXPECT_TRUE(IsNumeric(Variant("-1.5e3")));
    EXPECT_TRUE(IsNumeric(Variant("&H1F")));
    EXPECT_TRUE(IsNumeric(Variant(".5")));
    EXPECT_TRUE(IsNumeric(Variant()));
    EXPECT_TRUE(IsNumeric(Variant(true)));
    EXPECT_FALSE(IsNumeric(Variant("12x")));
    EXPECT_FALSE(IsNumeric(Variant("")));
    EXPECT_FALSE(IsNumeric(Variant("1e")));
    EXPECT_FALSE(IsNumeric(Variant::null()));
    EXPECT_FALSE(IsNumeric(Variant(Date{1.0})));
}

TEST(BooleanConversion, TextAndNumbers)
{
    EXPECT_TRUE(CBool(Variant("True")));
    EXPECT_TRUE(CBool(Variant("true")));
    EXPECT_FALSE(CBool(Variant("False")));
    EXPECT_TRUE(CBool(Variant("-1")));
    EXPECT_FALSE(CBool(Variant("0")));
    EXPECT_TRUE(CBool(Variant(0.5)));
    EXPECT_EQ(errorOf([] { CBool(Variant("yes")); }), err::TypeMismatch);
}

TEST(CurrencyConversion, RoundsToFourPlaces)
{
    EXPECT_EQ(CCur(Variant(1.23455)).scaled, 12346);
    EXPECT_EQ(CCur(Variant(0.00005)).scaled, 0); // half to even
    EXPECT_EQ(errorOf([] { CCur(Variant(1e300)); }), err::Overflow);
}

// Texts of whole numbers are read without the general decimal reader: the same values
// at the edges of that path (15 digits, sign, blanks, leading zeros, separators) and
// beyond it.
TEST(NumbersFromText, WholeNumbersExactlyAndTheRestAsBefore)
{
    EXPECT_EQ(parseNumber("0"), 0.0);
    EXPECT_EQ(parseNumber("  42 "), 42.0);
    EXPECT_EQ(parseNumber("-42"), -42.0);
    EXPECT_EQ(parseNumber("+ 7"), 7.0);
    EXPECT_EQ(parseNumber("007"), 7.0);
    EXPECT_EQ(parseNumber("1,234,567"), 1234567.0);
    EXPECT_EQ(parseNumber("999999999999999"), 999999999999999.0);   // 15 digits
    EXPECT_EQ(parseNumber("-123456789012345"), -123456789012345.0);
    EXPECT_EQ(parseNumber("9007199254740993"), 9007199254740992.0); // 16 digits: rounded as a double
    EXPECT_EQ(parseNumber("12345678901234567890"), 12345678901234567890.0);
    EXPECT_TRUE(std::signbit(*parseNumber("-0")));
    EXPECT_EQ(parseNumber("12."), 12.0);
    EXPECT_EQ(parseNumber("1.5"), 1.5);
    EXPECT_EQ(parseNumber("12e2"), 1200.0);
    EXPECT_EQ(parseNumber("&H10"), 16.0);
    EXPECT_FALSE(parseNumber("12a").has_value());
    EXPECT_FALSE(parseNumber("").has_value());
    EXPECT_FALSE(parseNumber("-").has_value());
    EXPECT_EQ(CInt(Variant("32767")), 32767);
    EXPECT_EQ(errorOf([] { CInt(Variant("32768")); }), err::Overflow);
    EXPECT_EQ(CLng(Variant(" -2147483648 ")), INT32_MIN);
}
