#include "Conversions.h"

#include "Array.h"
#include "DateTime.h"
#include "Error.h"
#include "Object.h"
#include "TextCompare.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <limits>

namespace vb {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// A hexadecimal or octal literal keeps VB's integer widths: up to four hex digits
// (six octal) is an Integer, so &HFFFF is -1; longer up to eight hex digits a Long.
double signedFromRadix(unsigned long long value, int digits, int radix)
{
    const bool fitsInteger = radix == 16 ? digits <= 4 : value <= 0xFFFF;
    if (fitsInteger && value <= 0xFFFF)
        return value > 0x7FFF ? static_cast<double>(static_cast<long long>(value) - 0x10000) : static_cast<double>(value);
    if (value <= 0xFFFFFFFFull)
        return value > 0x7FFFFFFF ? static_cast<double>(static_cast<long long>(value) - 0x100000000ll) : static_cast<double>(value);
    return static_cast<double>(value);
}

int digitValue(char c, int radix)
{
    int v = -1;
    if (c >= '0' && c <= '9')
        v = c - '0';
    else if (c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    return v >= 0 && v < radix ? v : -1;
}

// Reads "&H..." / "&O..." / "&..." (octal) at the start of `s`; `consumed` is the length read.
std::optional<double> readRadix(std::string_view s, std::size_t& consumed)
{
    if (s.size() < 2 || s[0] != '&')
        return std::nullopt;
    std::size_t i = 1;
    int radix = 8;
    if (asciiUpper(s[1]) == 'H') {
        radix = 16;
        i = 2;
    } else if (asciiUpper(s[1]) == 'O') {
        i = 2;
    }
    unsigned long long value = 0;
    int digits = 0;
    while (i < s.size()) {
        const int d = digitValue(s[i], radix);
        if (d < 0)
            break;
        value = value * radix + static_cast<unsigned>(d);
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
        ++digits;
        ++i;
    }
    consumed = i;
    if (digits == 0)
        return 0.0;
    return signedFromRadix(value, digits, radix);
}

// Reads an exponent ("E" or "D", an optional sign, digits) at s[p]. Returns the text
// for strtod ("e-7") and moves p past it; nothing, and p unchanged, when there is no
// complete exponent there.
std::optional<std::string> readExponent(std::string_view s, std::size_t& p)
{
    if (p >= s.size() || (asciiUpper(s[p]) != 'E' && asciiUpper(s[p]) != 'D'))
        return std::nullopt;
    std::string exponent = "e";
    std::size_t q = p + 1;
    if (q < s.size() && (s[q] == '+' || s[q] == '-'))
        exponent += s[q++];
    const std::size_t firstDigit = q;
    while (q < s.size() && s[q] >= '0' && s[q] <= '9')
        exponent += s[q++];
    if (q == firstDigit)
        return std::nullopt;
    p = q;
    return exponent;
}

double checkedRange(double d, double lo, double hi)
{
    if (!(d >= lo && d <= hi))
        raiseError(err::Overflow);
    return d;
}

std::string trimZerosAfterPoint(std::string s)
{
    if (s.find('.') == std::string::npos)
        return s;
    while (!s.empty() && s.back() == '0')
        s.pop_back();
    if (!s.empty() && s.back() == '.')
        s.pop_back();
    return s;
}

} // namespace

double roundHalfEven(double d)
{
    return std::nearbyint(d); // the default rounding mode rounds halves to even
}

std::optional<double> parseNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    std::size_t end = text.size();
    while (end > i && isBlank(text[end - 1]))
        --end;
    std::string_view s = text.substr(i, end - i);
    if (s.empty())
        return std::nullopt;

    bool negative = false;
    std::size_t p = 0;
    if (s[p] == '+' || s[p] == '-') {
        negative = s[p] == '-';
        ++p;
        while (p < s.size() && isBlank(s[p]))
            ++p;
    }
    if (p < s.size() && s[p] == '&') {
        std::size_t consumed = 0;
        auto v = readRadix(s.substr(p), consumed);
        if (!v || consumed < 2 || p + consumed != s.size())
            return std::nullopt;
        return negative ? -*v : *v;
    }

