// The logical (bitwise) operators Not, And, Or, Xor, Eqv and Imp, with Null as
// "unknown" in the three-valued way VBScript documents.
#include "Operators.h"

#include "automation/Conversions.h"
#include "automation/Error.h"
#include "automation/Object.h"

#include <optional>

namespace vbscript::ops {

using vb::Variant;

namespace {

enum class Width : std::uint8_t { Boolean, Byte, Integer, Long };

struct Bits {
    Width width;
    std::int32_t value;
};

// An operand as bits; nothing for Null.
std::optional<Bits> bitsOf(const Variant& v)
{
    switch (v.type()) {
    case vb::vbNull: return std::nullopt;
    case vb::vbBoolean: return Bits{Width::Boolean, v.booleanValue() ? -1 : 0};
    case vb::vbEmpty: return Bits{Width::Long, 0};
    case vb::vbByte: return Bits{Width::Byte, v.byteValue()};
    case vb::vbInteger: return Bits{Width::Integer, v.integerValue()};
    case vb::vbLong: return Bits{Width::Long, v.longValue()};
    case vb::vbString: {
        if (vb::parseNumber(v.stringValue()))
            return Bits{Width::Long, vb::CLng(v)};
        return Bits{Width::Boolean, vb::CBool(v) ? -1 : 0};
    }
    case vb::vbObject: return bitsOf(vb::defaultValue(v));
    case vb::vbArray:
    case vb::vbError: vb::raiseError(vb::err::TypeMismatch);
    default: return Bits{Width::Long, vb::CLng(v)};
    }
}

Width widthOf(Width a, Width b)
{
    if (a == b)
        return a;
    if (a == Width::Long || b == Width::Long)
        return Width::Long;
    return Width::Integer;
}

Variant make(Width w, std::int32_t value)
{
    switch (w) {
    case Width::Boolean: return Variant(value != 0);
    case Width::Byte: return Variant(static_cast<std::uint8_t>(value & 0xFF));
    case Width::Integer: return Variant(static_cast<std::int16_t>(value));
    default: return Variant(value);
    }
}

std::int32_t allOnes(Width w)
{
    return w == Width::Byte ? 0xFF : -1;
}

} // namespace

Variant logicalNot(const Variant& a)
{
    auto x = bitsOf(a);
    if (!x)
        return Variant::null();
    return make(x->width, ~x->value);
}

Variant logicalAnd(const Variant& a, const Variant& b)
{
    auto x = bitsOf(a), y = bitsOf(b);
    if (x && y)
        return make(widthOf(x->width, y->width), x->value & y->value);
    const auto& known = x ? x : y;
    if (known && known->value == 0)
        return make(known->width, 0);
    return Variant::null();
}

Variant logicalOr(const Variant& a, const Variant& b)
{
    auto x = bitsOf(a), y = bitsOf(b);
    if (x && y)
        return make(widthOf(x->width, y->width), x->value | y->value);
    const auto& known = x ? x : y;
    if (known && known->value == allOnes(known->width))
        return make(known->width, known->value);
    return Variant::null();
}

Variant logicalXor(const Variant& a, const Variant& b)
{
    auto x = bitsOf(a), y = bitsOf(b);
    if (x && y)
        return make(widthOf(x->width, y->width), x->value ^ y->value);
    return Variant::null();
}

Variant logicalEqv(const Variant& a, const Variant& b)
{
    auto x = bitsOf(a), y = bitsOf(b);
    if (x && y)
        return make(widthOf(x->width, y->width), ~(x->value ^ y->value));
    return Variant::null();
}

Variant logicalImp(const Variant& a, const Variant& b)
{
    auto x = bitsOf(a), y = bitsOf(b);
    if (x && y)
        return make(widthOf(x->width, y->width), ~x->value | y->value);
    if (x && !y) {
        // The bits that are 0 in x give 1 whatever Null is; all bits unknown is Null
        // for a value that is True (-1); a Byte is never -1, so 255 Imp Null is 0.
        const std::int32_t known = ~x->value & allOnes(x->width);
        if (known != 0 || x->width == Width::Byte)
            return make(x->width, known);
        return Variant::null();
    }
    if (!x && y) {
        if (y->value == allOnes(y->width))
            return make(y->width, y->value);
        return Variant::null();
    }
    return Variant::null();
}

} // namespace vbscript::ops
