// Dates read the script locale's way: "03.02.2024" and "3. Februar 2024" in de-DE,
// "3/2/2024" in en-GB are the 3rd of February. The text is rewritten into the form the
// program's own date reader takes (month before day, English names) and read by it.
#include "Locale.h"

#include "automation/Conversions.h"
#include "automation/Error.h"
#include "automation/TextCompare.h"

#include <cctype>

namespace vbscript {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A letter of a word: ASCII letters and every byte of a character beyond ASCII.
bool isWordByte(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || (static_cast<unsigned char>(c) & 0x80);
}

// Replaces each whole word `from` (letter case ignored) by `to`.
void replaceWord(std::string& s, std::string_view from, std::string_view to)
{
    if (from.empty())
        return;
    std::size_t pos = 0;
    while (pos < s.size()) {
        const vb::TextMatch m = vb::findMatch(s, from, pos, vb::CompareMode::Text);
        if (!m.found())
            return;
        const std::size_t end = m.pos + m.length;
        // A name ending in "." ("févr.") ends its word itself.
        const bool ownEnd = from.back() == '.';
        if ((m.pos == 0 || !isWordByte(s[m.pos - 1])) && (ownEnd || end == s.size() || !isWordByte(s[end]))) {
            s.replace(m.pos, m.length, to);
            pos = m.pos + to.size();
        } else {
            pos = end;
        }
    }
}

// Reads the digits at `pos` (five at most); the count read (0 when none).
std::size_t readNumber(std::string_view s, std::size_t pos, std::string_view& digits)
{
    std::size_t n = 0;
    while (pos + n < s.size() && n < 5 && isDigit(s[pos + n]))
        ++n;
    digits = s.substr(pos, n);
    return n;
}

bool isDateSeparator(char c, const Locale& locale)
{
    return c == '/' || c == '.' || c == '-' || (!locale.dateSeparator.empty() && c == locale.dateSeparator.front());
}

// A numeric date at the start of `s` ("03.02.2024", "3.2.", "3-2", "3/2/24") becomes
// month/day[/year] ("2/3/2024"); false when `s` does not start so (or starts with a year).
bool reorderNumericDate(std::string& s, const Locale& locale)
{
    std::size_t pos = 0;
    while (pos < s.size() && s[pos] == ' ')
        ++pos;
    std::string_view first, second, third;
    const std::size_t n1 = readNumber(s, pos, first);
    if (n1 == 0 || n1 > 2 || pos + n1 >= s.size() || !isDateSeparator(s[pos + n1], locale))
        return false;
    const char separator = s[pos + n1];
    std::size_t at = pos + n1 + 1;
    // Some locales put a blank after the separator ("3. 2. 2024").
    while (at < s.size() && s[at] == ' ')
        ++at;
    const std::size_t n2 = readNumber(s, at, second);
    if (n2 == 0 || n2 > 2)
        return false;
    at += n2;
    if (at < s.size() && s[at] == separator) {
        // A year, or nothing: "3.2." is the 3rd of February of this year.
        std::size_t yearAt = at + 1;
        while (yearAt < s.size() && s[yearAt] == ' ' && yearAt + 1 < s.size() && s[yearAt + 1] >= '0' && s[yearAt + 1] <= '9')
            ++yearAt;
        const std::size_t n3 = readNumber(s, yearAt, third);
        if (n3 > 4)
            return false;
        at = yearAt + n3;
    }
    if (at < s.size() && s[at] != ' ')
        return false;
    std::string date = locale.dayFirst ? std::string(second) + "/" + std::string(first) : std::string(first) + "/" + std::string(second);
    if (!third.empty())
        date += "/" + std::string(third);
    s.replace(pos, at - pos, date);
    return true;
}

// Drops the dot after a day number ("3. Februar" is "3 Februar").
void dropOrdinalDots(std::string& s)
{
    for (std::size_t i = 1; i + 1 < s.size(); ++i) {
        if (s[i] == '.' && isDigit(s[i - 1]) && s[i + 1] == ' ')
            s.erase(i, 1);
    }
}

// The text in the form the program's date reader takes; `numeric` tells whether it
// started with a numeric date.
std::string rewriteForDateReader(std::string_view text, const Locale& locale, bool& numeric)
{
    std::string s(text);
    numeric = reorderNumericDate(s, locale);
    if (!numeric) {
        // Names first (a full name holds its abbreviation), then the ordinal dots.
        for (int i = 0; i < 12; ++i)
            replaceWord(s, locale.months[static_cast<std::size_t>(i)], vb::monthName(i + 1));
        for (int i = 0; i < 12; ++i)
            replaceWord(s, locale.shortMonths[static_cast<std::size_t>(i)], vb::monthName(i + 1));
        for (int i = 0; i < 7; ++i)
            replaceWord(s, locale.days[static_cast<std::size_t>(i)], vb::weekdayName(i + 1));
        for (int i = 0; i < 7; ++i)
            replaceWord(s, locale.shortDays[static_cast<std::size_t>(i)], vb::weekdayName(i + 1));
        dropOrdinalDots(s);
    }
    return s;
}

} // namespace

std::optional<vb::Date> parseLocaleDate(std::string_view text, const Locale& locale)
{
    if (locale.lcid == kDefaultLocale)
        return vb::parseDate(text);
    bool numeric = false;
    return vb::parseDate(rewriteForDateReader(text, locale, numeric));
}

vb::Date scriptDate(const vb::Variant& v)
{
    if (v.isString()) {
        const Locale& locale = scriptLocale();
        if (locale.lcid != kDefaultLocale) {
            bool numeric = false;
            if (const std::optional<vb::Date> d = vb::parseDate(rewriteForDateReader(v.stringValue(), locale, numeric)))
                return *d;
            // A numeric date that is no date ("31.02.2024") is not a number of days either.
            if (numeric)
                vb::raiseError(vb::err::TypeMismatch);
            // Otherwise a number of days, written the locale's way ("1,5").
            return vb::CDate(vb::Variant(toInvariantNumber(v.stringValue(), locale)));
        }
    }
    return vb::CDate(v);
}

} // namespace vbscript