    std::string digits;
    bool anyDigit = false;
    bool seenPoint = false;
    for (; p < s.size(); ++p) {
        const char c = s[p];
        if (c >= '0' && c <= '9') {
            digits += c;
            anyDigit = true;
        } else if (c == ',' && !seenPoint && anyDigit) {
            continue; // thousands separator
        } else if (c == '.' && !seenPoint) {
            digits += '.';
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!anyDigit)
        return std::nullopt;
    if (p < s.size() && (asciiUpper(s[p]) == 'E' || asciiUpper(s[p]) == 'D')) {
        auto exponent = readExponent(s, p);
        if (!exponent)
            return std::nullopt;
        digits += *exponent;
    }
    if (p != s.size())
        return std::nullopt;
    // Whole numbers of up to 15 digits are exact doubles: made without strtod.
    if (!seenPoint && digits.size() <= 15 && digits.find_first_not_of("0123456789") == std::string::npos) {
        std::int64_t whole = 0;
        for (const char c : digits)
            whole = whole * 10 + (c - '0');
        const double v = static_cast<double>(whole);
        return negative ? -v : v;
    }
    const double v = std::strtod(digits.c_str(), nullptr);
    if (std::isinf(v))
        raiseError(err::Overflow);
    return negative ? -v : v;
}

double Val(std::string_view text)
{
    std::string s;
    s.reserve(text.size());
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n')
            s += c;
    }
    std::size_t p = 0;
    if (p < s.size() && s[p] == '&') {
        std::size_t consumed = 0;
        auto v = readRadix(s, consumed);
        return v ? *v : 0.0;
    }
    std::string number;
    if (p < s.size() && (s[p] == '+' || s[p] == '-'))
        number += s[p++];
    bool anyDigit = false;
    bool seenPoint = false;
    for (; p < s.size(); ++p) {
        const char c = s[p];
        if (c >= '0' && c <= '9') {
            number += c;
            anyDigit = true;
        } else if (c == '.' && !seenPoint) {
            number += c;
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!anyDigit)
        return 0.0;
    // A trailing exponent counts only when it is complete ("1e" reads 1).
    if (auto exponent = readExponent(s, p))
        number += *exponent;
    const double v = std::strtod(number.c_str(), nullptr);
    if (std::isinf(v))
        raiseError(err::Overflow);
    return v;
}

Variant defaultValue(const Variant& v)
{
    if (!v.isObject())
        return v;
    Object* obj = v.objectValue();
    if (!obj)
        raiseError(err::ObjectVariableNotSet);
    const MemberId id = obj->memberId("");
    if (id == kNoMember)
        raiseError(err::NoSuchMember);
    return obj->invoke(id, Get, Args());
}

double toDouble(const Variant& v)
{
    switch (v.type()) {
    case vbEmpty: return 0.0;
    case vbNull: raiseError(err::InvalidUseOfNull);
    case vbInteger: return v.integerValue();
    case vbLong: return v.longValue();
    case vbSingle: return v.singleValue();
    case vbDouble: return v.doubleValue();
    case vbCurrency: return static_cast<double>(v.currencyValue().scaled) / Currency::scale;
    case vbDate: return v.dateValue().serial;
    case vbBoolean: return v.booleanValue() ? -1.0 : 0.0;
    case vbByte: return v.byteValue();
    case vbString: {
        if (auto d = parseNumber(v.stringValue()))
            return *d;
        raiseError(err::TypeMismatch);
    }
    case vbObject: return toDouble(defaultValue(v));
    default: raiseError(err::TypeMismatch);
    }
}

std::int16_t CInt(const Variant& v)
{
    if (v.type() == vbInteger)
        return v.integerValue();
    if (v.type() == vbBoolean)
        return v.booleanValue() ? -1 : 0;
    return static_cast<std::int16_t>(checkedRange(roundHalfEven(toDouble(v)), -32768.0, 32767.0));
}

std::int32_t CLng(const Variant& v)
{
    switch (v.type()) {
    case vbLong: return v.longValue();
    case vbInteger: return v.integerValue();
    case vbByte: return v.byteValue();
    case vbBoolean: return v.booleanValue() ? -1 : 0;
    default: break;
    }
    return static_cast<std::int32_t>(checkedRange(roundHalfEven(toDouble(v)), -2147483648.0, 2147483647.0));
}

std::uint8_t CByte(const Variant& v)
{
    if (v.type() == vbByte)
        return v.byteValue();
    return static_cast<std::uint8_t>(checkedRange(roundHalfEven(toDouble(v)), 0.0, 255.0));
}

double CDbl(const Variant& v)
{
    return toDouble(v);
}

float CSng(const Variant& v)
{
    const double d = toDouble(v);
    if (std::fabs(d) > FLT_MAX)
        raiseError(err::Overflow);
    return static_cast<float>(d);
}

Currency CCur(const Variant& v)
{
    if (v.type() == vbCurrency)
        return v.currencyValue();
    const double scaled = roundHalfEven(toDouble(v) * Currency::scale);
    if (!(scaled >= -9223372036854775808.0 && scaled < 9223372036854775808.0))
        raiseError(err::Overflow);
    return Currency{static_cast<std::int64_t>(scaled)};
}

bool CBool(const Variant& v)
{
    switch (v.type()) {
    case vbBoolean: return v.booleanValue();
    case vbString: {
        const std::string& s = v.stringValue();
        std::size_t b = 0, e = s.size();
        while (b < e && isBlank(s[b]))
            ++b;
        while (e > b && isBlank(s[e - 1]))
            --e;
        const std::string_view t(s.data() + b, e - b);
        if (equalsIgnoreCase(t, "True") || equalsIgnoreCase(t, "#TRUE#"))
            return true;
        if (equalsIgnoreCase(t, "False") || equalsIgnoreCase(t, "#FALSE#"))
            return false;
        if (auto d = parseNumber(s))
            return *d != 0.0;
        raiseError(err::TypeMismatch);
    }
    default: return toDouble(v) != 0.0;
    }
}

std::string formatDouble(double d)
{
    if (d == 0.0)
        return "0";
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15G", d);
    return buf;
}

std::string formatSingle(float f)
{
    if (f == 0.0f)
        return "0";
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.7G", static_cast<double>(f));
    return buf;
}

std::string formatCurrency(Currency c)
{
    const bool negative = c.scaled < 0;
    // Work in unsigned to cover the most negative value.
    const unsigned long long mag = negative ? 0ull - static_cast<unsigned long long>(c.scaled) : static_cast<unsigned long long>(c.scaled);
    std::string out = negative ? "-" : "";
    out += std::to_string(mag / Currency::scale);
    const unsigned long long frac = mag % Currency::scale;
    if (frac) {
        char buf[8];
        std::snprintf(buf, sizeof buf, ".%04llu", frac);
        out = trimZerosAfterPoint(out + buf);
    }
    return out;
}

std::string CStr(const Variant& v)
{
    switch (v.type()) {
    case vbEmpty: return {};
    case vbNull: raiseError(err::InvalidUseOfNull);
    case vbInteger: return std::to_string(v.integerValue());
    case vbLong: return std::to_string(v.longValue());
    case vbByte: return std::to_string(v.byteValue());
    case vbSingle: return formatSingle(v.singleValue());
    case vbDouble: return formatDouble(v.doubleValue());
    case vbCurrency: return formatCurrency(v.currencyValue());
    case vbDate: return formatGeneralDate(v.dateValue());
    case vbBoolean: return v.booleanValue() ? "True" : "False";
    case vbString: return v.stringValue();
    case vbObject: return CStr(defaultValue(v));
    case vbError: return "Error " + std::to_string(v.errorValue());
    default: raiseError(err::TypeMismatch);
    }
}

Date CDate(const Variant& v)
{
    switch (v.type()) {
    case vbDate: return v.dateValue();
    case vbString: {
        if (auto d = parseDate(v.stringValue()))
            return *d;
        if (auto n = parseNumber(v.stringValue()))
            return Date{checkedRange(*n, -657434.0, 2958465.99999999)};
        raiseError(err::TypeMismatch);
    }
    case vbNull: raiseError(err::InvalidUseOfNull);
    case vbObject: return CDate(defaultValue(v));
    default: return Date{checkedRange(toDouble(v), -657434.0, 2958465.99999999)};
    }
}

bool IsNumeric(const Variant& v)
{
    switch (v.type()) {
    case vbEmpty:
    case vbInteger:
    case vbLong:
    case vbSingle:
    case vbDouble:
    case vbCurrency:
    case vbBoolean:
    case vbByte:
    case vbDecimal:
        return true;
    case vbString:
        try {
            return parseNumber(v.stringValue()).has_value();
        } catch (const Error&) {
            return true; // too large for a Double, yet a number
        }
    case vbObject:
        try {
            return IsNumeric(defaultValue(v));
        } catch (const Error&) {
            return false;
        }
    default:
        return false;
    }
}

bool IsDate(const Variant& v)
{
    if (v.type() == vbDate)
        return true;
    if (v.type() == vbString)
        return parseDate(v.stringValue()).has_value();
    return false;
}

} // namespace vb
