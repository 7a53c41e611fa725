// Comparison operators and the truth of conditions.
#include "Operators.h"

#include "vbscript/text/Locale.h"

#include "automation/Conversions.h"
#include "automation/Error.h"
#include "automation/Object.h"
#include "automation/TextCompare.h"

namespace vbscript::ops {

using vb::Variant;

namespace {

bool isWhole(const Variant& v)
{
    switch (v.type()) {
    case vb::vbInteger:
    case vb::vbLong:
    case vb::vbBoolean:
    case vb::vbByte:
    case vb::vbEmpty:
        return true;
    default:
        return false;
    }
}

std::int64_t wholeOf(const Variant& v)
{
    switch (v.type()) {
    case vb::vbInteger: return v.integerValue();
    case vb::vbLong: return v.longValue();
    case vb::vbBoolean: return v.booleanValue() ? -1 : 0;
    case vb::vbByte: return v.byteValue();
    default: return 0;
    }
}

Order orderOf(int c)
{
    return c < 0 ? Order::Less : c > 0 ? Order::Greater : Order::Equal;
}

} // namespace

Order compare(const Variant& a, const Variant& b)
{
    if (a.isObject() || b.isObject())
        return compare(valueOf(a), valueOf(b));
    // An array is a type error before Null propagates ("Array(1) = Null").
    if (a.isArray() || b.isArray() || a.isError() || b.isError())
        vb::raiseError(vb::err::TypeMismatch);
    if (a.isNull() || b.isNull())
        return Order::Null;
    if (isWhole(a) && isWhole(b)) {
        const std::int64_t x = wholeOf(a), y = wholeOf(b);
        return x < y ? Order::Less : x > y ? Order::Greater : Order::Equal;
    }
    if (a.isString() && b.isString())
        return orderOf(vb::compareBinary(a.stringValue(), b.stringValue()));
    if (a.isString() && b.isEmpty())
        return orderOf(vb::compareBinary(a.stringValue(), ""));
    if (a.isEmpty() && b.isString())
        return orderOf(vb::compareBinary("", b.stringValue()));
    // A string and a number (or Boolean, or date) held in variables: the number is
    // the lesser, whatever the text says. Only a literal reads the string as a number.
    if (a.isString())
        return Order::Greater;
    if (b.isString())
        return Order::Less;
    if (a.type() == vb::vbCurrency && b.type() == vb::vbCurrency) {
        const auto x = a.currencyValue().scaled, y = b.currencyValue().scaled;
        return x < y ? Order::Less : x > y ? Order::Greater : Order::Equal;
    }
    double x = vb::toDouble(a), y = vb::toDouble(b);
    // A Single compares with its own precision: CSng(0.1) = 0.1.
    if (a.type() == vb::vbSingle && b.type() != vb::vbSingle)
        y = static_cast<float>(y);
    if (b.type() == vb::vbSingle && a.type() != vb::vbSingle)
        x = static_cast<float>(x);
    return x < y ? Order::Less : x > y ? Order::Greater : Order::Equal;
}

Variant equal(const Variant& a, const Variant& b)
{
    const Order o = compare(a, b);
    return o == Order::Null ? Variant::null() : Variant(o == Order::Equal);
}

Variant notEqual(const Variant& a, const Variant& b)
{
    const Order o = compare(a, b);
    return o == Order::Null ? Variant::null() : Variant(o != Order::Equal);
}

Variant less(const Variant& a, const Variant& b)
{
    const Order o = compare(a, b);
    return o == Order::Null ? Variant::null() : Variant(o == Order::Less);
}

Variant greater(const Variant& a, const Variant& b)
{
    const Order o = compare(a, b);
    return o == Order::Null ? Variant::null() : Variant(o == Order::Greater);
}

Variant lessEqual(const Variant& a, const Variant& b)
{
    const Order o = compare(a, b);
    return o == Order::Null ? Variant::null() : Variant(o == Order::Less || o == Order::Equal);
}

Variant greaterEqual(const Variant& a, const Variant& b)
{
    const Order o = compare(a, b);
    return o == Order::Null ? Variant::null() : Variant(o == Order::Greater || o == Order::Equal);
}

Order literalOrder(const Variant& a, const Variant& literal)
{
    if (a.isObject())
        return literalOrder(valueOf(a), literal);
    if (!a.isString())
        return compare(a, literal);
    const double y = vb::toDouble(literal);
    // A date literal reads the string as a date.
    if (literal.type() == vb::vbDate) {
        const double x = scriptDate(a).serial;
        return x < y ? Order::Less : x > y ? Order::Greater : Order::Equal;
    }
    const Locale& locale = scriptLocale();
    const double x = locale.lcid == kDefaultLocale ? vb::CDbl(a) : vb::CDbl(Variant(toInvariantNumber(a.stringValue(), locale)));
    return x < y ? Order::Less : x > y ? Order::Greater : Order::Equal;
}

Variant literalComparison(ast::BinaryOp op, const Variant& a, const Variant& literal)
{
    const Order o = literalOrder(a, literal);
    if (o == Order::Null)
        return Variant::null();
    switch (op) {
    case ast::BinaryOp::Equal: return Variant(o == Order::Equal);
    case ast::BinaryOp::NotEqual: return Variant(o != Order::Equal);
    case ast::BinaryOp::Less: return Variant(o == Order::Less);
    case ast::BinaryOp::Greater: return Variant(o == Order::Greater);
    case ast::BinaryOp::LessEqual: return Variant(o != Order::Greater);
    default: return Variant(o != Order::Less);
    }
}

Variant isOperator(const Variant& a, const Variant& b)
{
    return Variant(sameObject(a, b));
}

bool sameObject(const Variant& a, const Variant& b)
{
    if (!a.isObject() || !b.isObject())
        vb::raiseError(vb::err::ObjectRequired);
    return a.objectValue() == b.objectValue();
}

bool isTrue(const Variant& v)
{
    switch (v.type()) {
    case vb::vbBoolean: return v.booleanValue();
    case vb::vbNull: return false;
    case vb::vbEmpty: return false;
    case vb::vbInteger: return v.integerValue() != 0;
    case vb::vbLong: return v.longValue() != 0;
    case vb::vbArray: vb::raiseError(vb::err::TypeMismatch);
    default: return vb::CBool(v);
    }
}

} // namespace vbscript::ops
