// Date and time functions on OLE dates: Now, Date, Time, Timer, Year ... Second,
// Weekday, DateAdd, DateDiff, DatePart, DateSerial, TimeSerial, DateValue, TimeValue,
// MonthName, WeekdayName and FormatDateTime (en-US forms).
#include "Arguments.h"
#include "Families.h"
#include "vbscript/text/Locale.h"
#include "vbscript/base/LocalClock.h"

#include "automation/Conversions.h"
#include "automation/DateTime.h"
#include "automation/Error.h"
#include "automation/TextCompare.h"

#include <array>
#include <cmath>
#include <optional>

namespace vbscript::builtins {

namespace {

using vb::Args;
using vb::Variant;

constexpr std::int64_t kSecondsPerDay = 86400;
// 1 January 100 and 31 December 9999 as day numbers.
constexpr std::int64_t kFirstDay = -657434;
constexpr std::int64_t kLastDay = 2958465;

[[noreturn]] void invalidArgument()
{
    vb::raiseError(vb::err::InvalidProcedureCall);
}

// The date argument, or nothing when it is Null.
std::optional<vb::Date> dateArg(Args args, std::size_t i)
{
    const Variant v = valueArg(args, i);
    if (v.isNull())
        return std::nullopt;
    return scriptDate(v);
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

// Dates on a straight time line: seconds since the zero date. OLE dates before the
// zero date count their time forward from midnight, so they need this care.
std::int64_t linearSeconds(vb::Date d)
{
    const auto day = static_cast<std::int64_t>(vb::dayNumberOf(d));
    const auto seconds = static_cast<std::int64_t>(std::llround(vb::timeFractionOf(d) * kSecondsPerDay));
    return day * kSecondsPerDay + seconds;
}

vb::Date fromLinearSeconds(std::int64_t seconds)
{
    const std::int64_t day = floorDiv(seconds, kSecondsPerDay);
    if (day < kFirstDay || day > kLastDay)
        invalidArgument();
    const std::int64_t rest = seconds - day * kSecondsPerDay;
    return vb::makeDate(static_cast<double>(day), static_cast<double>(rest) / kSecondsPerDay);
}

// The calendar day a date falls on, as a day number.
std::int64_t calendarDay(vb::Date d)
{
    return floorDiv(linearSeconds(d), kSecondsPerDay);
}

// 1 ... 7 counted from the first day of the week (1 = Sunday ... 7 = Saturday).
int weekdayFrom(std::int64_t dayNumber, int firstDayOfWeek)
{
    // Day 0 (30 December 1899) was a Saturday.
    const int sundayBased = static_cast<int>(((dayNumber + 6) % 7 + 7) % 7) + 1;
    return (sundayBased - firstDayOfWeek + 7) % 7 + 1;
}

int daysInMonth(int year, int month)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0))
        return 29;
    return kDays[month - 1];
}

std::int64_t dayNumber(int year, int month, int day)
{
    return static_cast<std::int64_t>(vb::dateSerial(year, month, day).serial);
}

enum class Interval { Year, Quarter, Month, DayOfYear, Day, Weekday, Week, Hour, Minute, Second };

struct IntervalName {
    std::string_view name;
    Interval interval;
};
constexpr std::array<IntervalName, 10> kIntervals = {{
    {"yyyy", Interval::Year},
    {"q", Interval::Quarter},
    {"m", Interval::Month},
    {"y", Interval::DayOfYear},
    {"d", Interval::Day},
    {"w", Interval::Weekday},
    {"ww", Interval::Week},
    {"h", Interval::Hour},
    {"n", Interval::Minute},
    {"s", Interval::Second},
}};

Interval intervalArg(Args args, std::size_t i)
{
    const std::string name = stringArg(args, i);
    for (const IntervalName& entry : kIntervals) {
        if (vb::equalsIgnoreCase(entry.name, name))
            return entry.interval;
    }
    invalidArgument();
}

// The firstweekofyear argument: 1 (vbFirstJan1, also for 0 and when omitted), 2
// (vbFirstFourDays) or 3 (vbFirstFullWeek).
int firstWeekOfYearArg(Args args, std::size_t i)
{
    const std::int32_t v = longArg(args, i, 0);
    if (v < 0 || v > 3)
        invalidArgument();
    return v == 0 ? 1 : v;
}

