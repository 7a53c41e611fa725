// Conversion functions: CBool ... CStr return their VB subtype; Hex and Oct; Fix, Int,
// Abs, Sgn and Round, which keep the subtype of a numeric argument.
#include "Arguments.h"
#include "DecimalText.h"
#include "Families.h"
#include "vbscript/text/Locale.h"

#include "automation/Conversions.h"
#include "automation/Error.h"

#include <array>
#include <cmath>

namespace vbscript::builtins {

namespace {

using vb::Args;
using vb::Variant;

// The argument of a conversion; text is read with the script locale's separators.
Variant localArg(Args args)
{
    Variant v = valueArg(args, 0);
    const Locale& locale = scriptLocale();
    if (v.isString() && locale.lcid != kDefaultLocale)
        return Variant(toInvariantNumber(v.stringValue(), locale));
    return v;
}

template <class R, R (*Convert)(const Variant&)>
Variant convert(BuiltinContext&, Args args)
{
    // Conversions refuse Null (94) themselves; objects give their default value.
    return Variant(Convert(localArg(args)));
}

// CDate reads text as a date the script locale's way, else as a number of days.
Variant CDateOf(BuiltinContext&, Args args)
{
    return scriptDate(valueArg(args, 0));
}

// CStr writes numbers and dates the script locale's way.
Variant CStrOf(BuiltinContext&, Args args)
{
    const Variant v = valueArg(args, 0);
    if (v.isNull())
        vb::raiseError(vb::err::InvalidUseOfNull);
    return localeText(v);
}

// Hex and Oct: an Integer-sized argument shows 16 bits, anything else 32.
std::string radixText(const Variant& v, unsigned bitsPerDigit)
{
    std::uint32_t value;
    switch (v.type()) {
    case vb::vbInteger:
    case vb::vbByte:
    case vb::vbBoolean:
        value = static_cast<std::uint16_t>(vb::CInt(v));
        break;
    default:
        value = static_cast<std::uint32_t>(vb::CLng(v));
        break;
    }
    if (value == 0)
        return "0";
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const std::uint32_t mask = (1u << bitsPerDigit) - 1;
    std::string out;
    for (; value; value >>= bitsPerDigit)
        out.insert(out.begin(), kDigits[value & mask]);
    return out;
}

template <unsigned BitsPerDigit>
Variant radix(BuiltinContext&, Args args)
{
    const Variant v = valueArg(args, 0);
    if (v.isNull())
        return Variant::null();
    return radixText(v, BitsPerDigit);
}

// Applies `f` to a number and gives the result in the argument's own subtype:
// Integer, Long and Byte stay whole numbers, Single/Double/Currency/Date keep their
// type, text becomes a Double, Boolean and Empty an Integer.
template <class F>
Variant keepingType(const Variant& v, F f)
{
    switch (v.type()) {
    case vb::vbNull: return Variant::null();
    case vb::vbEmpty: return std::int16_t(0);
    case vb::vbBoolean: return vb::CInt(Variant(f(v.booleanValue() ? -1.0 : 0.0)));
    case vb::vbInteger: return vb::CInt(Variant(f(double(v.integerValue()))));
    case vb::vbLong: return vb::CLng(Variant(f(double(v.longValue()))));
    case vb::vbByte: return vb::CByte(Variant(f(double(v.byteValue()))));
    case vb::vbSingle: return static_cast<float>(f(double(v.singleValue())));
    case vb::vbCurrency: return vb::CCur(Variant(f(vb::CDbl(v))));
    case vb::vbDate: return vb::CDate(Variant(f(v.dateValue().serial)));
    case vb::vbObject: return keepingType(vb::defaultValue(v), f);
    default: return Variant(f(vb::CDbl(v)));
    }
}

Variant Fix(BuiltinContext&, Args args)
{
    return keepingType(valueArg(args, 0), [](double d) { return std::trunc(d); });
}

Variant Int(BuiltinContext&, Args args)
{
    return keepingType(valueArg(args, 0), [](double d) { return std::floor(d); });
}

Variant Abs(BuiltinContext&, Args args)
{
    const Variant v = valueArg(args, 0);
    if (v.type() == vb::vbDate)
        return std::fabs(v.dateValue().serial);
    return keepingType(v, [](double d) { return std::fabs(d); });
}

Variant Sgn(BuiltinContext&, Args args)
{
    const Variant v = valueArg(args, 0);
    if (v.isNull())
        vb::raiseError(vb::err::InvalidUseOfNull);
    const double d = vb::CDbl(v);
    return static_cast<std::int16_t>(d > 0 ? 1 : d < 0 ? -1 : 0);
}

// Round(expression[, numdecimalplaces]): halves go to the even digit.
// CByte(True) is 255: True's bits, not its value -1.
std::uint8_t byteOf(const Variant& v)
{
    if (v.type() == vb::vbBoolean)
        return v.booleanValue() ? 255 : 0;
    return vb::CByte(v);
}

Variant Round(BuiltinContext&, Args args)
{
    const Variant v = valueArg(args, 0);
    const std::int32_t decimals = longArg(args, 1, 0);
    if (decimals < 0)
        vb::raiseError(vb::err::InvalidProcedureCall);
    if (v.isNull())
        return Variant::null();
    if (v.type() == vb::vbDate)
        return roundDecimal(v.dateValue().serial, decimals);
    if (v.type() == vb::vbBoolean)
        return v;
    return keepingType(v, [decimals](double d) { return roundDecimal(d, decimals); });
}

constexpr std::array kFunctions = {
    BuiltinFunction{"Abs", 1, 1, &Abs},
    BuiltinFunction{"CBool", 1, 1, &convert<bool, &vb::CBool>},
    BuiltinFunction{"CByte", 1, 1, &convert<std::uint8_t, &byteOf>},
    BuiltinFunction{"CCur", 1, 1, &convert<vb::Currency, &vb::CCur>},
    BuiltinFunction{"CDate", 1, 1, &CDateOf},
    BuiltinFunction{"CDbl", 1, 1, &convert<double, &vb::CDbl>},
    BuiltinFunction{"CInt", 1, 1, &convert<std::int16_t, &vb::CInt>},
    BuiltinFunction{"CLng", 1, 1, &convert<std::int32_t, &vb::CLng>},
    BuiltinFunction{"CSng", 1, 1, &convert<float, &vb::CSng>},
    BuiltinFunction{"CStr", 1, 1, &CStrOf},
    BuiltinFunction{"Fix", 1, 1, &Fix},
    BuiltinFunction{"Hex", 1, 1, &radix<4>},
    BuiltinFunction{"Int", 1, 1, &Int},
    BuiltinFunction{"Oct", 1, 1, &radix<3>},
    BuiltinFunction{"Round", 1, 2, &Round},
    BuiltinFunction{"Sgn", 1, 1, &Sgn},
};

} // namespace

std::span<const BuiltinFunction> conversionFunctions()
{
    return kFunctions;
}

} // namespace vbscript::builtins
