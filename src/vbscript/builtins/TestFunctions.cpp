// Tests of a value: IsArray, IsDate, IsEmpty, IsNull, IsNumeric, TypeName, VarType.
// They look at the argument itself; only IsNumeric and VarType consult an object's
// default member, as VBScript documents.
#include "Arguments.h"
#include "Families.h"
#include "vbscript/text/Locale.h"

#include "automation/Conversions.h"
#include "automation/Error.h"

#include <array>

namespace vbscript::builtins {

namespace {

using vb::Args;
using vb::Variant;

const Variant& rawArg(Args args)
{
    if (!given(args, 0))
        vb::raiseError(vb::err::ArgumentNotOptional);
    return args[0];
}

Variant IsArray(BuiltinContext&, Args args)
{
    return rawArg(args).isArray();
}

Variant IsDate(BuiltinContext&, Args args)
{
    const Variant& v = rawArg(args);
    if (v.isString())
        return parseLocaleDate(v.stringValue(), scriptLocale()).has_value();
    return vb::IsDate(v);
}

Variant IsEmpty(BuiltinContext&, Args args)
{
    return rawArg(args).isEmpty();
}

Variant IsNull(BuiltinContext&, Args args)
{
    return rawArg(args).isNull();
}

// Text counts as numeric when the script's locale reads it as a number.
Variant IsNumeric(BuiltinContext&, Args args)
{
    const Variant v = rawArg(args);
    if (v.isString())
        return parseLocaleNumber(v.stringValue()).has_value();
    return vb::IsNumeric(v);
}

Variant TypeName(BuiltinContext&, Args args)
{
    return vb::typeName(rawArg(args));
}

// "If an object has a default property, VarType(object) returns the type of its
// default property"; an object whose default member needs arguments is vbObject.
Variant VarType(BuiltinContext&, Args args)
{
    const Variant& v = rawArg(args);
    if (v.isObject() && v.objectValue() && v.objectValue()->memberId("") != vb::kNoMember) {
        try {
            const Variant value = vb::defaultValue(v);
            if (!value.isObject())
                return static_cast<std::int16_t>(value.varType());
        } catch (const vb::Error&) {
        }
    }
    return static_cast<std::int16_t>(v.varType());
}

constexpr std::array kFunctions = {
    BuiltinFunction{"IsArray", 1, 1, &IsArray},
    BuiltinFunction{"IsDate", 1, 1, &IsDate},
    BuiltinFunction{"IsEmpty", 1, 1, &IsEmpty},
    BuiltinFunction{"IsNull", 1, 1, &IsNull},
    BuiltinFunction{"IsNumeric", 1, 1, &IsNumeric},
    BuiltinFunction{"TypeName", 1, 1, &TypeName},
    BuiltinFunction{"VarType", 1, 1, &VarType},
};

} // namespace

std::span<const BuiltinFunction> testFunctions()
{
    return kFunctions;
}

} // namespace vbscript::builtins
