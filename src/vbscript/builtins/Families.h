// The tables each family of the run-time library publishes; Registry.cpp collects them.
#pragma once

#include "vbscript/builtins/Builtins.h"

#include <span>
#include <string>
#include <string_view>

namespace vbscript::builtins {

std::span<const BuiltinFunction> stringFunctions();
std::span<const BuiltinFunction> byteStringFunctions();
std::span<const BuiltinFunction> conversionFunctions();
std::span<const BuiltinFunction> testFunctions();
std::span<const BuiltinFunction> mathFunctions();
std::span<const BuiltinFunction> dateFunctions();
std::span<const BuiltinFunction> formatFunctions();
std::span<const BuiltinFunction> arrayFunctions();
std::span<const BuiltinFunction> objectFunctions();
std::span<const BuiltinFunction> interactionFunctions();
std::span<const BuiltinFunction> scriptEngineFunctions();

std::span<const BuiltinConstant> constants();

// Classes the library itself can create, by "New" class name and by ProgID.
struct CreatableClass {
    std::string_view name;
    vb::Ref<vb::Object> (*create)();
};
std::span<const CreatableClass> newableClasses();
std::span<const CreatableClass> progIdClasses();

} // namespace vbscript::builtins
