// ScriptEngine and its version functions; GetLocale and SetLocale (the locales of
// Locale.h, en-US by default).
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

bool isDecimalText(std::string_view s)
{
    return !s.empty() && s.size() <= 9 && s.find_first_not_of("0123456789") == std::string_view::npos;
}

// SetLocale([lcid]): an identifier (1031, or as text "1031") or tag ("de-DE"); 0 is the
// default. Returns the locale before; without an argument it changes nothing. An
// identifier nobody knows is refused (447).
Variant SetLocale(BuiltinContext& context, Args args)
{
    const std::int32_t previous = context.localeId();
    if (!given(args, 0))
        return previous;
    const Variant v = valueArg(args, 0);
    if (v.isNull())
        vb::raiseError(vb::err::InvalidUseOfNull);
    const Locale* locale = nullptr;
    if (v.isString() && !isDecimalText(v.stringValue())) {
        locale = findLocale(v.stringValue());
    } else {
        const std::int32_t lcid = vb::CLng(v);
        locale = findLocale(lcid == 0 ? kDefaultLocale : lcid);
    }
    if (!locale)
        vb::raiseError(vb::err::LocaleNotSupported);
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
