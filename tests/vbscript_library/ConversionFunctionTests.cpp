#include "LibraryTestSupport.h"

#include <cmath>

using namespace library_test;
using vb::Variant;

TEST(ConversionFunctions, ReturnTheirSubtype)
{
    struct Case {
        const char* function;
        vb::VarType type;
    } cases[] = {
        {"CBool", vb::vbBoolean}, {"CByte", vb::vbByte},     {"CCur", vb::vbCurrency}, {"CDate", vb::vbDate}, {"CDbl", vb::vbDouble},
        {"CInt", vb::vbInteger},  {"CLng", vb::vbLong},      {"CSng", vb::vbSingle},   {"CStr", vb::vbString},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.type, call(c.function, "12").type()) << c.function;
        EXPECT_VB_ERROR(94, call(c.function, Variant::null()));
    }
    EXPECT_EQ(2, call("CInt", 2.5).integerValue()); // halves to even
    EXPECT_EQ(4, call("CInt", 3.5).integerValue());
    EXPECT_EQ(-1, call("CInt", true).integerValue());
    EXPECT_EQ("", str(call("CStr", Variant())));
    EXPECT_EQ("True", str(call("CStr", true)));
    EXPECT_TRUE(call("CBool", "true").booleanValue());
    EXPECT_FALSE(call("CBool", std::int16_t(0)).booleanValue());
}

TEST(ConversionFunctions, RefuseBadInput)
{
    EXPECT_VB_ERROR(6, call("CInt", std::int32_t(40000)));
    EXPECT_VB_ERROR(6, call("CByte", std::int16_t(-1)));
    EXPECT_VB_ERROR(6, call("CByte", std::int16_t(256)));
    EXPECT_VB_ERROR(13, call("CLng", "abc"));
    EXPECT_VB_ERROR(13, call("CBool", "yes"));
    EXPECT_VB_ERROR(13, call("CDate", "not a date"));
    EXPECT_VB_ERROR(13, call("CDbl", array({Variant(1.0)})));
}

TEST(ConversionFunctions, HexAndOctKeepTheArgumentsWidth)
{
    EXPECT_EQ("FF", str(call("Hex", std::int16_t(255))));
    EXPECT_EQ("FFFF", str(call("Hex", std::int16_t(-1))));
    EXPECT_EQ("FFFFFFFF", str(call("Hex", std::int32_t(-1))));
    EXPECT_EQ("FFFF8000", str(call("Hex", std::int32_t(-32768))));
    EXPECT_EQ("10000", str(call("Hex", std::int32_t(65536))));
    EXPECT_EQ("0", str(call("Hex", Variant())));
    EXPECT_EQ("A", str(call("Hex", 10.4)));
    EXPECT_EQ("177777", str(call("Oct", std::int16_t(-1))));
    EXPECT_EQ("37777777777", str(call("Oct", std::int32_t(-1))));
    EXPECT_EQ("10", str(call("Oct", std::int16_t(8))));
    EXPECT_TRUE(call("Hex", Variant::null()).isNull());
    EXPECT_TRUE(call("Oct", Variant::null()).isNull());
    EXPECT_VB_ERROR(6, call("Hex", 1e12));
}

TEST(ConversionFunctions, FixIntAbsKeepSubtype)
{
    EXPECT_EQ(-2.0, call("Fix", -2.5).doubleValue());
    EXPECT_EQ(-3.0, call("Int", -2.5).doubleValue());
    EXPECT_EQ(2.0, call("Int", 2.9).doubleValue());
    EXPECT_EQ(vb::vbInteger, call("Int", std::int16_t(5)).type());
    EXPECT_EQ(vb::vbLong, call("Fix", std::int32_t(5)).type());
    EXPECT_EQ(vb::vbSingle, call("Int", 2.5f).type());
    EXPECT_EQ(vb::vbDouble, call("Int", "2.5").type());
    EXPECT_EQ(vb::vbCurrency, call("Fix", vb::Currency{-25000}).type());
    EXPECT_EQ(-20000, call("Fix", vb::Currency{-25000}).currencyValue().scaled);
    EXPECT_EQ(vb::vbDate, call("Int", vb::Date{100.75}).type());
    EXPECT_EQ(5, call("Abs", std::int16_t(-5)).integerValue());
    EXPECT_EQ(1, call("Abs", true).integerValue());
    EXPECT_EQ(2.5, call("Abs", "-2.5").doubleValue());
    EXPECT_VB_ERROR(6, call("Abs", std::int16_t(-32768)));
    EXPECT_TRUE(call("Fix", Variant::null()).isNull());
    EXPECT_TRUE(call("Int", Variant::null()).isNull());
    EXPECT_TRUE(call("Abs", Variant::null()).isNull());
    EXPECT_EQ(0, call("Int", Variant()).integerValue());
}

TEST(ConversionFunctions, SgnGivesAnInteger)
{
    EXPECT_EQ(-1, call("Sgn", -0.5).integerValue());
    EXPECT_EQ(0, call("Sgn", std::int16_t(0)).integerValue());
    EXPECT_EQ(1, call("Sgn", "3").integerValue());
    EXPECT_EQ(vb::vbInteger, call("Sgn", 7.0).type());
    EXPECT_VB_ERROR(13, call("Sgn", "x"));
}

TEST(ConversionFunctions, RoundHalvesToEvenAtTheDigit)
{
    EXPECT_EQ(2.0, call("Round", 2.5).doubleValue());
    EXPECT_EQ(4.0, call("Round", 3.5).doubleValue());
    EXPECT_EQ(-2.0, call("Round", -2.5).doubleValue());
    EXPECT_EQ(0.0, call("Round", 0.5).doubleValue());
    EXPECT_EQ(1.23, call("Round", 1.2345, std::int16_t(2)).doubleValue());
    EXPECT_EQ(1.24, call("Round", 1.235, std::int16_t(2)).doubleValue());
    EXPECT_EQ(1.24, call("Round", 1.245, std::int16_t(2)).doubleValue());
    EXPECT_EQ(2.68, call("Round", 2.675, std::int16_t(2)).doubleValue()); // as written, not as stored
    EXPECT_EQ(0.3, call("Round", 0.1 + 0.2, std::int16_t(2)).doubleValue());
    EXPECT_EQ(10.0, call("Round", 9.96, std::int16_t(1)).doubleValue());
    EXPECT_EQ(1e20, call("Round", 1e20).doubleValue());
    EXPECT_EQ(vb::vbInteger, call("Round", std::int16_t(7)).type());
    EXPECT_EQ(vb::vbDouble, call("Round", "2.5").type());
    EXPECT_FALSE(std::signbit(call("Round", -0.4).doubleValue()));
    EXPECT_TRUE(call("Round", Variant::null()).isNull());
    EXPECT_VB_ERROR(5, call("Round", 1.5, std::int16_t(-1)));
}
