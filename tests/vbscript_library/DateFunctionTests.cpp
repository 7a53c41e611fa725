#include "LibraryTestSupport.h"

#include "automation/Conversions.h"
#include "automation/DateTime.h"

using namespace library_test;
using vb::Variant;

namespace {

// A date as the general date text, for readable expectations.
std::string text(const Variant& v)
{
    EXPECT_EQ(vb::vbDate, v.type());
    return vb::CStr(v);
}

constexpr std::int16_t kMonday = 2;
constexpr std::int16_t kFirstFourDays = 2;
constexpr std::int16_t kFirstFullWeek = 3;

} // namespace

TEST(DateFunctions, DateSerialRollsOver)
{
    EXPECT_EQ("12/7/2026", text(call("DateSerial", std::int16_t(2026), std::int16_t(12), std::int16_t(7))));
    EXPECT_EQ("1/1/2027", text(call("DateSerial", std::int16_t(2026), std::int16_t(13), std::int16_t(1))));
    EXPECT_EQ("2/28/2026", text(call("DateSerial", std::int16_t(2026), std::int16_t(3), std::int16_t(0))));
    EXPECT_EQ("12/1/2025", text(call("DateSerial", std::int16_t(2026), std::int16_t(0), std::int16_t(1))));
    EXPECT_EQ("1/1/1999", text(call("DateSerial", std::int16_t(99), std::int16_t(1), std::int16_t(1))));
    EXPECT_EQ("1/1/2029", text(call("DateSerial", std::int16_t(29), std::int16_t(1), std::int16_t(1))));
    EXPECT_VB_ERROR(5, call("DateSerial", std::int16_t(10000), std::int16_t(1), std::int16_t(1)));
    EXPECT_VB_ERROR(94, call("DateSerial", Variant::null(), std::int16_t(1), std::int16_t(1)));
}

TEST(DateFunctions, TimeSerialAndValues)
{
    EXPECT_EQ("5:45:00 AM", text(call("TimeSerial", std::int16_t(6), std::int16_t(-15), std::int16_t(0))));
    EXPECT_EQ("12:01:30 PM", text(call("TimeSerial", std::int16_t(12), std::int16_t(0), std::int16_t(90))));
    EXPECT_EQ("12/31/1899 1:00:00 AM", text(call("TimeSerial", std::int16_t(25), std::int16_t(0), std::int16_t(0))));
    EXPECT_EQ("12/7/2026", text(call("DateValue", "12/7/2026 7:05 PM")));
    EXPECT_EQ("7:05:00 PM", text(call("TimeValue", "12/7/2026 7:05 PM")));
    EXPECT_VB_ERROR(94, call("DateValue", Variant::null()));
    EXPECT_VB_ERROR(94, call("TimeValue", Variant::null()));
    EXPECT_VB_ERROR(13, call("DateValue", "no date"));
}

TEST(DateFunctions, PartsOfADate)
{
    const Variant d = call("CDate", "12/7/2026 7:05:09 PM");
    EXPECT_EQ(2026, call("Year", d).integerValue());
    EXPECT_EQ(vb::vbInteger, call("Year", d).type());
    EXPECT_EQ(12, call("Month", d).integerValue());
    EXPECT_EQ(7, call("Day", d).integerValue());
    EXPECT_EQ(19, call("Hour", d).integerValue());
    EXPECT_EQ(5, call("Minute", d).integerValue());
    EXPECT_EQ(9, call("Second", d).integerValue());
    EXPECT_EQ(2, call("Weekday", d).integerValue()); // a Monday
    EXPECT_EQ(1, call("Weekday", d, kMonday).integerValue());
    EXPECT_EQ(2, call("Weekday", d, std::int16_t(0)).integerValue()); // the system's Sunday
    EXPECT_EQ(2026, call("Year", "12/7/2026").integerValue());
    EXPECT_EQ(1899, call("Year", Variant()).integerValue());
    EXPECT_TRUE(call("Year", Variant::null()).isNull());
    EXPECT_TRUE(call("Weekday", Variant::null()).isNull());
    EXPECT_VB_ERROR(5, call("Weekday", d, std::int16_t(8)));
    EXPECT_VB_ERROR(13, call("Month", "x"));
}

