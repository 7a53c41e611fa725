#include "automation/Conversions.h"
#include "automation/DateTime.h"
#include "automation/Error.h"

#include <gtest/gtest.h>

using namespace vb;

TEST(GeneralDate, FormatsInOneForm)
{
    const Date d = makeDate(dateSerial(2026, 12, 7).serial, timeSerial(19, 5, 9));
    EXPECT_EQ(formatGeneralDate(d), "12/7/2026 7:05:09 PM");
    EXPECT_EQ(formatGeneralDate(dateSerial(2026, 12, 7)), "12/7/2026");
    EXPECT_EQ(formatGeneralDate(Date{timeSerial(0, 0, 1)}), "12:00:01 AM");
    EXPECT_EQ(formatGeneralDate(Date{0}), "12:00:00 AM");
    EXPECT_EQ(formatGeneralDate(Date{timeSerial(12, 30, 0)}), "12:30:00 PM");
    EXPECT_EQ(CStr(Variant(dateSerial(1999, 1, 31))), "1/31/1999");
}

TEST(GeneralDate, OleDayNumbers)
{
    EXPECT_EQ(dateSerial(1899, 12, 30).serial, 0);
    EXPECT_EQ(dateSerial(1900, 1, 1).serial, 2);
    EXPECT_EQ(dateSerial(2000, 1, 1).serial, 36526);
    EXPECT_EQ(dateSerial(2026, 13, 1).serial, dateSerial(2027, 1, 1).serial);
    EXPECT_EQ(dateSerial(2026, 3, 0).serial, dateSerial(2026, 2, 28).serial);
    // Before the zero date the time fraction still counts forward: -1.25 is 29 Dec 1899 6:00.
    const DateParts p = splitDate(Date{-1.25});
    EXPECT_EQ(p.day, 29);
    EXPECT_EQ(p.hour, 6);
    EXPECT_EQ(weekdayOf(dateSerial(2026, 12, 7)), 2); // a Monday
    // Half a second before midnight before the zero date rounds into the next day.
    const DateParts late = splitDate(Date{-1.9999999});
    EXPECT_EQ(late.day, 30);
    EXPECT_EQ(late.month, 12);
    EXPECT_EQ(late.hour, 0);
}

TEST(GeneralDate, RoundTripsThroughText)
{
    for (double serial : {0.0, 1.5, 36526.25, 46363.795243055555, -400.75, 2958465.0}) {
        const Date d{serial};
        auto back = parseDate(formatGeneralDate(d));
        ASSERT_TRUE(back.has_value()) << formatGeneralDate(d);
        EXPECT_EQ(formatGeneralDate(*back), formatGeneralDate(d));
    }
}

TEST(DateParsing, AcceptsCommonForms)
{
    const double dec7 = dateSerial(2026, 12, 7).serial;
    EXPECT_EQ(parseDate("12/7/2026")->serial, dec7);
    EXPECT_EQ(parseDate("2026-12-07")->serial, dec7);
    EXPECT_EQ(parseDate("December 7, 2026")->serial, dec7);
    EXPECT_EQ(parseDate("7 Dec 2026")->serial, dec7);
    EXPECT_DOUBLE_EQ(parseDate("12/7/2026 7:05:09 PM")->serial, dec7 + timeSerial(19, 5, 9));
    EXPECT_DOUBLE_EQ(parseDate("19:05")->serial, timeSerial(19, 5, 0));
    EXPECT_DOUBLE_EQ(parseDate("12:00 AM")->serial, 0.0);
    EXPECT_EQ(parseDate("1/1/30")->serial, dateSerial(1930, 1, 1).serial);
    EXPECT_EQ(parseDate("1/1/29")->serial, dateSerial(2029, 1, 1).serial);
}

TEST(DateParsing, RejectsNonDates)
{
    EXPECT_FALSE(parseDate(""));
    EXPECT_FALSE(parseDate("hello"));
    EXPECT_FALSE(parseDate("2/30/2026"));
    EXPECT_FALSE(parseDate("25:00"));
    EXPECT_FALSE(parseDate("13 PM"));
    EXPECT_FALSE(parseDate("5"));
    EXPECT_FALSE(IsDate(Variant("8")));
    EXPECT_TRUE(IsDate(Variant("12/7/2026")));
}

// Each shape the date reader knows, with the reading it gives: a month word before or
// after the numbers, a weekday to skip, day and month swapped when the first number
// cannot be a month (but not in dotted dates), a time in any place.
TEST(DateParsing, ReadsEachShapeOfDateAndTime)
{
    const double dec7 = dateSerial(2026, 12, 7).serial;
    EXPECT_EQ(parseDate("December 2026")->serial, dateSerial(2026, 12, 1).serial);
    EXPECT_EQ(parseDate("2026 December 7")->serial, dec7);
    EXPECT_EQ(parseDate("Monday, December 7, 2026")->serial, dec7);
    EXPECT_EQ(parseDate("Mon 12/7/2026")->serial, dec7);
    EXPECT_EQ(parseDate("Dec 7")->serial, dateSerial(splitDate(now()).year, 12, 7).serial);
    EXPECT_EQ(parseDate("12/7")->serial, dateSerial(splitDate(now()).year, 12, 7).serial);
    EXPECT_EQ(parseDate("25/12/2026")->serial, dateSerial(2026, 12, 25).serial);
    EXPECT_EQ(parseDate("12/2026")->serial, dateSerial(2026, 12, 1).serial);
    EXPECT_EQ(parseDate("12/7/99")->serial, dateSerial(1999, 12, 7).serial);
    EXPECT_DOUBLE_EQ(parseDate("7 PM")->serial, timeSerial(19, 0, 0));
    EXPECT_DOUBLE_EQ(parseDate("1:02:03.75")->serial, timeSerial(1, 2, 3));
    EXPECT_DOUBLE_EQ(parseDate("7 Dec 2026 7 pm")->serial, dec7 + timeSerial(19, 0, 0));
    EXPECT_DOUBLE_EQ(parseDate("7:30 a 12/7/2026")->serial, dec7 + timeSerial(7, 30, 0));
    EXPECT_DOUBLE_EQ(parseDate("12:15 PM")->serial, timeSerial(12, 15, 0));
}

TEST(DateParsing, RejectsMalformedShapes)
{
    EXPECT_FALSE(parseDate("25.12.2026"));       // dotted: no swap, so month 25
    EXPECT_FALSE(parseDate("December May 2026")); // a second month word
    EXPECT_FALSE(parseDate("1:00 AM PM"));
    EXPECT_FALSE(parseDate("1:00 2:00"));         // two times
    EXPECT_FALSE(parseDate("1:"));                // no minutes: a date of one number
    EXPECT_FALSE(parseDate("1234567890"));        // more than nine digits
    EXPECT_FALSE(parseDate("12/7/2026 @"));
    EXPECT_FALSE(parseDate("0099-01-01"));        // year below 100
    EXPECT_FALSE(parseDate("1/2/3/4"));
    EXPECT_FALSE(parseDate("December"));
    EXPECT_FALSE(parseDate("7:60"));
    EXPECT_FALSE(parseDate("PM"));
}
