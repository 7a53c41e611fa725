#include "CldrLocale.h"

#include "IcuFunctions.h"

#include "automation/CaseMapping.h"

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace vbscript {

namespace {

// The strings a Locale's views point into.
struct CldrData {
    std::string tag, decimal, thousands, dateSeparator, currencyBefore, currencyAfter;
    std::array<std::string, 12> months, shortMonths;
    std::array<std::string, 7> days, shortDays;
    Locale locale{};
};

constexpr int kBuffer = 256;

// ICU's functions; only called once icuFunctions() gave them (see cldrLocale).
const IcuFunctions& icu()
{
    return *icuFunctions();
}

std::string utf8(const UChar* text, int32_t length)
{
    std::string out;
    for (int32_t i = 0; i < length; ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        vb::letters::appendUtf8(out, c);
    }
    return out;
}

std::u16string pattern(const UChar* text, int32_t length)
{
    return std::u16string(reinterpret_cast<const char16_t*>(text), static_cast<std::size_t>(length));
}

std::string numberSymbol(const UNumberFormat* format, UNumberFormatSymbol which)
{
    UChar buffer[kBuffer];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = icu().numberSymbol(format, which, buffer, kBuffer, &status);
    return U_SUCCESS(status) ? utf8(buffer, n) : std::string();
}

std::string dateSymbol(const UDateFormat* format, UDateFormatSymbolType type, int32_t index)
{
    UChar buffer[kBuffer];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = icu().dateSymbols(format, type, index, buffer, kBuffer, &status);
    return U_SUCCESS(status) ? utf8(buffer, n) : std::string();
}

// Text of a pattern without the marks that only set the writing direction.
std::u16string withoutDirectionMarks(std::u16string_view text)
{
    std::u16string out;
    for (const char16_t c : text) {
        if (c != 0x200E && c != 0x200F && c != 0x061C)
            out += c;
    }
    return out;
}

// A no-break space in the currency's spacing is written as a plain one.
std::string spacing(std::u16string_view text)
{
    std::string out;
    for (const char16_t c : text)
        out += (c == u' ' || c == 0x00A0 || c == 0x202F) ? " " : "";
    return out;
}

// Currency sign placement from the currency pattern ("#,##0.00\u00A0\u00A4").
void currencyOf(const char* name, CldrData& d)
{
    UErrorCode status = U_ZERO_ERROR;
    UNumberFormat* format = icu().numberOpen(UNUM_CURRENCY, nullptr, 0, name, nullptr, &status);
    if (U_FAILURE(status))
        return;
    UChar buffer[kBuffer];
    const int32_t n = icu().numberPattern(format, false, buffer, kBuffer, &status);
    const std::string symbol = numberSymbol(format, UNUM_CURRENCY_SYMBOL);
    icu().numberClose(format);
    if (U_FAILURE(status))
        return;
    std::u16string p = pattern(buffer, n);
    p = p.substr(0, p.find(u';')); // the positive part
    const std::size_t sign = p.find(u'\u00A4');
    const std::size_t digits = p.find_first_of(u"#0");
    if (sign == std::u16string::npos || digits == std::u16string::npos)
        return;
    if (sign < digits) {
        d.currencyBefore = symbol + spacing(std::u16string_view(p).substr(sign + 1, digits - sign - 1));
    } else {
        const std::size_t last = p.find_last_of(u"#0");
        d.currencyAfter = spacing(std::u16string_view(p).substr(last + 1, sign - last - 1)) + symbol;
    }
}

// Order, separator and padding of the short date ("dd.MM.yy", "y/MM/dd"), and the
// clock of the medium time ("HH:mm:ss", "h:mm:ss a").
void datesOf(const char* name, CldrData& d, Locale& l)
{
    d.dateSeparator = "/";
    UErrorCode status = U_ZERO_ERROR;
    UDateFormat* date = icu().dateOpen(UDAT_NONE, UDAT_SHORT, name, nullptr, 0, nullptr, 0, &status);
    if (U_FAILURE(status))
        return;
    UChar buffer[kBuffer];
    int32_t n = icu().datePattern(date, false, buffer, kBuffer, &status);
    std::u16string p = U_SUCCESS(status) ? withoutDirectionMarks(pattern(buffer, n)) : u"";
    if (p.find(u'd') == std::u16string::npos || p.find(u'M') == std::u16string::npos)
        p = u"M/d/y";
    const std::size_t day = p.find(u'd'), month = p.find(u'M');
    l.dayFirst = day != std::u16string::npos && month != std::u16string::npos && day < month;
    const std::size_t year = p.find(u'y');
    l.yearFirst = year != std::u16string::npos && year < day && year < month;
    l.padDate = p.find(u"dd") != std::u16string::npos || p.find(u"MM") != std::u16string::npos;
    // The separator: what follows the first field.
    const std::size_t firstEnd = p.find_first_not_of(p[0]);
    const std::size_t nextField = p.find_first_of(u"dMy", firstEnd);
    d.dateSeparator = firstEnd == std::u16string::npos || nextField == std::u16string::npos
                          ? "/"
                          : utf8(reinterpret_cast<const UChar*>(p.data() + firstEnd), static_cast<int32_t>(nextField - firstEnd));
    for (int i = 0; i < 12; ++i) {
        d.months[static_cast<std::size_t>(i)] = dateSymbol(date, UDAT_STANDALONE_MONTHS, i);
        d.shortMonths[static_cast<std::size_t>(i)] = dateSymbol(date, UDAT_STANDALONE_SHORT_MONTHS, i);
    }
    for (int i = 0; i < 7; ++i) {
        d.days[static_cast<std::size_t>(i)] = dateSymbol(date, UDAT_STANDALONE_WEEKDAYS, i + 1);
        d.shortDays[static_cast<std::size_t>(i)] = dateSymbol(date, UDAT_STANDALONE_SHORT_WEEKDAYS, i + 1);
    }
    icu().dateClose(date);

    status = U_ZERO_ERROR;
    UDateFormat* time = icu().dateOpen(UDAT_MEDIUM, UDAT_NONE, name, nullptr, 0, nullptr, 0, &status);
    if (U_FAILURE(status))
        return;
    n = icu().datePattern(time, false, buffer, kBuffer, &status);
    icu().dateClose(time);
    if (U_SUCCESS(status)) {
        const std::u16string t = pattern(buffer, n);
        l.twelveHour = t.find_first_of(u"hK") != std::u16string::npos;
    }
}

std::unique_ptr<CldrData> build(std::int32_t lcid)
{
    char name[ULOC_FULLNAME_CAPACITY];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = icu().getLocaleForLcid(static_cast<uint32_t>(lcid), name, sizeof name, &status);
    if (U_FAILURE(status) || length <= 0 || status == U_STRING_NOT_TERMINATED_WARNING)
        return nullptr;
    // Only identifiers ICU maps exactly (it falls back to the language for others).
    if (icu().getLcid(name) != static_cast<uint32_t>(lcid))
        return nullptr;
    auto d = std::make_unique<CldrData>();
    char tag[ULOC_FULLNAME_CAPACITY];
    status = U_ZERO_ERROR;
    const int32_t tagLength = icu().toLanguageTag(name, tag, sizeof tag, false, &status);
    d->tag = U_SUCCESS(status) ? std::string(tag, static_cast<std::size_t>(tagLength)) : std::string(name);

    Locale l{};
    l.lcid = lcid;
    status = U_ZERO_ERROR;
    if (UNumberFormat* number = icu().numberOpen(UNUM_DECIMAL, nullptr, 0, name, nullptr, &status); U_SUCCESS(status)) {
        d->decimal = numberSymbol(number, UNUM_DECIMAL_SEPARATOR_SYMBOL);
        d->thousands = numberSymbol(number, UNUM_GROUPING_SEPARATOR_SYMBOL);
        icu().numberClose(number);
    }
    if (d->decimal.empty())
        d->decimal = ".";
    if (d->thousands.empty() || d->thousands == d->decimal)
        d->thousands = d->decimal == "," ? "." : ",";
    currencyOf(name, *d);
    datesOf(name, *d, l);

    l.tag = d->tag;
    l.decimal = d->decimal;
    l.thousands = d->thousands;
    l.dateSeparator = d->dateSeparator;
    l.currencyBefore = d->currencyBefore;
    l.currencyAfter = d->currencyAfter;
    for (std::size_t i = 0; i < 12; ++i) {
        l.months[i] = d->months[i];
        l.shortMonths[i] = d->shortMonths[i];
    }
    for (std::size_t i = 0; i < 7; ++i) {
        l.days[i] = d->days[i];
        l.shortDays[i] = d->shortDays[i];
    }
    d->locale = l;
    return d;
}

} // namespace

const Locale* cldrLocale(std::int32_t lcid)
{
    // Built on first use from the constant tables and never changed after: a lazily
    // computed constant, shared by every engine.
    static std::mutex mutex;
    static std::unordered_map<std::int32_t, std::unique_ptr<CldrData>> built; // null: unknown
    if (lcid <= 0 || lcid > 0xFFFFF || !icuFunctions())
        return nullptr;
    const std::lock_guard lock(mutex);
    auto it = built.find(lcid);
    if (it == built.end()) {
        // Bounded: a script trying every number keeps only what ICU knows.
        std::unique_ptr<CldrData> d = build(lcid);
        if (!d)
            return nullptr;
        it = built.emplace(lcid, std::move(d)).first;
    }
    return &it->second->locale;
}

std::int32_t cldrLocaleId(std::string_view tag)
{
    if (tag.empty() || tag.size() >= ULOC_FULLNAME_CAPACITY || !icuFunctions())
        return 0;
    char name[ULOC_FULLNAME_CAPACITY];
    UErrorCode status = U_ZERO_ERROR;
    const std::string text(tag);
    icu().forLanguageTag(text.c_str(), name, sizeof name, nullptr, &status);
    if (U_FAILURE(status) || status == U_STRING_NOT_TERMINATED_WARNING)
        return 0;
    const uint32_t lcid = icu().getLcid(name);
    // Only a tag whose identifier leads back to the same language and region.
    return lcid != 0 && cldrLocale(static_cast<std::int32_t>(lcid)) ? static_cast<std::int32_t>(lcid) : 0;
}

} // namespace vbscript