TEST(DateFunctions, DateAddByInterval)
{
    EXPECT_EQ("2/28/2026", text(call("DateAdd", "m", std::int16_t(1), "1/31/2026")));
    EXPECT_EQ("2/29/2024", text(call("DateAdd", "m", std::int16_t(1), "1/31/2024")));
    EXPECT_EQ("2/28/2025", text(call("DateAdd", "yyyy", std::int16_t(1), "2/29/2024")));
    EXPECT_EQ("12/31/2025", text(call("DateAdd", "m", std::int16_t(-1), "1/31/2026")));
    EXPECT_EQ("4/30/2026", text(call("DateAdd", "q", std::int16_t(1), "1/31/2026")));
    EXPECT_EQ("2/1/2026", text(call("DateAdd", "d", std::int16_t(1), "1/31/2026")));
    EXPECT_EQ("2/1/2026", text(call("DateAdd", "y", std::int16_t(1), "1/31/2026")));
    EXPECT_EQ("2/1/2026", text(call("DateAdd", "w", std::int16_t(1), "1/31/2026")));
    EXPECT_EQ("2/7/2026", text(call("DateAdd", "ww", std::int16_t(1), "1/31/2026")));
    EXPECT_EQ("1/2/2026 11:00:00 AM", text(call("DateAdd", "h", std::int16_t(25), "1/1/2026 10:00")));
    EXPECT_EQ("1/1/2026 9:30:00 AM", text(call("DateAdd", "n", std::int16_t(-30), "1/1/2026 10:00")));
    EXPECT_EQ("1/1/2026 10:01:30 AM", text(call("DateAdd", "S", std::int16_t(90), "1/1/2026 10:00")));
    EXPECT_EQ("1/2/2026", text(call("DateAdd", "d", 1.9, "1/1/2026"))); // fractions are dropped
    EXPECT_EQ("3/15/2026 8:00:00 AM", text(call("DateAdd", "m", std::int16_t(2), "1/15/2026 8:00")));
    // Dates before the zero date count their time forward from midnight.
    EXPECT_EQ("12:30:00 AM", text(call("DateAdd", "h", std::int16_t(1), "12/29/1899 11:30 PM")));
    EXPECT_EQ("12/29/1899 11:30:00 PM", text(call("DateAdd", "n", std::int16_t(-60), "12/30/1899 12:30 AM")));
    EXPECT_TRUE(call("DateAdd", "d", std::int16_t(1), Variant::null()).isNull());
    EXPECT_VB_ERROR(5, call("DateAdd", "x", std::int16_t(1), "1/1/2026"));
    EXPECT_VB_ERROR(5, call("DateAdd", "yyyy", std::int16_t(10000), "1/1/2026"));
    EXPECT_VB_ERROR(94, call("DateAdd", "d", Variant::null(), "1/1/2026"));
}

TEST(DateFunctions, DateDiffCountsBoundaries)
{
    EXPECT_EQ(1, call("DateDiff", "d", "1/1/2026 23:00", "1/2/2026 01:00").longValue());
    EXPECT_EQ(vb::vbLong, call("DateDiff", "d", "1/1/2026", "1/2/2026").type());
    EXPECT_EQ(-31, call("DateDiff", "d", "2/1/2026", "1/1/2026").longValue());
    EXPECT_EQ(1, call("DateDiff", "h", "1/1/2026 1:59", "1/1/2026 2:00").longValue());
    EXPECT_EQ(1, call("DateDiff", "yyyy", "12/31/2025", "1/1/2026").longValue());
    EXPECT_EQ(1, call("DateDiff", "q", "3/31/2026", "4/1/2026").longValue());
    EXPECT_EQ(1, call("DateDiff", "m", "1/31/2026", "2/1/2026").longValue());
    EXPECT_EQ(90, call("DateDiff", "s", "1/1/2026 10:00", "1/1/2026 10:01:30").longValue());
    EXPECT_EQ(120, call("DateDiff", "n", "12/29/1899 11:00 PM", "12/30/1899 1:00 AM").longValue());
    // "w" counts whole weeks, "ww" the Sundays (or first days) after date1 up to date2.
    EXPECT_EQ(0, call("DateDiff", "w", "12/7/2026", "12/13/2026").longValue());
    EXPECT_EQ(1, call("DateDiff", "w", "12/7/2026", "12/14/2026").longValue());
    EXPECT_EQ(1, call("DateDiff", "ww", "12/6/2026", "12/13/2026").longValue());
    EXPECT_EQ(0, call("DateDiff", "ww", "12/7/2026", "12/12/2026").longValue());
    EXPECT_EQ(1, call("DateDiff", "ww", "12/6/2026", "12/7/2026", kMonday).longValue());
    EXPECT_EQ(0, call("DateDiff", "ww", "12/7/2026", "12/13/2026", kMonday).longValue());
    EXPECT_TRUE(call("DateDiff", "d", Variant::null(), "1/1/2026").isNull());
    EXPECT_VB_ERROR(6, call("DateDiff", "s", "1/1/100", "12/31/9999"));
    EXPECT_VB_ERROR(5, call("DateDiff", "dd", "1/1/2026", "1/2/2026"));
}

