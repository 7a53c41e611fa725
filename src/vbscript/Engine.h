// Engine: the VBScript interpreter behind ScriptControl.
//
// It owns the modules (the global module and named ones), the named objects, the
// Err object, the value stack of running procedures, and the limits: a time-out per
// call from the host, a call depth and a stack budget. Code is compiled once per
// AddCode/Execute/Eval into a tree with every name resolved; running it never looks a
// name up as text except for names that did not exist when the code was compiled.
#pragma once

#include "vbscript/builtins/Builtins.h"
#include "Node.h"
#include "Procedure.h"
#include "ScriptControl.h"
#include "ValueStack.h"

#include "automation/Error.h"
#include "automation/Object.h"
#include "automation/TextCompare.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace vbscript {

class ModuleScope;
class ClassInfo;
class ErrObject;
class ScriptObject;
struct CodeUnit;
struct Procedure;


// A run-time error with the place of the statement that failed.
class RuntimeError : public vb::Error {
public:
    RuntimeError(const vb::Error& e, int line, int column, const CodeUnit* unit)
        : vb::Error(e.number(), e.description(), e.source())
        , column_(column)
        , unit_(unit)
    {
        setLine(line);
    }
    int column() const { return column_; }
    const CodeUnit* unit() const { return unit_; }

private:
    int column_;
    const CodeUnit* unit_;
};

// A call stopped from outside (time-out); On Error Resume Next does not catch it.
class ScriptInterrupt : public vb::Error {
public:
    ScriptInterrupt() : vb::Error(kTimeoutError, std::string(kTimeoutDescription), std::string("ScriptControl")) { setLine(0); }
    // The statement that was running, set once by the innermost block.
    void place(int line, int column)
    {
        if (placed_)
            return;
        placed_ = true;
        setLine(line);
        column_ = column;
    }
    int column() const { return column_; }

private:
    bool placed_ = false;
    int column_ = 0;
};

// Variables that Execute created inside a running procedure.
struct DynamicLocals {
    std::unordered_map<std::string, std::unique_ptr<vb::Variant>, vb::CaseInsensitiveHash, vb::CaseInsensitiveEqual> variables;
    // Names the procedure already had a slot for, declared by Execute's Dim (so that
    // Option Explicit lets the procedure's own code use them).
    std::unordered_set<std::string, vb::CaseInsensitiveHash, vb::CaseInsensitiveEqual> declared;
};
void destroyDynamicLocals(DynamicLocals* locals);

struct NamedObject {
    std::string name;
    vb::Ref<vb::Object> object;
    bool globalMembers = false;
};

class Engine final : public BuiltinContext {
public:
    Engine();
    ~Engine() override;
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // --- Configuration
    void setAllowUI(bool allow) { allowUI_ = allow; }
    bool userInterfaceAllowed() const override { return allowUI_; }
    void checkLongWork() override { checkDeadline(); }
    // The locale of this engine's scripts (SetLocale); en-US until a script changes it.
    std::int32_t localeId() const override { return localeId_; }
    void setLocaleId(std::int32_t lcid) override { localeId_ = lcid; }
    // The host's classes, the boxes and Rnd's sequence; a reset keeps them.
    LibraryState& library() override { return library_; }
    void setTimeout(std::int32_t ms) { timeoutMs_ = ms; }
    std::int32_t timeout() const { return timeoutMs_; }
    // Deepest nesting of procedure calls before error 28 "Out of stack space".
    void setMaxCallDepth(int depth) { maxDepth_ = depth; }

    // --- Modules and named objects
    ModuleScope& globalScope() { return *modules_.front(); }
    ModuleScope* findModule(std::string_view name);
    ModuleScope& addModule(std::string_view name);
    // Drops a named module when nothing outside it refers into its code any more (no
    // live object of its classes outside its own variables, no GetRef of its
    // procedures): its variables are released, its code detached, its handle removed.
    // Returns false, keeping the module, otherwise or when there is no such module.
    bool releaseModule(std::string_view name);
    void addNamedObject(std::string_view name, vb::Ref<vb::Object> object, bool globalMembers);
    const std::vector<NamedObject>& namedObjects() const { return namedObjects_; }
    const NamedObject* findNamedObject(std::string_view name) const;
    // Drops every module, named object and global value.
    void reset();

    // --- Entry points of the host. Failures are recorded in lastError() and raised
    // as vb::Error.
    void addCode(ModuleScope& scope, std::string_view code);
    vb::Variant eval(ModuleScope& scope, std::string_view expression);
    void executeStatement(ModuleScope& scope, std::string_view code);
    vb::Variant run(ModuleScope& scope, std::string_view procedure, std::span<vb::Variant> args);
    const ScriptError& lastError() const { return lastError_; }
    void clearError() { lastError_ = ScriptError{}; }

    // --- Services for running code
    // Calls a procedure with the caller's argument view (by reference).
    vb::Variant call(const Procedure& p, ScriptObject* me, vb::Args args);
    // Runs a procedure whose frame memory the caller prepared: `args` points to the
    // argument variables (by-value ones are copied here), `locals` has the
    // procedure's local count of Empty values.
    vb::Variant invoke(const Procedure& p, ScriptObject* me, vb::Variant** args, vb::Variant* locals, Frame* binding = nullptr);
    ValueStack& stack() { return stack_; }
    // Counts work; now and then checks the time-out.
    void tick()
    {
        if (--budget_ <= 0)
            checkDeadline();
    }
    ErrObject& err() { return *err_; }
    vb::Ref<vb::Object> errObject() const;
    // Advanced whenever a global name is created anywhere, so that code compiled
    // before can look again for a name it did not find.
    std::uint64_t generation() const { return generation_; }
    void bumpGeneration() { ++generation_; }

