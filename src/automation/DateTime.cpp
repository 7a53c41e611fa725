#include "DateTime.h"

#include "Error.h"
#include "TextCompare.h"

#include <array>
#include <cctype>
#include <cmath>
#include <ctime>
#include <vector>

namespace vb {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (Hinnant's algorithm).
long long daysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civilFromDays(long long z, int& y, int& m, int& d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long yy = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

// 1899-12-30 in days since 1970-01-01.
constexpr long long kOleEpoch = -25569;

constexpr std::array<std::string_view, 12> kMonths = {"January", "February", "March", "April", "May", "June",
    "July", "August", "September", "October", "November", "December"};
constexpr std::array<std::string_view, 7> kWeekdays = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday",
    "Friday", "Saturday"};

} // namespace

Date makeDate(double dayNumber, double timeFraction)
{
    // OLE dates before the zero date keep the time as a positive fraction beyond the day.
    if (dayNumber < 0)
        return Date{dayNumber - timeFraction};
    return Date{dayNumber + timeFraction};
}

double dayNumberOf(Date d)
{
    return std::trunc(d.serial);
}

double timeFractionOf(Date d)
{
    return std::fabs(d.serial - std::trunc(d.serial));
}

Date dateSerial(int year, int month, int day)
{
    if (year >= 0 && year < 30)
        year += 2000;
    else if (year >= 30 && year < 100)
        year += 1900;
    long long m0 = static_cast<long long>(month) - 1;
    long long y = year + (m0 >= 0 ? m0 / 12 : (m0 - 11) / 12);
    m0 = ((m0 % 12) + 12) % 12;
    const long long days = daysFromCivil(y, static_cast<unsigned>(m0 + 1), 1) + (day - 1) - kOleEpoch;
    if (days < -657434 || days > 2958465)
        raiseError(err::InvalidProcedureCall);
    return Date{static_cast<double>(days)};
}

double timeSerial(int hour, int minute, int second)
{
    const long long total = static_cast<long long>(hour) * 3600 + static_cast<long long>(minute) * 60 + second;
    return static_cast<double>(total) / 86400.0;
}

DateParts splitDate(Date d)
{
    double day = dayNumberOf(d);
    long long secs = std::llround(timeFractionOf(d) * 86400.0);
    if (secs >= 86400) {
        // Rounding reached midnight: the next calendar day, also before the zero date.
        secs -= 86400;
        day += 1;
    }
    DateParts p;
    civilFromDays(static_cast<long long>(day) + kOleEpoch, p.year, p.month, p.day);
    p.hour = static_cast<int>(secs / 3600);
    p.minute = static_cast<int>((secs / 60) % 60);
    p.second = static_cast<int>(secs % 60);
    return p;
}

int weekdayOf(Date d)
{
    const long long day = static_cast<long long>(dayNumberOf(d));
    // Day 0 (30 Dec 1899) was a Saturday.
    return static_cast<int>(((day + 6) % 7 + 7) % 7) + 1;
}

Date now()
{
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    const Date day = dateSerial(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    return makeDate(day.serial, timeSerial(local.tm_hour, local.tm_min, local.tm_sec));
}

std::string formatShortDate(Date d)
{
    const DateParts p = splitDate(d);
    return std::to_string(p.month) + "/" + std::to_string(p.day) + "/" + std::to_string(p.year);
}

std::string formatLongTime(Date d)
{
    const DateParts p = splitDate(d);
    const int h12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
    std::string out = std::to_string(h12) + ":";
    if (p.minute < 10)
        out += '0';
    out += std::to_string(p.minute) + ":";
    if (p.second < 10)
        out += '0';
    out += std::to_string(p.second);
    out += p.hour < 12 ? " AM" : " PM";
    return out;
}

std::string formatGeneralDate(Date d)
{
    const DateParts p = splitDate(d);
    const bool midnight = p.hour == 0 && p.minute == 0 && p.second == 0;
    const bool zeroDay = p.year == 1899 && p.month == 12 && p.day == 30;
    if (zeroDay)
        return formatLongTime(d);
    if (midnight)
        return formatShortDate(d);
    return formatShortDate(d) + " " + formatLongTime(d);
}

std::string_view monthName(int month, bool abbreviate)
{
    if (month < 1 || month > 12)
        raiseError(err::InvalidProcedureCall);
    std::string_view name = kMonths[month - 1];
    return abbreviate ? name.substr(0, 3) : name;
}

std::string_view weekdayName(int weekday, bool abbreviate)
{
    if (weekday < 1 || weekday > 7)
        raiseError(err::InvalidProcedureCall);
    std::string_view name = kWeekdays[weekday - 1];
    return abbreviate ? name.substr(0, 3) : name;
}

namespace {

struct Token {
    enum Kind { Number, Word, Sep } kind;
    std::string text;
    char sep = 0;
    long value = 0;
    int digits = 0;
};

int monthFromWord(std::string_view w)
{
    if (w.size() < 3)
        return 0;
    for (int i = 0; i < 12; ++i) {
        std::string_view full = kMonths[i];
        if (w.size() <= full.size() && equalsIgnoreCase(full.substr(0, w.size()), w))
            return i + 1;
    }
    return 0;
}

bool isWeekdayWord(std::string_view w)
{
    if (w.size() < 3)
        return false;
    for (std::string_view day : kWeekdays) {
        if (w.size() <= day.size() && equalsIgnoreCase(day.substr(0, w.size()), w))
            return true;
    }
    return false;
}

bool validDay(int y, int m, int d)
{
    if (m < 1 || m > 12 || d < 1)
        return false;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int max = kDays[m - 1];
    if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0))
        max = 29;
    return d <= max;
}

int expandYear(const Token& t)
{
    int y = static_cast<int>(t.value);
    if (t.digits <= 2)
        y += y < 30 ? 2000 : 1900;
    return y;
}

// Numbers (at most nine digits), words and the separators / - : . , of a date text;
// nothing when it holds anything else.
std::optional<std::vector<Token>> dateTextTokens(std::string_view text)
{
    std::vector<Token> tokens;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (std::isspace(c)) {
            ++i;
        } else if (std::isdigit(c)) {
            Token t{Token::Number, {}};
            while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
                t.text += text[i++];
                if (t.text.size() > 9)
                    return std::nullopt;
            }
            t.value = std::stol(t.text);
            t.digits = static_cast<int>(t.text.size());
            tokens.push_back(t);
        } else if (std::isalpha(c)) {
            Token t{Token::Word, {}};
            while (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i])))
                t.text += text[i++];
            tokens.push_back(t);
        } else if (c == '/' || c == '-' || c == ':' || c == '.' || c == ',') {
            Token t{Token::Sep, {}};
            t.sep = static_cast<char>(c);
            tokens.push_back(t);
            ++i;
        } else {
            return std::nullopt;
        }
    }
    return tokens;
}

