// ScriptEngine and its version functions; GetLocale and SetLocale (en-US, 1033, is the
// one locale: SetLocale accepts any identifier and keeps it).
#include "Arguments.h"
#include "Families.h"

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

// SetLocale(lcid): returns the previous locale.
Variant SetLocale(BuiltinContext& context, Args args)
{
    if (valueArg(args, 0).isNull())
        vb::raiseError(vb::err::InvalidUseOfNull);
    return context.localeId();
}

constexpr std::array kFunctions = {
    BuiltinFunction{"GetLocale", 0, 0, &GetLocale},
    BuiltinFunction{"ScriptEngine", 0, 0, &ScriptEngine},
    BuiltinFunction{"ScriptEngineBuildVersion", 0, 0, &ScriptEngineBuildVersion},
    BuiltinFunction{"ScriptEngineMajorVersion", 0, 0, &ScriptEngineMajorVersion},
    BuiltinFunction{"ScriptEngineMinorVersion", 0, 0, &ScriptEngineMinorVersion},
    BuiltinFunction{"SetLocale", 1, 1, &SetLocale},
};

} // namespace

std::span<const BuiltinFunction> scriptEngineFunctions()
{
    return kFunctions;
}

} // namespace vbscript::builtins
