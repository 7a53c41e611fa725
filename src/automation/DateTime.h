// Dates as VB keeps them: the OLE day number (days since 30 December 1899; the
// fraction is the time of day, and for days before that date the fraction still
// counts forward from midnight).
//
// The one general date format of the program is the en-US form
// "12/7/2026 7:05:09 PM": the date alone when the time is midnight, the time alone
// when the date is the zero date. Every place that writes or reads a date uses
// formatGeneralDate and parseDate.
#pragma once

#include "Variant.h"

#include <optional>
#include <string>
#include <string_view>

namespace vb {

struct DateParts {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Builds a date from its parts; months and days outside their range roll over as in
// DateSerial (month 13 is January of the next year, day 0 the last day of the previous
// month). Raises 5 when the result lies outside the years 100 to 9999.
Date dateSerial(int year, int month, int day);
// A time of day as a fraction of a day; hours, minutes and seconds may roll over.
double timeSerial(int hour, int minute, int second);
// Combines a whole day number and a time fraction the way OLE dates encode them.
Date makeDate(double dayNumber, double timeFraction);

// The parts of a date, with the time rounded to the nearest second.
DateParts splitDate(Date d);

// The whole-day part and the time fraction (0 <= fraction < 1) of a date.
double dayNumberOf(Date d);
double timeFractionOf(Date d);

// The current local date and time, to the second.
Date now();

// "12/7/2026 7:05:09 PM", "12/7/2026" or "7:05:09 PM".
std::string formatGeneralDate(Date d);
// The date part alone ("12/7/2026") and the time part alone ("7:05:09 PM").
std::string formatShortDate(Date d);
std::string formatLongTime(Date d);

// Reads a date and/or time in the forms users type: "12/7/2026 7:05:09 PM",
// "12/7/2026", "2026-12-07", "7:05 PM", "19:05:09", "December 7, 2026", "7 Dec 2026",
// "Dec 7 2026 10:00". Returns nothing when the text is not a date.
std::optional<Date> parseDate(std::string_view text);

// Month and weekday names in English.
std::string_view monthName(int month, bool abbreviate = false);
std::string_view weekdayName(int weekday, bool abbreviate = false); // 1 = Sunday

// 1 = Sunday ... 7 = Saturday.
int weekdayOf(Date d);

} // namespace vb