struct TimeOfDay {
    int hour = -1; // -1: the text gives no time
    int minute = 0;
    int second = 0;
};

// Takes the time out of the tokens: numbers joined by ':' (h:mm[:ss]) with an optional
// AM/PM word, or a number followed by AM/PM. The tokens left over go to `dateTokens`.
// False when the time is malformed or out of range.
bool takeTimeOfDay(const std::vector<Token>& tokens, TimeOfDay& time, std::vector<Token>& dateTokens)
{
    int& hour = time.hour;
    bool pm = false, am = false;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.kind == Token::Number && i + 2 < tokens.size() && tokens[i + 1].kind == Token::Sep && tokens[i + 1].sep == ':') {
            if (hour >= 0 || tokens[i + 2].kind != Token::Number)
                return false;
            hour = static_cast<int>(t.value);
            time.minute = static_cast<int>(tokens[i + 2].value);
            i += 2;
            if (i + 2 < tokens.size() && tokens[i + 1].kind == Token::Sep && tokens[i + 1].sep == ':' && tokens[i + 2].kind == Token::Number) {
                time.second = static_cast<int>(tokens[i + 2].value);
                i += 2;
                // Fractions of a second are dropped.
                if (i + 2 < tokens.size() && tokens[i + 1].kind == Token::Sep && tokens[i + 1].sep == '.' && tokens[i + 2].kind == Token::Number)
                    i += 2;
            }
            continue;
        }
        if (t.kind == Token::Word && (equalsIgnoreCase(t.text, "AM") || equalsIgnoreCase(t.text, "A"))) {
            am = true;
            continue;
        }
        if (t.kind == Token::Word && (equalsIgnoreCase(t.text, "PM") || equalsIgnoreCase(t.text, "P"))) {
            pm = true;
            continue;
        }
        dateTokens.push_back(t);
    }
    if ((am || pm) && hour < 0) {
        // "7 PM": the last bare number before the marker is the hour.
        if (!dateTokens.empty() && dateTokens.back().kind == Token::Number && dateTokens.back().digits <= 2) {
            hour = static_cast<int>(dateTokens.back().value);
            dateTokens.pop_back();
        } else {
            return false;
        }
    }
    if (am && pm)
        return false;
    if (hour >= 0) {
        if (am || pm) {
            if (hour < 1 || hour > 12)
                return false;
            if (hour == 12)
                hour = 0;
            if (pm)
                hour += 12;
        }
        if (hour > 23 || time.minute > 59 || time.second > 59)
            return false;
    }
    return true;
}

// The date's numbers and its month word, in order, without separators and weekday
// names.
struct DateWords {
    std::vector<Token> parts;
    int monthWord = 0;   // 1..12 when a month is written as a word
    bool dotted = false; // "15.03.2026": no day/month swap for dotted numbers
};

