// The meeting point of the VBScript engine and its run-time library.
//
// The library (builtins/ and objects/) publishes its functions, constants and
// creatable classes in tables; the engine resolves names against these tables once,
// when it compiles a script, and calls the functions through BuiltinFunction::fn.
// Neither side depends on the other's internals.
#pragma once

#include "vbscript/base/RunningContext.h"

#include "automation/Object.h"
#include "automation/Variant.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vbscript {

// A function of the library. Arguments arrive as the engine holds them (by reference
// where VBScript passes by reference); omitted optional arguments are
// vb::Variant::missing(). A failure raises vb::Error with VBScript's number.
using BuiltinFn = vb::Variant (*)(BuiltinContext& context, vb::Args args);

struct BuiltinFunction {
    std::string_view name;
    std::int8_t minArgs;
    std::int8_t maxArgs; // -1: any number (Array, Max-like functions)
    BuiltinFn fn;
};

struct BuiltinConstant {
    std::string_view name;
    vb::Variant value;
};

// Every library function and constant, looked up without regard to case.
const BuiltinFunction* findBuiltinFunction(std::string_view name);
const BuiltinConstant* findBuiltinConstant(std::string_view name);

// Classes a script can create: "New RegExp" (by class name) and CreateObject("ProgID"),
// the classes the host registered in `library` first. Returns null when the name is
// unknown.
vb::Ref<vb::Object> createBuiltinClass(std::string_view className);
vb::Ref<vb::Object> createObjectByProgId(const LibraryState& library, std::string_view progId);

// Statements the engine compiles that the library carries out.
// Erase: a fixed-size array keeps its bounds with every element reset to Empty; a
// dynamic array loses its storage. Anything else raises 13.
void eraseArray(vb::Variant& target);
// Mid(target, start[, length]) = replacement: overwrites characters of the text in
// place without changing its length (start beyond the text or below 1 raises 5, a Null
// target 94). `length` may be vb::Variant::missing().
void assignMid(vb::Variant& target, const vb::Variant& start, const vb::Variant& length, const vb::Variant& replacement);


} // namespace vbscript
