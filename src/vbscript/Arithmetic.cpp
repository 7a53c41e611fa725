// Arithmetic and concatenation operators.
#include "Operators.h"

#include "vbscript/text/Locale.h"
#include "vbscript/text/UnicodeText.h"

#include "automation/Array.h"
#include "automation/Conversions.h"
#include "automation/Error.h"
#include "automation/Object.h"

#include <cfloat>
#include <cmath>

namespace vbscript::ops {

using vb::Variant;

namespace {

// The numeric kinds arithmetic works in, in widening order.
enum class Num : std::uint8_t { Byte, Integer, Long, Single, Double, Currency, Date };

struct Operand {
    Num kind;
    std::int64_t i = 0; // Byte, Integer, Long, Currency (scaled)
    double d = 0;       // Single, Double, Date
    double asDouble() const
    {
        switch (kind) {
        case Num::Currency: return static_cast<double>(i) / vb::Currency::scale;
        case Num::Single:
        case Num::Double:
        case Num::Date: return d;
        default: return static_cast<double>(i);
        }
    }
    std::int64_t asScaledCurrency() const
    {
        if (kind == Num::Currency)
            return i;
        if (kind <= Num::Long)
            return i * vb::Currency::scale;
        const double s = std::nearbyint(d * vb::Currency::scale);
        if (!(s >= -9.2233720368547758e18 && s < 9.2233720368547758e18))
            vb::raiseError(vb::err::Overflow);
        return static_cast<std::int64_t>(s);
    }
};

Operand operandOf(const Variant& v)
{
    switch (v.type()) {
    case vb::vbEmpty: return {Num::Integer, 0};
    case vb::vbBoolean: return {Num::Integer, v.booleanValue() ? -1 : 0};
    case vb::vbByte: return {Num::Byte, v.byteValue()};
    case vb::vbInteger: return {Num::Integer, v.integerValue()};
    case vb::vbLong: return {Num::Long, v.longValue()};
    case vb::vbSingle: return {Num::Single, 0, v.singleValue()};
    case vb::vbDouble: return {Num::Double, 0, v.doubleValue()};
    case vb::vbCurrency: return {Num::Currency, v.currencyValue().scaled};
    case vb::vbDate: return {Num::Date, 0, v.dateValue().serial};
    case vb::vbString: {
        auto d = parseLocaleNumber(v.stringValue());
        if (!d)
            vb::raiseError(vb::err::TypeMismatch);
        return {Num::Double, 0, *d};
    }
    case vb::vbObject: return operandOf(vb::defaultValue(v));
    default: vb::raiseError(vb::err::TypeMismatch);
    }
}

Variant checkedDouble(double d)
{
    if (std::isinf(d) || std::isnan(d))
        vb::raiseError(vb::err::Overflow);
    return Variant(d);
}

Variant checkedDate(double d)
{
    if (!(d >= -657434.0 && d < 2958466.0))
        vb::raiseError(vb::err::Overflow);
    return Variant(vb::Date{d});
}

// A whole-number result in the narrowest type at least as wide as `kind`.
Variant wholeResult(Num kind, std::int64_t r)
{
    if (kind == Num::Byte && r >= 0 && r <= 255)
        return Variant(static_cast<std::uint8_t>(r));
    if (kind <= Num::Integer && r >= -32768 && r <= 32767)
        return Variant(static_cast<std::int16_t>(r));
    if (r >= INT32_MIN && r <= INT32_MAX)
        return Variant(static_cast<std::int32_t>(r));
    return Variant(static_cast<double>(r));
}

Variant singleResult(double r)
{
    if (std::fabs(r) <= FLT_MAX)
        return Variant(static_cast<float>(r));
    return checkedDouble(r);
}

Variant currencyResult(__int128 scaled)
{
    if (scaled > INT64_MAX || scaled < INT64_MIN)
        vb::raiseError(vb::err::Overflow);
    return Variant(vb::Currency{static_cast<std::int64_t>(scaled)});
}

// The common kind of two operands for +, - and *.
Num common(Num a, Num b)
{
    if (a == Num::Currency || b == Num::Currency) {
        const Num other = a == Num::Currency ? b : a;
        return (other == Num::Single || other == Num::Double || other == Num::Date) ? Num::Double : Num::Currency;
    }
    if ((a == Num::Single && b == Num::Long) || (a == Num::Long && b == Num::Single))
        return Num::Double;
    return a > b ? a : b;
}

enum class Arith { Add, Subtract, Multiply };

Variant arithmetic(Arith op, const Operand& x, const Operand& y)
{
    if (x.kind == Num::Date || y.kind == Num::Date) {
        const double a = x.asDouble(), b = y.asDouble();
        switch (op) {
        case Arith::Add: return checkedDate(a + b);
        case Arith::Subtract:
            if (x.kind == Num::Date && y.kind == Num::Date)
                return checkedDouble(a - b);
            return checkedDate(a - b);
        case Arith::Multiply: return checkedDouble(a * b);
        }
    }
    const Num kind = common(x.kind, y.kind);
    switch (kind) {
    case Num::Byte:
    case Num::Integer:
    case Num::Long: {
        const std::int64_t a = x.i, b = y.i;
        const std::int64_t r = op == Arith::Add ? a + b : op == Arith::Subtract ? a - b : a * b;
        return wholeResult(kind, r);
    }
    case Num::Single: {
        const double a = x.asDouble(), b = y.asDouble();
        return singleResult(op == Arith::Add ? a + b : op == Arith::Subtract ? a - b : a * b);
    }
    case Num::Currency: {
        const __int128 a = x.asScaledCurrency(), b = y.asScaledCurrency();
        if (op == Arith::Add)
            return currencyResult(a + b);
        if (op == Arith::Subtract)
            return currencyResult(a - b);
        __int128 p = a * b;
        // Round the product back to four decimals, halves to even.
        const __int128 q = p / vb::Currency::scale;
        const __int128 rem = p % vb::Currency::scale;
        __int128 r = q;
        const __int128 twice = (rem < 0 ? -rem : rem) * 2;
        if (twice > vb::Currency::scale || (twice == vb::Currency::scale && (q % 2 != 0)))
            r += p < 0 ? -1 : 1;
        return currencyResult(r);
    }
    default: {
        const double a = x.asDouble(), b = y.asDouble();
        return checkedDouble(op == Arith::Add ? a + b : op == Arith::Subtract ? a - b : a * b);
    }
    }
}

bool isTextLike(const Variant& v)
{
    return v.isString();
}

// Whole-number operand for \ and Mod: Byte, Integer and Long stay; the rest round to Long.
Operand wholeOperand(const Variant& v)
{
    Operand o = operandOf(v);
    if (o.kind <= Num::Long)
        return o;
    const double r = vb::roundHalfEven(o.asDouble());
    if (!(r >= -2147483648.0 && r <= 2147483647.0))
        vb::raiseError(vb::err::Overflow);
    return {Num::Long, static_cast<std::int64_t>(r)};
}

} // namespace

Variant valueOf(const Variant& v)
{
    return v.isObject() ? vb::defaultValue(v) : v;
}

Variant add(const Variant& a, const Variant& b)
{
    if (a.type() == vb::vbInteger && b.type() == vb::vbInteger)
        return wholeResult(Num::Integer, std::int64_t(a.integerValue()) + b.integerValue());
    if (a.isObject() || b.isObject())
        return add(valueOf(a), valueOf(b));
    if (a.isNull() || b.isNull())
        return Variant::null();
    if (isTextLike(a) && (isTextLike(b) || b.isEmpty()))
        return concat(a, b);
    if (a.isEmpty() && isTextLike(b))
        return b;
    return arithmetic(Arith::Add, operandOf(a), operandOf(b));
}

Variant subtract(const Variant& a, const Variant& b)
{
    if (a.type() == vb::vbInteger && b.type() == vb::vbInteger)
        return wholeResult(Num::Integer, std::int64_t(a.integerValue()) - b.integerValue());
    if (a.isObject() || b.isObject())
        return subtract(valueOf(a), valueOf(b));
    if (a.isNull() || b.isNull())
        return Variant::null();
    return arithmetic(Arith::Subtract, operandOf(a), operandOf(b));
}

Variant multiply(const Variant& a, const Variant& b)
{
    if (a.isObject() || b.isObject())
        return multiply(valueOf(a), valueOf(b));
    if (a.isNull() || b.isNull())
        return Variant::null();
    return arithmetic(Arith::Multiply, operandOf(a), operandOf(b));
}

Variant divide(const Variant& a, const Variant& b)
{
    if (a.isObject() || b.isObject())
        return divide(valueOf(a), valueOf(b));
    if (a.isNull() || b.isNull())
        return Variant::null();
    const Operand x = operandOf(a), y = operandOf(b);
    const double d = y.asDouble();
    const double n = x.asDouble();
    if (d == 0.0) {
        if (n == 0.0)
            vb::raiseError(vb::err::Overflow);
        vb::raiseError(vb::err::DivisionByZero);
    }
    auto small = [](Num k) { return k == Num::Byte || k == Num::Integer || k == Num::Single; };
    if ((x.kind == Num::Single || y.kind == Num::Single) && small(x.kind) && small(y.kind))
        return singleResult(n / d);
    return checkedDouble(n / d);
}

Variant intDivide(const Variant& a, const Variant& b)
{
    if (a.isObject() || b.isObject())
        return intDivide(valueOf(a), valueOf(b));
    if (a.isNull() || b.isNull())
        return Variant::null();
    const Operand x = wholeOperand(a), y = wholeOperand(b);
    if (y.i == 0)
        vb::raiseError(vb::err::DivisionByZero);
    const Num kind = x.kind > y.kind ? x.kind : y.kind;
    const std::int64_t r = x.i / y.i;
    if (kind == Num::Long && (r < INT32_MIN || r > INT32_MAX))
        vb::raiseError(vb::err::Overflow);
    return wholeResult(kind, r);
}

Variant modulo(const Variant& a, const Variant& b)
{
    if (a.isObject() || b.isObject())
        return modulo(valueOf(a), valueOf(b));
    if (a.isNull() || b.isNull())
        return Variant::null();
    const Operand x = wholeOperand(a), y = wholeOperand(b);
    if (y.i == 0)
        vb::raiseError(vb::err::DivisionByZero);
    const Num kind = x.kind > y.kind ? x.kind : y.kind;
    return wholeResult(kind, x.i % y.i);
}

Variant power(const Variant& a, const Variant& b)
{
    if (a.isObject() || b.isObject())
        return power(valueOf(a), valueOf(b));
    if (a.isNull() || b.isNull())
        return Variant::null();
    const double x = operandOf(a).asDouble(), y = operandOf(b).asDouble();
    if (x == 0.0 && y < 0.0)
        vb::raiseError(vb::err::InvalidProcedureCall);
    const double r = std::pow(x, y);
    if (std::isnan(r))
        vb::raiseError(vb::err::InvalidProcedureCall);
    return checkedDouble(r);
}

Variant negate(const Variant& a)
{
    switch (a.type()) {
    case vb::vbNull: return Variant::null();
    case vb::vbEmpty: return Variant(std::int16_t(0));
    case vb::vbBoolean: return Variant(std::int16_t(a.booleanValue() ? 1 : 0));
    case vb::vbByte: return Variant(std::int16_t(-a.byteValue()));
    case vb::vbInteger: return wholeResult(Num::Integer, -std::int64_t(a.integerValue()));
    case vb::vbLong: return wholeResult(Num::Long, -std::int64_t(a.longValue()));
    case vb::vbSingle: return Variant(-a.singleValue());
    case vb::vbDouble: return Variant(-a.doubleValue());
    case vb::vbCurrency: return currencyResult(-static_cast<__int128>(a.currencyValue().scaled));
    case vb::vbDate: return checkedDate(-a.dateValue().serial);
    case vb::vbString: return Variant(-operandOf(a).d);
    case vb::vbObject: return negate(vb::defaultValue(a));
    default: vb::raiseError(vb::err::TypeMismatch);
    }
}

// "+x" leaves its operand alone, an object too.
Variant unaryPlus(const Variant& a)
{
    if (a.isObject())
        return a;
    if (a.isArray())
        vb::raiseError(vb::err::TypeMismatch);
    return a;
}

void appendText(std::string& out, const Variant& v)
{
    switch (v.type()) {
    case vb::vbString: {
        const std::size_t seam = out.size();
        out += v.stringValue();
        // Two odd-length byte strings joined: their half units make one unit.
        if (seam >= 4 && seam < out.size() && out[seam] == '\xF4')
            text::joinHalfUnits(out, seam);
        break;
    }
    case vb::vbNull:
    case vb::vbEmpty: break;
    case vb::vbArray:
    case vb::vbError: vb::raiseError(vb::err::TypeMismatch);
    default: out += localeText(v); break;
    }
}

Variant concat(const Variant& a, const Variant& b)
{
    if (a.isObject() || b.isObject())
        return concat(valueOf(a), valueOf(b));
    if (a.isNull() && b.isNull())
        return Variant::null();
    std::string s;
    if (a.isString()) {
        s.reserve(a.stringValue().size() + (b.isString() ? b.stringValue().size() : 16));
        s = a.stringValue();
    } else {
        appendText(s, a);
    }
    appendText(s, b);
    return Variant(std::move(s));
}

} // namespace vbscript::ops