    // Array elements passed by reference lock their array (error 10 on ReDim) for
    // the duration of the call.
    std::size_t lockMark() const { return locks_.size(); }
    void lockArray(vb::Array& array);
    void unlockArrays(std::size_t mark);
    // The array in `v`, ready to be written in place. Only a copy shared with other
    // variables is copied first (the references that locks hold do not count).
    vb::Array& writableArray(vb::Variant& v);

    // Records a caught error in Err.
    void recordInErr(const vb::Error& e);

    // Execute, ExecuteGlobal, Eval and GetRef as the running code calls them.
    vb::Variant evalIn(Frame& f, const std::string& expression);
    void executeIn(Frame& f, const std::string& code, bool global);
    vb::Ref<vb::Object> getRef(Frame& f, const std::string& name);

    // The module of the running frame.
    static ModuleScope& scopeOf(const Frame& f);

    // Registers a class so that reset() can detach it from the code it runs.
    void adoptClass(const vb::Ref<ClassInfo>& cls);
    void keepUnit(const vb::Ref<CodeUnit>& unit);
    // Module handles given to the host; they stay valid as long as the engine.
    std::vector<std::unique_ptr<ScriptModule>>& moduleHandles() { return moduleHandles_; }

private:
    friend class EntryScope;
    void checkDeadline();
    [[noreturn]] void outOfStack();
    void copyByValueArguments(const Procedure& p, vb::Variant** args, vb::Variant* locals);
    // By-value arguments copied into their locals, declared arrays made.
    void prepareLocals(const Procedure& p, vb::Variant** args, vb::Variant* locals);
    vb::Ref<Procedure> compileCode(ModuleScope& scope, std::string_view code, Frame* binding, bool asGlobal, bool inheritExplicit,
                                   bool executed = false);
    vb::Variant runTopLevel(const Procedure& top, Frame* binding);
    static Frame* bindingOf(Frame& f);
    [[noreturn]] void recordAndRethrow();
    void releaseEverything();
    void buryRetired();

    // First, so that it outlives whatever a script's code leaves to release.
    LibraryState library_;
    bool allowUI_ = false;
    std::int32_t timeoutMs_ = 10000;
    int maxDepth_ = 3000;
    std::vector<std::unique_ptr<ModuleScope>> modules_;
    std::vector<NamedObject> namedObjects_;
    std::vector<vb::Ref<CodeUnit>> units_;
    std::vector<vb::Ref<ClassInfo>> classes_;
    vb::Ref<ErrObject> err_;
    ValueStack stack_;
    ScriptError lastError_;
    std::string lastSource_; // the code of the last host call, for the text of compile errors
    std::uint64_t generation_ = 1;

    struct Lock {
        vb::Ref<vb::Array> array;
        bool wasFixed;
    };
    std::vector<Lock> locks_;

    // Limits
    int depth_ = 0;
    int entryDepth_ = 0;
    int budget_ = 1;
    std::int32_t localeId_ = 1033;
    bool deadlineSet_ = false;
    bool interrupted_ = false;
    std::chrono::steady_clock::time_point deadline_;
    const char* stackBase_ = nullptr;
    // Native stack the script calls of this entry may use (limits::kStackBudget, less on a
    // thread whose stack is smaller).
    std::ptrdiff_t stackBudget_ = 0;
    std::vector<std::unique_ptr<ScriptModule>> moduleHandles_;

    // State a Reset replaced while script code was still running (a script that
    // asked the host to reset the engine): kept until the outermost call returns.
    struct Retired {
        std::vector<std::unique_ptr<ModuleScope>> modules;
        std::vector<NamedObject> namedObjects;
        std::vector<vb::Ref<CodeUnit>> units;
        std::vector<vb::Ref<ClassInfo>> classes;
    };
    std::vector<Retired> retired_;
};

// Inlined into the callers on the hot path of every script call.
[[gnu::always_inline]] inline vb::Variant Engine::invoke(const Procedure& p, ScriptObject* me, vb::Variant** args, vb::Variant* locals, Frame* binding)
{
    char here = 0;
    if (depth_ >= maxDepth_ || (stackBase_ && stackBase_ - &here > stackBudget_))
        outOfStack();
    tick();
    struct Depth {
        int& d;
        explicit Depth(int& depth) : d(depth) { ++d; }
        ~Depth() { --d; }
    } depth(depth_);

    if (p.anyByVal || !p.arrays.empty()) [[unlikely]]
        prepareLocals(p, args, locals);

    Frame f{*this, args, locals, me, &p};
    f.binding = binding;
    struct Cleanup {
        Frame& f;
        ~Cleanup()
        {
            if (f.dynamicLocals)
                destroyDynamicLocals(f.dynamicLocals);
        }
    } cleanup{f};
    p.body.exec(f);
    if (p.resultSlot >= 0) {
        vb::Variant& result = locals[p.resultSlot];
        return isPlain(result.type()) ? plainCopy(result) : std::move(result);
    }
    return {};
}

// Marks a call from the host into script code: the outermost one starts the
// time-out and the stack budget.
class EntryScope {
public:
    explicit EntryScope(Engine& e);
    ~EntryScope();
    EntryScope(const EntryScope&) = delete;
    EntryScope& operator=(const EntryScope&) = delete;

private:
    Engine& engine_;
    BuiltinContext* previousContext_;
};

} // namespace vbscript
