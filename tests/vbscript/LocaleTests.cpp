// SetLocale: numbers, money and dates as the chosen locale writes and reads them,
// for this engine's scripts only.
#include "ScriptTest.h"

#include "automation/DateTime.h"

using vbtest::ScriptTest;

namespace {

class Locales : public ScriptTest {
protected:
    void TearDown() override { control.AddCode("SetLocale 1033"); }
};

TEST_F(Locales, SetLocaleReturnsTheOneBefore)
{
    EXPECT_EQ(out("Out.Echo GetLocale(), SetLocale(), SetLocale(1031), GetLocale(), SetLocale(\"fr-FR\"), GetLocale()"),
              "1033 1033 1033 1031 1031 1036");
    EXPECT_EQ(out("x = SetLocale(0) : Out.Echo GetLocale()"), "1033");
    EXPECT_EQ(errorOf("SetLocale 9999"), 447);
    EXPECT_EQ(errorOf("SetLocale \"xx-YY\""), 447);
}

TEST_F(Locales, NumbersAndMoney)
{
    EXPECT_EQ(out("SetLocale 1031 : Out.Echo CStr(1.5), FormatNumber(1234.5), FormatCurrency(1234.5)"),
              "1,5 1.234,50 1.234,50 \xE2\x82\xAC");
    // Text built with "&" and numbers read from text follow the locale too.
    EXPECT_EQ(out("SetLocale 1031 : s = \"x\" & 2.25 : Out.Echo s, CDbl(\"1,5\") * 2, \"1,5\" = 1.5"), "x2,25 3 True");
    EXPECT_EQ(out("SetLocale 1031 : Out.Echo \"1,5\" * 2, IsNumeric(\"1,5\"), IsNumeric(\"1,5x\")"), "3 True False");
    EXPECT_EQ(out("SetLocale 1033 : Out.Echo \"1,5\" * 2, IsNumeric(\"1.5\")"), "30 True");
    EXPECT_EQ(out("SetLocale 1043 : Out.Echo FormatCurrency(3.5), FormatNumber(-1234567.891, 1)"), "\xE2\x82\xAC 3,50 -1.234.567,9");
    EXPECT_EQ(out("SetLocale 2057 : Out.Echo CStr(0.5), FormatCurrency(2)"), "0.5 \xC2\xA3" "2.00");
    EXPECT_EQ(out("SetLocale 1036 : Out.Echo FormatNumber(1234567.891)"), "1\xC2\xA0" "234\xC2\xA0" "567,89");
}

TEST_F(Locales, DatesAndNames)
{
    const char* d = "d = DateSerial(2024, 3, 5) + TimeSerial(14, 7, 9)\n";
    EXPECT_EQ(out(std::string(d) + "SetLocale 1031 : Out.Echo CStr(d), MonthName(3), WeekdayName(1), WeekdayName(2, True)"),
              "05.03.2024 14:07:09 M\xC3\xA4rz Sonntag Mo");
    EXPECT_EQ(out(std::string(d) + "SetLocale 1031 : Out.Echo FormatDateTime(d, 1), FormatDateTime(d, 2), FormatDateTime(d, 3)"),
              "Dienstag, 5. M\xC3\xA4rz 2024 05.03.2024 14:07:09");
    EXPECT_EQ(out(std::string(d) + "SetLocale 2057 : Out.Echo CStr(d), FormatDateTime(d, 1)"), "05/03/2024 14:07:09 05 March 2024");
    EXPECT_EQ(out(std::string(d) + "SetLocale 1043 : Out.Echo CStr(d), MonthName(3, True)"), "5-3-2024 14:07:09 mrt");
    EXPECT_EQ(out(std::string(d) + "SetLocale 1036 : Out.Echo CStr(DateValue(d)), MonthName(2)"), "05/03/2024 f\xC3\xA9vrier");
    EXPECT_EQ(out(std::string(d) + "SetLocale 1033 : Out.Echo CStr(d)"), "3/5/2024 2:07:09 PM");
}

TEST_F(Locales, DatesAreReadTheLocalesWay)
{
    // Whatever a locale writes, it reads back: short and long forms, with the time.
    const std::string roundTrip =
        "d = DateSerial(2024, 2, 3) + TimeSerial(14, 5, 6)\n"
        "Out.Echo CDate(CStr(d)) = d, CDate(FormatDateTime(d, 1)) = DateValue(d), IsDate(CStr(d)), Month(CStr(d))";
    for (const char* lcid : {"1033", "2057", "1031", "1036", "1043"})
        EXPECT_EQ(out(std::string("SetLocale ") + lcid + "\n" + roundTrip), "True True True 2") << lcid;

    // Day first where the locale writes it so; names, ordinal dots and ISO dates.
    EXPECT_EQ(out("SetLocale 1031 : Out.Echo Month(\"03.02.2024\"), Day(\"3. Februar 2024\"), Month(\"Samstag, 3. M\xC3\xA4rz 2024\"),"
                  " Month(\"3.2.\"), Day(\"2024-02-03\")"),
              "2 3 3 2 3");
    EXPECT_EQ(out("SetLocale 2057 : Out.Echo Month(\"3/2/2024\"), Day(\"3/2/2024\")"), "2 3");
    EXPECT_EQ(out("SetLocale 1036 : Out.Echo Month(\"3 f\xC3\xA9vr. 2024\"), Month(\"1 ao\xC3\xBBt 2024\")"), "2 8");
    EXPECT_EQ(out("SetLocale 1043 : Out.Echo Month(\"3-2-2024\"), Month(\"3 mrt 2024\"), DateValue(\"3-2-2024 14:00\") = DateSerial(2024, 2, 3)"),
              "2 3 True");
    // en-US keeps month first.
    EXPECT_EQ(out("SetLocale 1033 : Out.Echo Month(\"3/2/2024\")"), "3");

    // What is no date stays no date.
    EXPECT_EQ(out("SetLocale 1031 : Out.Echo IsDate(\"31.02.2024\"), IsDate(\"Februar\"), IsDate(\"x.y.z\")"), "False False False");
    EXPECT_EQ(errorOf("SetLocale 1031 : x = CDate(\"31.02.2024\")"), 13);
}

TEST_F(Locales, EachEngineKeepsItsOwnAndTheProgramStaysEnUs)
{
    control.AddCode("SetLocale 1031");
    vbscript::ScriptControl other;
    EXPECT_EQ(vb::CStr(other.Eval("CStr(1.5)")), "1.5");
    EXPECT_EQ(vb::CStr(control.Eval("CStr(1.5)")), "1,5");
    // The program's own conversions (its files, its log) do not follow a script's locale.
    const vb::Variant date = control.Eval("DateSerial(2024, 3, 5) + TimeSerial(14, 7, 9)");
    EXPECT_EQ(vb::formatGeneralDate(date.dateValue()), "3/5/2024 2:07:09 PM");
    EXPECT_EQ(vb::CStr(vb::Variant(1.5)), "1.5");
}

} // namespace