TEST(DateFunctions, DatePartWeeksAndDays)
{
    EXPECT_EQ(3, call("DatePart", "q", "8/15/2026").integerValue());
    EXPECT_EQ(32, call("DatePart", "y", "2/1/2026").integerValue());
    EXPECT_EQ(2, call("DatePart", "w", "12/7/2026").integerValue());
    EXPECT_EQ(1, call("DatePart", "w", "12/7/2026", kMonday).integerValue());
    EXPECT_EQ(1, call("DatePart", "ww", "1/1/2026").integerValue()); // a Thursday
    EXPECT_EQ(1, call("DatePart", "ww", "1/3/2026").integerValue());
    EXPECT_EQ(2, call("DatePart", "ww", "1/4/2026").integerValue());
    EXPECT_EQ(2, call("DatePart", "ww", "1/5/2026", kMonday, kFirstFourDays).integerValue());
    EXPECT_EQ(1, call("DatePart", "ww", "1/1/2026", kMonday, kFirstFourDays).integerValue());
    EXPECT_EQ(1, call("DatePart", "ww", "1/5/2026", kMonday, kFirstFullWeek).integerValue());
    EXPECT_EQ(52, call("DatePart", "ww", "1/1/2026", kMonday, kFirstFullWeek).integerValue());
    EXPECT_EQ(19, call("DatePart", "h", "12/7/2026 7:05:09 PM").integerValue());
    EXPECT_TRUE(call("DatePart", "d", Variant::null()).isNull());
    EXPECT_VB_ERROR(5, call("DatePart", "ww", "1/1/2026", kMonday, std::int16_t(4)));
}

TEST(DateFunctions, NamesAndFormats)
{
    EXPECT_EQ("December", str(call("MonthName", std::int16_t(12))));
    EXPECT_EQ("Jan", str(call("MonthName", std::int16_t(1), true)));
    EXPECT_EQ("Sunday", str(call("WeekdayName", std::int16_t(1))));
    EXPECT_EQ("Mon", str(call("WeekdayName", std::int16_t(1), true, kMonday)));
    EXPECT_EQ("Sunday", str(call("WeekdayName", std::int16_t(7), false, kMonday)));
    EXPECT_VB_ERROR(5, call("MonthName", std::int16_t(13)));
    EXPECT_VB_ERROR(5, call("WeekdayName", std::int16_t(0)));
    EXPECT_VB_ERROR(94, call("MonthName", Variant::null()));

    const Variant d = call("CDate", "12/7/2026 7:05:09 PM");
    EXPECT_EQ("12/7/2026 7:05:09 PM", str(call("FormatDateTime", d)));
    EXPECT_EQ("Monday, December 07, 2026", str(call("FormatDateTime", d, std::int16_t(1))));
    EXPECT_EQ("12/7/2026", str(call("FormatDateTime", d, std::int16_t(2))));
    EXPECT_EQ("7:05:09 PM", str(call("FormatDateTime", d, std::int16_t(3))));
    EXPECT_EQ("19:05", str(call("FormatDateTime", d, std::int16_t(4))));
    EXPECT_EQ("00:00", str(call("FormatDateTime", "12/7/2026", std::int16_t(4))));
    EXPECT_VB_ERROR(5, call("FormatDateTime", d, std::int16_t(5)));
    EXPECT_VB_ERROR(13, call("FormatDateTime", Variant::null()));
}

TEST(DateFunctions, TheClock)
{
    const Variant now = call("Now");
    const Variant today = call("Date");
    const Variant time = call("Time");
    EXPECT_EQ(vb::vbDate, now.type());
    EXPECT_EQ(vb::vbDate, today.type());
    EXPECT_EQ(vb::vbDate, time.type());
    EXPECT_EQ(0.0, vb::timeFractionOf(today.dateValue()));
    EXPECT_LT(time.dateValue().serial, 1.0);
    EXPECT_LE(today.dateValue().serial, now.dateValue().serial);
    const Variant timer = call("Timer");
    EXPECT_EQ(vb::vbSingle, timer.type());
    EXPECT_GE(timer.singleValue(), 0.0f);
    EXPECT_LE(timer.singleValue(), 86400.0f);
}
