// The locales a script can choose with SetLocale: how numbers and dates are written
// and read, and the names of months and days. The choice belongs to one engine (the
// running script's context); the program's own files never see it.
#pragma once

#include "automation/DateTime.h"
#include "automation/Variant.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vbscript {

struct Locale {
    std::int32_t lcid;
    std::string_view tag;
    std::string_view decimal;   // decimal separator
    std::string_view thousands; // digit group separator
    bool dayFirst;              // day before month in dates
    std::string_view dateSeparator;
    bool padDate;     // two-digit day and month
    bool twelveHour;  // "1:05:00 PM" rather than "13:05:00"
    std::string_view currencyBefore;
    std::string_view currencyAfter;
    std::array<std::string_view, 12> months;
    std::array<std::string_view, 12> shortMonths;
    std::array<std::string_view, 7> days; // Sunday first
    std::array<std::string_view, 7> shortDays;
    bool yearFirst = false; // year, month, day in short dates ("2024/02/03")
};

inline constexpr std::int32_t kDefaultLocale = 1033; // en-US

// The locale of an identifier or tag ("de-DE"): the table's own, else one from CLDR
// data (CldrLocale.h); null when neither knows it.
const Locale* findLocale(std::int32_t lcid);
const Locale* findLocale(std::string_view tag);
// The locale of the script running on this thread (en-US when none runs).
const Locale& scriptLocale();

// Text of a value as the script's locale writes it (CStr, "&", comparisons as text).
std::string localeText(const vb::Variant& v);
// A date in the locale's general format (date, time, or both).
std::string localeGeneralDate(vb::Date d, const Locale& locale);
std::string localeShortDate(vb::Date d, const Locale& locale);
std::string localeLongTime(vb::Date d, const Locale& locale);
// Number text of the locale as en-US text ("1.234,5" to "1234.5" in de-DE), for the
// conversion functions.
std::string toInvariantNumber(std::string_view text, const Locale& locale);
// A number written as the script's locale writes it ("1,5" in de-DE); none when the
// text is no number.
std::optional<double> parseLocaleNumber(std::string_view text);

// A date or time written the locale's way ("03.02.2024", "3. Februar 2024 14:05" in
// de-DE; day first in en-GB); none when the text is no date.
std::optional<vb::Date> parseLocaleDate(std::string_view text, const Locale& locale);
// A value as a date, text read the script locale's way (CDate and the date functions).
vb::Date scriptDate(const vb::Variant& v);

} // namespace vbscript