vb::Date addMonths(vb::Date d, std::int64_t months)
{
    const vb::DateParts p = vb::splitDate(d);
    const std::int64_t total = static_cast<std::int64_t>(p.year) * 12 + (p.month - 1) + months;
    const std::int64_t year = floorDiv(total, 12);
    if (year < 100 || year > 9999)
        invalidArgument();
    const int month = static_cast<int>(total - year * 12) + 1;
    const int day = std::min(p.day, daysInMonth(static_cast<int>(year), month));
    const std::int64_t seconds = linearSeconds(d) - floorDiv(linearSeconds(d), kSecondsPerDay) * kSecondsPerDay;
    return fromLinearSeconds(dayNumber(static_cast<int>(year), month, day) * kSecondsPerDay + seconds);
}

Variant DateAdd(BuiltinContext&, Args args)
{
    const Interval interval = intervalArg(args, 0);
    const double number = std::trunc(doubleArg(args, 1));
    const std::optional<vb::Date> d = dateArg(args, 2);
    if (!d)
        return Variant::null();
    // Beyond this many seconds no result can lie in the years 100 to 9999.
    if (std::fabs(number) > 4e11)
        invalidArgument();
    const auto n = static_cast<std::int64_t>(number);
    switch (interval) {
    case Interval::Year: return addMonths(*d, n * 12);
    case Interval::Quarter: return addMonths(*d, n * 3);
    case Interval::Month: return addMonths(*d, n);
    case Interval::DayOfYear:
    case Interval::Day:
    case Interval::Weekday: return fromLinearSeconds(linearSeconds(*d) + n * kSecondsPerDay);
    case Interval::Week: return fromLinearSeconds(linearSeconds(*d) + n * 7 * kSecondsPerDay);
    case Interval::Hour: return fromLinearSeconds(linearSeconds(*d) + n * 3600);
    case Interval::Minute: return fromLinearSeconds(linearSeconds(*d) + n * 60);
    case Interval::Second: return fromLinearSeconds(linearSeconds(*d) + n);
    }
    invalidArgument();
}

Variant longResult(std::int64_t v)
{
    if (v < INT32_MIN || v > INT32_MAX)
        vb::raiseError(vb::err::Overflow);
    return static_cast<std::int32_t>(v);
}

// DateDiff counts the interval boundaries crossed between the two dates; "w" counts
// whole weeks, "ww" the first days of the week up to and including date2.
Variant DateDiff(BuiltinContext&, Args args)
{
    const Interval interval = intervalArg(args, 0);
    const int firstDay = firstDayOfWeekArg(args, 3);
    firstWeekOfYearArg(args, 4);
    const std::optional<vb::Date> d1 = dateArg(args, 1);
    const std::optional<vb::Date> d2 = dateArg(args, 2);
    if (!d1 || !d2)
        return Variant::null();
    const vb::DateParts p1 = vb::splitDate(*d1);
    const vb::DateParts p2 = vb::splitDate(*d2);
    const std::int64_t s1 = linearSeconds(*d1);
    const std::int64_t s2 = linearSeconds(*d2);
    const std::int64_t day1 = floorDiv(s1, kSecondsPerDay);
    const std::int64_t day2 = floorDiv(s2, kSecondsPerDay);
    switch (interval) {
    case Interval::Year: return longResult(p2.year - p1.year);
    case Interval::Quarter: return longResult((p2.year * 4 + (p2.month - 1) / 3) - (p1.year * 4 + (p1.month - 1) / 3));
    case Interval::Month: return longResult((p2.year * 12 + p2.month) - (p1.year * 12 + p1.month));
    case Interval::DayOfYear:
    case Interval::Day: return longResult(day2 - day1);
    case Interval::Weekday: return longResult((day2 - day1) / 7);
    case Interval::Week: {
        const std::int64_t start1 = day1 - (weekdayFrom(day1, firstDay) - 1);
        const std::int64_t start2 = day2 - (weekdayFrom(day2, firstDay) - 1);
        return longResult((start2 - start1) / 7);
    }
    case Interval::Hour: return longResult(floorDiv(s2, 3600) - floorDiv(s1, 3600));
    case Interval::Minute: return longResult(floorDiv(s2, 60) - floorDiv(s1, 60));
    case Interval::Second: return longResult(s2 - s1);
    }
    invalidArgument();
}

int weekOfYear(int year, std::int64_t day, int firstDay, int firstWeek)
{
    const std::int64_t jan1 = dayNumber(year, 1, 1);
    const int offset = weekdayFrom(jan1, firstDay) - 1; // days of the old year in Jan 1's week
    std::int64_t week1 = jan1 - offset;
    if (firstWeek == 2 && 7 - offset < 4)
        week1 += 7;
    else if (firstWeek == 3 && offset != 0)
        week1 += 7;
    if (day < week1)
        return year > 100 ? weekOfYear(year - 1, day, firstDay, firstWeek) : 1;
    return static_cast<int>((day - week1) / 7) + 1;
}

