// Array functions: Array, LBound, UBound, Join, Split, Filter, and eraseArray for the
// Erase statement the engine compiles.
#include "Arguments.h"
#include "Families.h"
#include "vbscript/text/UnicodeText.h"

#include "automation/Array.h"
#include "automation/Conversions.h"
#include "automation/Error.h"

#include <array>

namespace vbscript {

void eraseArray(vb::Variant& target)
{
    if (!target.isArray())
        vb::raiseError(vb::err::TypeMismatch);
    if (target.arrayValue().fixedSize()) {
        // A fixed-size array keeps its shape; its elements go back to Empty.
        target.mutableArray().clearElements();
    } else {
        // A dynamic array gives up its storage: no dimensions until the next ReDim.
        target = vb::Variant(vb::make<vb::Array>());
    }
}

namespace builtins {

namespace {

using vb::Args;
using vb::Variant;

// An array argument; an object stands for its default member's value (held in
// `keep`): Nothing raises 91, an object without a default member 438.
const vb::Array& arrayArg(Args args, std::size_t i, Variant& keep)
{
    if (!given(args, i))
        vb::raiseError(vb::err::ArgumentNotOptional);
    const Variant* v = &args[i];
    if (v->isObject()) {
        keep = vb::defaultValue(*v);
        v = &keep;
    }
    if (!v->isArray())
        vb::raiseError(vb::err::TypeMismatch);
    return v->arrayValue();
}

// A one-dimensional array, as Join and Filter require (Null raises 94).
const vb::Array& listArg(Args args, std::size_t i, Variant& keep)
{
    if (given(args, i) && args[i].isNull())
        vb::raiseError(vb::err::InvalidUseOfNull);
    const vb::Array& a = arrayArg(args, i, keep);
    if (a.dimensions() != 1)
        vb::raiseError(vb::err::InvalidProcedureCall);
    return a;
}

Variant stringList(std::vector<Variant> items)
{
    return Variant(vb::Array::fromValues(std::move(items)));
}

Variant ArrayOf(BuiltinContext&, Args args)
{
    std::vector<Variant> items;
    items.reserve(args.size());
    for (std::size_t i = 0; i < args.size(); ++i)
        items.push_back(args.isMissing(i) ? Variant() : args[i]);
    return Variant(vb::Array::fromValues(std::move(items)));
}

Variant LBound(BuiltinContext&, Args args)
{
    Variant keep;
    const vb::Array& a = arrayArg(args, 0, keep);
    return a.lbound(longArg(args, 1, 1));
}

Variant UBound(BuiltinContext&, Args args)
{
    Variant keep;
    const vb::Array& a = arrayArg(args, 0, keep);
    return a.ubound(longArg(args, 1, 1));
}

// The text of one element for Join and Filter: Null and Empty elements give "".
std::string elementText(const Variant& v)
{
    const Variant value = vb::defaultValue(v);
    if (value.isNull())
        return {};
    return vb::CStr(value);
}

Variant Join(BuiltinContext&, Args args)
{
    Variant keep;
    // A table of two or more dimensions is no list of texts.
    if (given(args, 0) && args[0].isArray() && args[0].arrayValue().dimensions() > 1)
        vb::raiseError(vb::err::TypeMismatch);
    const vb::Array& list = listArg(args, 0, keep);
    const std::string delimiter = stringArg(args, 1, " ");
    std::string out;
    bool first = true;
    for (const Variant& element : list.elements()) {
        if (!first)
            out += delimiter;
        first = false;
        // A Null element has no text to join.
        if (element.isNull())
            vb::raiseError(vb::err::TypeMismatch);
        out += elementText(element);
        checkStringSize(static_cast<double>(out.size()));
        pollLongWork();
    }
    return out;
}

// Split(expression[, delimiter[, count[, compare]]]): count limits the number of
// pieces (-1: all), the last piece holding the rest.
Variant Split(BuiltinContext&, Args args)
{
    const std::string expression = stringArg(args, 0);
    const std::string delimiter = stringArg(args, 1, " ");
    const std::int32_t count = longArg(args, 2, -1);
    if (count < -1)
        vb::raiseError(vb::err::InvalidProcedureCall);
    // Split takes only the binary and text comparisons.
    if (given(args, 3) && !args[3].isNull() && vb::CLng(valueArg(args, 3)) == 2)
        vb::raiseError(vb::err::InvalidProcedureCall);
    const vb::CompareMode mode = compareArg(args, 3);

    std::vector<Variant> pieces;
    if (expression.empty() || count == 0)
        return stringList(std::move(pieces));
    if (delimiter.empty())
        return stringList({Variant(expression)});
    std::size_t pos = 0;
    while (count < 0 || static_cast<std::int32_t>(pieces.size()) < count - 1) {
        const vb::TextMatch at = vb::findMatch(expression, delimiter, pos, mode);
        if (!at.found())
            break;
        pieces.emplace_back(expression.substr(pos, at.pos - pos));
        pos = at.pos + at.length;
        pollLongWork();
    }
    pieces.emplace_back(expression.substr(pos));
    return stringList(std::move(pieces));
}

// Filter(InputStrings, Value[, Include[, Compare]]): the elements that contain Value
// (or, with Include False, that do not).
Variant Filter(BuiltinContext&, Args args)
{
    Variant keep;
    const vb::Array& list = listArg(args, 0, keep);
    const std::string value = stringArg(args, 1);
    const bool include = boolArg(args, 2, true);
    const vb::CompareMode mode = compareArg(args, 3);
    std::vector<Variant> kept;
    for (const Variant& element : list.elements()) {
        std::string s = elementText(element);
        const bool contains = text::find(s, value, 0, mode) != std::string::npos;
        if (contains == include)
            kept.emplace_back(std::move(s));
    }
    return stringList(std::move(kept));
}

constexpr std::array kFunctions = {
    BuiltinFunction{"Array", 0, -1, &ArrayOf},
    BuiltinFunction{"Filter", 2, 4, &Filter},
    BuiltinFunction{"Join", 1, 2, &Join},
    BuiltinFunction{"LBound", 1, 2, &LBound},
    BuiltinFunction{"Split", 1, 4, &Split},
    BuiltinFunction{"UBound", 1, 2, &UBound},
};

} // namespace

std::span<const BuiltinFunction> arrayFunctions()
{
    return kFunctions;
}

} // namespace builtins
} // namespace vbscript
