#include "Locale.h"

#include "CldrLocale.h"

#include "vbscript/base/RunningContext.h"

#include "automation/Conversions.h"
#include "automation/TextCompare.h"

#include <cstdio>

namespace vbscript {

namespace {

constexpr std::array<std::string_view, 12> kEnglishMonths = {"January", "February", "March", "April", "May", "June", "July",
                                                             "August", "September", "October", "November", "December"};
constexpr std::array<std::string_view, 12> kEnglishShortMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<std::string_view, 7> kEnglishDays = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
constexpr std::array<std::string_view, 7> kEnglishShortDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

const Locale kLocales[] = {
    {1033, "en-US", ".", ",", false, "/", false, true, "$", "", kEnglishMonths, kEnglishShortMonths, kEnglishDays, kEnglishShortDays},
    {2057, "en-GB", ".", ",", true, "/", true, false, "\xC2\xA3", "", kEnglishMonths, kEnglishShortMonths, kEnglishDays, kEnglishShortDays},
    {1031, "de-DE", ",", ".", true, ".", true, false, "", " \xE2\x82\xAC",
     {"Januar", "Februar", "M\xC3\xA4rz", "April", "Mai", "Juni", "Juli", "August", "September", "Oktober", "November", "Dezember"},
     {"Jan", "Feb", "Mrz", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"},
     {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"},
     {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"}},
    {1036, "fr-FR", ",", "\xC2\xA0", true, "/", true, false, "", " \xE2\x82\xAC",
     {"janvier", "f\xC3\xA9vrier", "mars", "avril", "mai", "juin", "juillet", "ao\xC3\xBBt", "septembre", "octobre", "novembre",
      "d\xC3\xA9" "cembre"},
     {"janv.", "f\xC3\xA9vr.", "mars", "avr.", "mai", "juin", "juil.", "ao\xC3\xBBt", "sept.", "oct.", "nov.", "d\xC3\xA9" "c."},
     {"dimanche", "lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi"},
     {"dim.", "lun.", "mar.", "mer.", "jeu.", "ven.", "sam."}},
    {1043, "nl-NL", ",", ".", true, "-", false, false, "\xE2\x82\xAC ", "",
     {"januari", "februari", "maart", "april", "mei", "juni", "juli", "augustus", "september", "oktober", "november", "december"},
     {"jan", "feb", "mrt", "apr", "mei", "jun", "jul", "aug", "sep", "okt", "nov", "dec"},
     {"zondag", "maandag", "dinsdag", "woensdag", "donderdag", "vrijdag", "zaterdag"},
     {"zo", "ma", "di", "wo", "do", "vr", "za"}},
};

std::string number(int value, bool pad)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, pad ? "%02d" : "%d", value);
    return buf;
}

} // namespace

const Locale* findLocale(std::int32_t lcid)
{
    for (const Locale& l : kLocales) {
        if (l.lcid == lcid)
            return &l;
    }
    return cldrLocale(lcid);
}

const Locale* findLocale(std::string_view tag)
{
    for (const Locale& l : kLocales) {
        if (vb::equalsIgnoreCase(l.tag, tag))
            return &l;
    }
    const std::int32_t lcid = cldrLocaleId(tag);
    return lcid ? findLocale(lcid) : nullptr;
}

const Locale& scriptLocale()
{
    if (const BuiltinContext* context = runningContext()) {
        if (const Locale* l = findLocale(context->localeId()))
            return *l;
    }
    return kLocales[0];
}

std::string localeShortDate(vb::Date d, const Locale& locale)
{
    if (locale.lcid == kDefaultLocale)
        return vb::formatShortDate(d);
    const vb::DateParts p = vb::splitDate(d);
    const std::string day = number(p.day, locale.padDate), month = number(p.month, locale.padDate);
    const std::string sep(locale.dateSeparator);
    if (locale.yearFirst)
        return number(p.year, false) + sep + month + sep + day;
    return (locale.dayFirst ? day + sep + month : month + sep + day) + sep + number(p.year, false);
}

std::string localeLongTime(vb::Date d, const Locale& locale)
{
    if (locale.twelveHour)
        return vb::formatLongTime(d);
    const vb::DateParts p = vb::splitDate(d);
    return number(p.hour, true) + ":" + number(p.minute, true) + ":" + number(p.second, true);
}

std::string localeGeneralDate(vb::Date d, const Locale& locale)
{
    if (locale.lcid == kDefaultLocale)
        return vb::formatGeneralDate(d);
    const vb::DateParts p = vb::splitDate(d);
    const bool midnight = p.hour == 0 && p.minute == 0 && p.second == 0;
    const bool zeroDay = p.year == 1899 && p.month == 12 && p.day == 30;
    if (zeroDay)
        return localeLongTime(d, locale);
    if (midnight)
        return localeShortDate(d, locale);
    return localeShortDate(d, locale) + " " + localeLongTime(d, locale);
}

std::string localeText(const vb::Variant& v)
{
    const Locale& locale = scriptLocale();
    if (locale.lcid == kDefaultLocale)
        return vb::CStr(v);
    switch (v.type()) {
    case vb::vbSingle:
    case vb::vbDouble:
    case vb::vbCurrency: {
        std::string s = vb::CStr(v);
        const std::size_t point = s.find('.');
        if (point != std::string::npos)
            s.replace(point, 1, locale.decimal);
        return s;
    }
    case vb::vbDate: return localeGeneralDate(v.dateValue(), locale);
    default: return vb::CStr(v);
    }
}

std::optional<double> parseLocaleNumber(std::string_view text)
{
    const Locale& locale = scriptLocale();
    if (locale.lcid == kDefaultLocale)
        return vb::parseNumber(text);
    return vb::parseNumber(toInvariantNumber(text, locale));
}

std::string toInvariantNumber(std::string_view text, const Locale& locale)
{
    if (locale.decimal == ".")
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text.substr(i, locale.thousands.size()) == locale.thousands) {
            i += locale.thousands.size();
            continue;
        }
        if (text.substr(i, locale.decimal.size()) == locale.decimal) {
            out += '.';
            i += locale.decimal.size();
            continue;
        }
        out += text[i++];
    }
    return out;
}

} // namespace vbscript