Variant DatePart(BuiltinContext&, Args args)
{
    const Interval interval = intervalArg(args, 0);
    const int firstDay = firstDayOfWeekArg(args, 2);
    const int firstWeek = firstWeekOfYearArg(args, 3);
    const std::optional<vb::Date> d = dateArg(args, 1);
    if (!d)
        return Variant::null();
    const vb::DateParts p = vb::splitDate(*d);
    const std::int64_t day = calendarDay(*d);
    int part = 0;
    switch (interval) {
    case Interval::Year: part = p.year; break;
    case Interval::Quarter: part = (p.month - 1) / 3 + 1; break;
    case Interval::Month: part = p.month; break;
    case Interval::DayOfYear: part = static_cast<int>(day - dayNumber(p.year, 1, 1)) + 1; break;
    case Interval::Day: part = p.day; break;
    case Interval::Weekday: part = weekdayFrom(day, firstDay); break;
    case Interval::Week: part = weekOfYear(p.year, day, firstDay, firstWeek); break;
    case Interval::Hour: part = p.hour; break;
    case Interval::Minute: part = p.minute; break;
    case Interval::Second: part = p.second; break;
    }
    return static_cast<std::int16_t>(part);
}

// Year, Month, Day, Hour, Minute, Second: Null gives Null.
template <int vb::DateParts::*Field>
Variant datePart(BuiltinContext&, Args args)
{
    const std::optional<vb::Date> d = dateArg(args, 0);
    if (!d)
        return Variant::null();
    return static_cast<std::int16_t>(vb::splitDate(*d).*Field);
}

Variant Weekday(BuiltinContext&, Args args)
{
    const int firstDay = firstDayOfWeekArg(args, 1);
    const std::optional<vb::Date> d = dateArg(args, 0);
    if (!d)
        return Variant::null();
    return static_cast<std::int16_t>(weekdayFrom(calendarDay(*d), firstDay));
}

Variant Now(BuiltinContext&, Args)
{
    return vb::now();
}

Variant Date(BuiltinContext&, Args)
{
    return vb::Date{vb::dayNumberOf(vb::now())};
}

Variant Time(BuiltinContext&, Args)
{
    return vb::Date{vb::timeFractionOf(vb::now())};
}

Variant Timer(BuiltinContext&, Args)
{
    return static_cast<float>(std::round(secondsSinceMidnight() * 100.0) / 100.0);
}

// DateSerial(year, month, day): months and days outside their range roll over; years
// 0 to 29 are 2000 to 2029, 30 to 99 are 1930 to 1999.
Variant DateSerial(BuiltinContext&, Args args)
{
    const std::int32_t year = longArg(args, 0);
    const std::int32_t month = longArg(args, 1);
    const std::int32_t day = longArg(args, 2);
    return vb::dateSerial(year, month, day);
}

// TimeSerial(hour, minute, second): the time as a fraction of a day; values roll over.
Variant TimeSerial(BuiltinContext&, Args args)
{
    const std::int64_t total = static_cast<std::int64_t>(longArg(args, 0)) * 3600
        + static_cast<std::int64_t>(longArg(args, 1)) * 60 + longArg(args, 2);
    const double serial = static_cast<double>(total) / kSecondsPerDay;
    if (serial < kFirstDay || serial > kLastDay + 1)
        invalidArgument();
    return vb::Date{serial};
}

Variant DateValue(BuiltinContext&, Args args)
{
    // DateValue reads a date text (or takes a date); a number is no date text.
    const Variant v = valueArg(args, 0);
    if (!v.isString() && !v.isNull() && !v.isEmpty() && v.type() != vb::vbDate)
        vb::raiseError(vb::err::TypeMismatch);
    const std::optional<vb::Date> d = dateArg(args, 0);
    if (!d)
        vb::raiseError(vb::err::InvalidUseOfNull);
    return vb::Date{vb::dayNumberOf(*d)};
}

Variant TimeValue(BuiltinContext&, Args args)
{
    const std::optional<vb::Date> d = dateArg(args, 0);
    if (!d)
        vb::raiseError(vb::err::InvalidUseOfNull);
    return vb::Date{vb::timeFractionOf(*d)};
}

Variant MonthName(BuiltinContext&, Args args)
{
    // A Null abbreviate is refused (94) before the month is read.
    const bool abbreviate = boolArg(args, 1, false);
    const std::int32_t month = longArg(args, 0);
    if (month < 1 || month > 12)
        invalidArgument();
    const Locale& locale = scriptLocale();
    return std::string(abbreviate ? locale.shortMonths[month - 1] : locale.months[month - 1]);
}

