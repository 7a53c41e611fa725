#include "LibraryTestSupport.h"

using namespace library_test;
using vb::Variant;

namespace {

constexpr std::int16_t kTrue = -1;
constexpr std::int16_t kFalse = 0;
constexpr std::int16_t kDefault = -2;

} // namespace

TEST(FormatFunctions, NumberDefaults)
{
    EXPECT_EQ("1,234.57", str(call("FormatNumber", 1234.567)));
    EXPECT_EQ("-1,234.57", str(call("FormatNumber", -1234.567)));
    EXPECT_EQ("0.50", str(call("FormatNumber", 0.5)));
    EXPECT_EQ("1,000,000.00", str(call("FormatNumber", std::int32_t(1000000))));
    EXPECT_EQ("0.00", str(call("FormatNumber", Variant())));
    EXPECT_EQ("0.13", str(call("FormatNumber", 0.125))); // halves away from zero
    EXPECT_EQ("-0.13", str(call("FormatNumber", -0.125)));
    EXPECT_EQ("0.00", str(call("FormatNumber", -0.001))); // no sign on a zero
    EXPECT_EQ("12.35", str(call("FormatNumber", "12.345")));
    EXPECT_EQ("100,000,000,000,000,000,000.00", str(call("FormatNumber", 1e20)));
}

TEST(FormatFunctions, NumberOptions)
{
    EXPECT_EQ("1,235", str(call("FormatNumber", 1234.567, std::int16_t(0))));
    EXPECT_EQ("1,234.5670", str(call("FormatNumber", 1234.567, std::int16_t(4))));
    EXPECT_EQ("1,234.57", str(call("FormatNumber", 1234.567, std::int16_t(-1))));
    EXPECT_EQ(".50", str(call("FormatNumber", 0.5, std::int16_t(2), kFalse)));
    EXPECT_EQ("-.50", str(call("FormatNumber", -0.5, std::int16_t(2), kFalse)));
    EXPECT_EQ("(1.50)", str(call("FormatNumber", -1.5, std::int16_t(2), kDefault, kTrue)));
    EXPECT_EQ("1234.57", str(call("FormatNumber", 1234.567, std::int16_t(2), kTrue, kFalse, kFalse)));
    EXPECT_EQ("1,234.57", str(call("FormatNumber", 1234.567, missing(), missing(), missing(), kDefault)));
    EXPECT_VB_ERROR(5, call("FormatNumber", 1.0, std::int16_t(-2)));
    EXPECT_VB_ERROR(13, call("FormatNumber", "abc"));
    EXPECT_VB_ERROR(13, call("FormatNumber", Variant::null()));
}

TEST(FormatFunctions, CurrencyAndPercent)
{
    EXPECT_EQ("$1,234.57", str(call("FormatCurrency", 1234.567)));
    EXPECT_EQ("-$1,234.57", str(call("FormatCurrency", -1234.567)));
    EXPECT_EQ("($1,234.57)", str(call("FormatCurrency", -1234.567, missing(), missing(), kTrue)));
    EXPECT_EQ("$0.99", str(call("FormatCurrency", vb::Currency{9900})));
    EXPECT_EQ("$1,235", str(call("FormatCurrency", 1234.567, std::int16_t(0))));
    EXPECT_EQ("12.50%", str(call("FormatPercent", 0.125)));
    EXPECT_EQ("-12.50%", str(call("FormatPercent", -0.125)));
    EXPECT_EQ("(12.5%)", str(call("FormatPercent", -0.125, std::int16_t(1), kDefault, kTrue)));
    EXPECT_EQ("150%", str(call("FormatPercent", 1.5, std::int16_t(0))));
    EXPECT_EQ("123,400.00%", str(call("FormatPercent", std::int16_t(1234))));
}
