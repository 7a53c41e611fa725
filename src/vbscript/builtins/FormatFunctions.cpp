// FormatNumber, FormatCurrency and FormatPercent with the script locale's separators
// and currency sign (en-US: two digits after ".", groups of three separated by ",",
// "$" before the number), a leading zero and "-" for negatives. Halves round away
// from zero.
#include "Arguments.h"
#include "DecimalText.h"
#include "Families.h"
#include "vbscript/text/Locale.h"

#include "automation/Conversions.h"
#include "automation/Error.h"

#include <array>

namespace vbscript::builtins {

namespace {

using vb::Args;
using vb::Variant;

struct NumberStyle {
    int decimals = 2;
    bool leadingDigit = true;
    bool parentheses = false;
    bool grouping = true;
};

// Arguments 1 to 4: NumDigitsAfterDecimal (-1: the default), IncludeLeadingDigit,
// UseParensForNegativeNumbers, GroupDigits (Tristate values).
NumberStyle styleArgs(Args args)
{
    NumberStyle style;
    const std::int32_t decimals = longArg(args, 1, -1);
    if (decimals < -1 || decimals > 255)
        vb::raiseError(vb::err::InvalidProcedureCall);
    if (decimals >= 0)
        style.decimals = decimals;
    style.leadingDigit = tristateArg(args, 2, style.leadingDigit);
    style.parentheses = tristateArg(args, 3, style.parentheses);
    style.grouping = tristateArg(args, 4, style.grouping);
    return style;
}

std::string grouped(const std::string& digits, std::string_view separator)
{
    std::string out;
    const std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += separator;
        out += digits[i];
    }
    return out;
}

// The number with `prefix` (the currency sign) and `suffix` (the percent sign).
std::string formatNumber(double value, const NumberStyle& style, std::string_view prefix, std::string_view suffix)
{
    DecimalDigits d = toDecimal(value);
    roundDigits(d, style.decimals, Rounding::HalfAwayFromZero);
    std::string whole = d.integerDigits();
    if (whole.empty() && style.leadingDigit)
        whole.push_back('0'); // (not `= "0"`, which GCC 12 falsely reports under -Wrestrict)
    const Locale& locale = scriptLocale();
    if (style.grouping)
        whole = grouped(whole, locale.thousands);
    std::string body(prefix);
    body += whole;
    if (style.decimals > 0) {
        body += locale.decimal;
        body += d.fractionDigits(style.decimals);
    }
    body += suffix;
    if (!d.negative || d.isZero())
        return body;
    return style.parentheses ? "(" + body + ")" : "-" + body;
}

double numberArg(Args args)
{
    // Null has no text to format: a type mismatch, not "invalid use of Null"; text
    // that is not a number is refused as CDbl refuses it.
    if (given(args, 0) && valueArg(args, 0).isNull())
        vb::raiseError(vb::err::TypeMismatch);
    return doubleArg(args, 0);
}

Variant FormatNumber(BuiltinContext&, Args args)
{
    const double value = numberArg(args);
    return formatNumber(value, styleArgs(args), "", "");
}

Variant FormatCurrency(BuiltinContext&, Args args)
{
    const double value = numberArg(args);
    const Locale& locale = scriptLocale();
    return formatNumber(value, styleArgs(args), locale.currencyBefore, locale.currencyAfter);
}

Variant FormatPercent(BuiltinContext&, Args args)
{
    const double value = numberArg(args);
    return formatNumber(value * 100.0, styleArgs(args), "", "%");
}

constexpr std::array kFunctions = {
    BuiltinFunction{"FormatCurrency", 1, 5, &FormatCurrency},
    BuiltinFunction{"FormatNumber", 1, 5, &FormatNumber},
    BuiltinFunction{"FormatPercent", 1, 5, &FormatPercent},
};

} // namespace

std::span<const BuiltinFunction> formatFunctions()
{
    return kFunctions;
}

} // namespace vbscript::builtins
