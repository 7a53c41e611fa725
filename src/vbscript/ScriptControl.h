// ScriptControl: the VBScript engine as the host program uses it.
//
// It offers the operations of a script control: reset, language, allow user
// interface, time-out, named objects (optionally with their members as global
// names), a global module and named modules that take code and run procedures, and
// the last error with number, description, line and column.
//
// Errors: AddCode, Run, Eval and ExecuteStatement both record the failure in error()
// and raise it as vb::Error (number and description as VBScript reports them), as a
// script control does; the caller may look at either.
#pragma once

#include "automation/Object.h"
#include "automation/Variant.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace vbscript {

class Engine; // the interpreter behind the control
class LibraryState;

struct ScriptError {
    std::int32_t number = 0; // 0 when there is no error
    std::string description;
    std::string source; // "Microsoft VBScript runtime error", "Microsoft VBScript compilation error", or the Err.Source a script raised
    std::int32_t line = 0;   // 1-based line within the code added (0 when unknown)
    std::int32_t column = 0; // 0-based column, as a script control reports it
    std::string text;        // the source line, for compilation errors
};

class ScriptModule;

// A call that runs longer than the time-out is stopped with this run-time error
// (E_ABORT, "operation aborted"); On Error Resume Next in the script does not catch it.
inline constexpr std::int32_t kTimeoutError = static_cast<std::int32_t>(0x80004004u);
inline constexpr std::string_view kTimeoutDescription = "Script execution timed out";

class ScriptControl {
public:
    ScriptControl();
    ~ScriptControl();
    ScriptControl(const ScriptControl&) = delete;
    ScriptControl& operator=(const ScriptControl&) = delete;

    // Drops all code, modules, named objects and global state.
    void Reset();
    // Only "VBScript" is known; other names raise error 5.
    void setLanguage(std::string_view language);
    std::string language() const;
    void setAllowUI(bool allow);
    bool allowUI() const;
    // Milliseconds a single call may run before it is stopped and reported as an
    // error (kTimeoutError); -1 for no limit. The default is 10000.
    void setTimeout(std::int32_t milliseconds);
    std::int32_t timeout() const;

    // Makes `object` known to scripts as `name`; with addMembers its members are also
    // usable as global names (Version as well as xap.Version).
    void AddObject(std::string_view name, vb::Ref<vb::Object> object, bool addMembers = false);

    // The global module.
    ScriptModule& globalModule();
    // Creates a named module (error 457 when the name exists) / finds one (null when missing).
    ScriptModule& addModule(std::string_view name);
    ScriptModule* module(std::string_view name);
    // Drops a named module that nothing refers into any more (see Engine::releaseModule);
    // a handle to it is no longer valid afterwards. False when it is kept.
    bool releaseModule(std::string_view name);

    // Shortcuts on the global module.
    void AddCode(std::string_view code);
    vb::Variant Eval(std::string_view expression);
    void ExecuteStatement(std::string_view statement);
    vb::Variant Run(std::string_view procedure, std::span<vb::Variant> args = {});

    const ScriptError& error() const;
    void clearError();

    // What the run-time library keeps for this engine: the classes the host lets its
    // scripts create, the message boxes, the headless MsgBox's sink (Reset keeps them).
    LibraryState& library();

    Engine& engine();

private:
    std::unique_ptr<Engine> engine_;
};

// A module: its own code and globals, seeing the global module's names as well.
class ScriptModule {
public:
    virtual ~ScriptModule() = default;
    virtual std::string_view name() const = 0;
    virtual void AddCode(std::string_view code) = 0;
    virtual vb::Variant Eval(std::string_view expression) = 0;
    virtual void ExecuteStatement(std::string_view statement) = 0;
    // Runs a Sub or Function of the module by name; arguments pass by reference.
    virtual vb::Variant Run(std::string_view procedure, std::span<vb::Variant> args) = 0;
};

} // namespace vbscript