// WeekdayName(weekday[, abbreviate[, firstdayofweek]]): weekday counts from firstdayofweek.
Variant WeekdayName(BuiltinContext&, Args args)
{
    const std::int32_t weekday = longArg(args, 0);
    const bool abbreviate = boolArg(args, 1, false);
    const int firstDay = firstDayOfWeekArg(args, 2);
    if (weekday < 1 || weekday > 7)
        invalidArgument();
    const Locale& locale = scriptLocale();
    const int day = (weekday - 1 + firstDay - 1) % 7;
    return std::string(abbreviate ? locale.shortDays[day] : locale.days[day]);
}

std::string twoDigits(int v)
{
    return (v < 10 ? "0" : "") + std::to_string(v);
}

// The long date: "Tuesday, March 05, 2024" in en-US; day before month elsewhere
// ("Dienstag, 5. März 2024", "mardi 5 mars 2024").
std::string longDate(vb::Date d, const Locale& locale)
{
    const vb::DateParts p = vb::splitDate(d);
    std::string year = std::to_string(p.year);
    year.insert(0, year.size() < 4 ? 4 - year.size() : 0, '0');
    const std::string weekday(locale.days[static_cast<std::size_t>(weekdayFrom(calendarDay(d), 1) - 1)]);
    const std::string month(locale.months[static_cast<std::size_t>(p.month - 1)]);
    switch (locale.lcid) {
    case kDefaultLocale: return weekday + ", " + month + " " + twoDigits(p.day) + ", " + year;
    case 1031: return weekday + ", " + std::to_string(p.day) + ". " + month + " " + year;
    case 2057: return twoDigits(p.day) + " " + month + " " + year;
    default: return weekday + " " + std::to_string(p.day) + " " + month + " " + year;
    }
}

std::string shortTime(vb::Date d)
{
    const vb::DateParts p = vb::splitDate(d);
    return twoDigits(p.hour) + ":" + twoDigits(p.minute);
}

// FormatDateTime(date[, format]): vbGeneralDate (0), vbLongDate (1), vbShortDate (2),
// vbLongTime (3), vbShortTime (4).
Variant FormatDateTime(BuiltinContext&, Args args)
{
    // Null has no text to format: a type mismatch.
    if (valueArg(args, 0).isNull())
        vb::raiseError(vb::err::TypeMismatch);
    const vb::Date d = scriptDate(valueArg(args, 0));
    const Locale& locale = scriptLocale();
    switch (longArg(args, 1, 0)) {
    case 0: return localeGeneralDate(d, locale);
    case 1: return longDate(d, locale);
    case 2: return localeShortDate(d, locale);
    case 3: return localeLongTime(d, locale);
    case 4: return shortTime(d);
    default: invalidArgument();
    }
}

constexpr std::array kFunctions = {
    BuiltinFunction{"Date", 0, 0, &Date},
    BuiltinFunction{"DateAdd", 3, 3, &DateAdd},
    BuiltinFunction{"DateDiff", 3, 5, &DateDiff},
    BuiltinFunction{"DatePart", 2, 4, &DatePart},
    BuiltinFunction{"DateSerial", 3, 3, &DateSerial},
    BuiltinFunction{"DateValue", 1, 1, &DateValue},
    BuiltinFunction{"Day", 1, 1, &datePart<&vb::DateParts::day>},
    BuiltinFunction{"FormatDateTime", 1, 2, &FormatDateTime},
    BuiltinFunction{"Hour", 1, 1, &datePart<&vb::DateParts::hour>},
    BuiltinFunction{"Minute", 1, 1, &datePart<&vb::DateParts::minute>},
    BuiltinFunction{"Month", 1, 1, &datePart<&vb::DateParts::month>},
    BuiltinFunction{"MonthName", 1, 2, &MonthName},
    BuiltinFunction{"Now", 0, 0, &Now},
    BuiltinFunction{"Second", 1, 1, &datePart<&vb::DateParts::second>},
    BuiltinFunction{"Time", 0, 0, &Time},
    BuiltinFunction{"Timer", 0, 0, &Timer},
    BuiltinFunction{"TimeSerial", 3, 3, &TimeSerial},
    BuiltinFunction{"TimeValue", 1, 1, &TimeValue},
    BuiltinFunction{"Weekday", 1, 2, &Weekday},
    BuiltinFunction{"WeekdayName", 1, 3, &WeekdayName},
    BuiltinFunction{"Year", 1, 1, &datePart<&vb::DateParts::year>},
};

} // namespace

std::span<const BuiltinFunction> dateFunctions()
{
    return kFunctions;
}

} // namespace vbscript::builtins
