// ScriptEngine and its version functions; GetLocale and SetLocale (the locales of
// Locale.h, en-US by default).
#include "Arguments.h"
#include "Families.h"
#include "Locale.h"

#include "automation/Conversions.h"
#include "automation/Error.h"

#include <array>

namespace vbscript::builtins {

namespace {

using vb::Args;
using vb::Variant;

Variant ScriptEngine(BuiltinContext&, Args)
{
    return std::string("VBScript");
}

Variant ScriptEngineMajorVersion(BuiltinContext&, Args)
{
    return std::int32_t(5);
}

Variant ScriptEngineMinorVersion(BuiltinContext&, Args)
{
    return std::int32_t(8);
}

Variant ScriptEngineBuildVersion(BuiltinContext&, Args)
{
    return std::int32_t(16384);
}

Variant GetLocale(BuiltinContext& context, Args)
{
    return context.localeId();
}

// SetLocale([lcid]): an identifier (1031) or tag ("de-DE"); 0 is the default. Returns
// the locale before; without an argument it changes nothing.
Variant SetLocale(BuiltinContext& context, Args args)
{
    const std::int32_t previous = context.localeId();
    if (!given(args, 0))
        return previous;
    const Variant v = valueArg(args, 0);
    if (v.isNull())
        vb::raiseError(vb::err::InvalidUseOfNull);
    const Locale* locale = v.isString() ? findLocale(v.stringValue()) : findLocale(vb::CLng(v) == 0 ? kDefaultLocale : vb::CLng(v));
    if (!locale)
        vb::raiseError(vb::err::InvalidProcedureCall);
    context.setLocaleId(locale->lcid);
    return previous;
}

constexpr std::array kFunctions = {
    BuiltinFunction{"GetLocale", 0, 0, &GetLocale},
    BuiltinFunction{"ScriptEngine", 0, 0, &ScriptEngine},
    BuiltinFunction{"ScriptEngineBuildVersion", 0, 0, &ScriptEngineBuildVersion},
    BuiltinFunction{"ScriptEngineMajorVersion", 0, 0, &ScriptEngineMajorVersion},
    BuiltinFunction{"ScriptEngineMinorVersion", 0, 0, &ScriptEngineMinorVersion},
    BuiltinFunction{"SetLocale", 0, 1, &SetLocale},
};

} // namespace

std::span<const BuiltinFunction> scriptEngineFunctions()
{
    return kFunctions;
}

} // namespace vbscript::builtins