// Numbers and a month word, separated by '/', '-', '.', ',' or blanks; nothing when a
// word is neither a month nor a weekday, or a second month word follows.
std::optional<DateWords> dateWords(const std::vector<Token>& dateTokens)
{
    DateWords out;
    for (const Token& t : dateTokens) {
        if (t.kind == Token::Sep) {
            out.dotted = out.dotted || t.sep == '.';
            continue;
        }
        if (t.kind == Token::Word) {
            if (int m = monthFromWord(t.text); m && !out.monthWord) {
                out.monthWord = m;
                Token mt{Token::Word, t.text};
                out.parts.push_back(mt);
                continue;
            }
            if (isWeekdayWord(t.text))
                continue;
            return std::nullopt;
        }
        out.parts.push_back(t);
    }
    return out;
}

struct CivilDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

// A date with its month as a word: "December 2026", "December 7" / "7 December",
// "December 7, 2026", "7 December 2026", "2026 December 7".
std::optional<CivilDate> dateWithMonthWord(const DateWords& words, int thisYear)
{
    std::vector<Token> nums;
    std::size_t monthPos = 0;
    for (std::size_t i = 0; i < words.parts.size(); ++i) {
        if (words.parts[i].kind == Token::Word)
            monthPos = i;
        else
            nums.push_back(words.parts[i]);
    }
    CivilDate date;
    date.month = words.monthWord;
    if (nums.size() == 1) {
        // "December 2026" or "December 7" / "7 December".
        if (nums[0].digits > 2 || nums[0].value > 31) {
            date.year = expandYear(nums[0]);
            date.day = 1;
        } else {
            date.day = static_cast<int>(nums[0].value);
            date.year = thisYear;
        }
    } else if (nums.size() == 2) {
        if (monthPos == 0 || nums[0].digits <= 2) {
            // "December 7, 2026" or "7 December 2026".
            date.day = static_cast<int>(nums[0].value);
            date.year = expandYear(nums[1]);
            if (nums[0].digits > 2) {
                date.year = expandYear(nums[0]);
                date.day = static_cast<int>(nums[1].value);
            }
        } else {
            date.year = expandYear(nums[0]);
            date.day = static_cast<int>(nums[1].value);
        }
    } else {
        return std::nullopt;
    }
    return date;
}

// A date of numbers only: year-month-day (ISO), month/day/year or month/day (this
// year), month/year; day and month swap when the first cannot be a month, unless the
// numbers are dotted.
std::optional<CivilDate> numericDate(const DateWords& words, int thisYear)
{
    const std::vector<Token>& parts = words.parts;
    int y = 0, m = 0, d = 0;
    if (parts.size() == 3) {
        if (parts[0].digits >= 3) {
            // ISO order: 2026-12-07.
            y = static_cast<int>(parts[0].value);
            m = static_cast<int>(parts[1].value);
            d = static_cast<int>(parts[2].value);
        } else {
            m = static_cast<int>(parts[0].value);
            d = static_cast<int>(parts[1].value);
            y = expandYear(parts[2]);
            // Day/month order when the first number cannot be a month.
            if (m > 12 && d <= 12 && !words.dotted)
                std::swap(m, d);
        }
    } else if (parts.size() == 2) {
        // "12/7": month and day of the current year; "12/2026": month and year.
        if (parts[1].digits >= 3 || parts[1].value > 31) {
            m = static_cast<int>(parts[0].value);
            d = 1;
            y = expandYear(parts[1]);
        } else {
            m = static_cast<int>(parts[0].value);
            d = static_cast<int>(parts[1].value);
            y = thisYear;
            if (m > 12 && d <= 12 && !words.dotted)
                std::swap(m, d);
        }
    } else {
        return std::nullopt;
    }
    return CivilDate{y, m, d};
}

} // namespace

std::optional<Date> parseDate(std::string_view text)
{
    const std::optional<std::vector<Token>> tokens = dateTextTokens(text);
    if (!tokens || tokens->empty())
        return std::nullopt;

    TimeOfDay time;
    std::vector<Token> dateTokens;
    if (!takeTimeOfDay(*tokens, time, dateTokens))
        return std::nullopt;

    const std::optional<DateWords> words = dateWords(dateTokens);
    if (!words)
        return std::nullopt;

    double day = 0;
    bool haveDate = false;
    if (!words->parts.empty()) {
        const int thisYear = splitDate(now()).year;
        const std::optional<CivilDate> date = words->monthWord ? dateWithMonthWord(*words, thisYear) : numericDate(*words, thisYear);
        if (!date || date->year < 100 || date->year > 9999 || !validDay(date->year, date->month, date->day))
            return std::nullopt;
        day = dateSerial(date->year, date->month, date->day).serial;
        haveDate = true;
    }
    if (!haveDate && time.hour < 0)
        return std::nullopt;
    const double frac = time.hour >= 0 ? timeSerial(time.hour, time.minute, time.second) : 0.0;
    return makeDate(day, frac);
}

} // namespace vb
