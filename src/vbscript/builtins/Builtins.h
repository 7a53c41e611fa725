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

// Classes a script can create: "New RegExp" (by class name) and CreateObject("ProgID").
// Returns null when the name is unknown.
vb::Ref<vb::Object> createBuiltinClass(std::string_view className);
vb::Ref<vb::Object> createObjectByProgId(std::string_view progId);

// Statements the engine compiles that the library carries out.
// Erase: a fixed-size array keeps its bounds with every element reset to Empty; a
// dynamic array loses its storage. Anything else raises 13.
void eraseArray(vb::Variant& target);
// Mid(target, start[, length]) = replacement: overwrites characters of the text in
// place without changing its length (start beyond the text or below 1 raises 5, a Null
// target 94). `length` may be vb::Variant::missing().
void assignMid(vb::Variant& target, const vb::Variant& start, const vb::Variant& length, const vb::Variant& replacement);

// The host may add its own creatable classes (for example plug-in classes).
using ObjectFactory = std::function<vb::Ref<vb::Object>()>;
void registerProgId(std::string_view progId, ObjectFactory factory);

// Message and input boxes. The program installs a Qt implementation when it has a
// display; without one MsgBox logs its text through the text sink and returns vbOK
// (1), and InputBox returns "".
class UserInterface {
public:
    virtual ~UserInterface() = default;
    // VBScript's MsgBox: returns the button pressed (vbOK = 1 ... vbNo = 7).
    virtual std::int32_t msgBox(const std::string& prompt, std::int32_t buttons, const std::string& title) = 0;
    // VBScript's InputBox: nothing when cancelled.
    virtual std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                                const std::string& defaultText) = 0;
};
void setUserInterface(UserInterface* ui); // null restores the headless behaviour
UserInterface* userInterface();
// Where the headless MsgBox writes its text (stderr when unset).
void setHeadlessTextSink(std::function<void(const std::string&)> sink);

} // namespace vbscript
