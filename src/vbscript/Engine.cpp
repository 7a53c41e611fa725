#include "Engine.h"

#include "CompileError.h"
#include "Compiler.h"
#include "ErrObject.h"
#include "Parser.h"
#include "ProcedureRef.h"
#include "Scope.h"
#include "ScriptClass.h"

#include "base/Assert.h"
#include "platform/ThreadStack.h"
#include "vbscript/base/Limits.h"

#include "automation/Array.h"
#include "automation/Conversions.h"

#include <algorithm>
#include <new>

namespace vbscript {

// ---------------------------------------------------------------------------
// Entry and limits

EntryScope::EntryScope(Engine& e) : engine_(e), previousContext_(runningContext())
{
    setRunningContext(&e);
    if (e.entryDepth_++ == 0) {
        char marker = 0;
        e.stackBase_ = &marker;
        // On a thread with a small stack, script calls stop well before its end
        // (the rest is for the library and the host's own frames).
        const auto room = static_cast<std::ptrdiff_t>(platform::stackRoomBelow(&marker));
        constexpr auto kScale = static_cast<std::ptrdiff_t>(platform::kStackFrameScale);
        constexpr std::ptrdiff_t kReserve = limits::kStackReserve * kScale;
        constexpr std::ptrdiff_t kBudget = limits::kStackBudget * kScale;
        e.stackBudget_ = room > 0 ? std::min(kBudget, room > 2 * kReserve ? room - kReserve : room / 2) : kBudget;
        e.interrupted_ = false;
        e.deadlineSet_ = e.timeoutMs_ >= 0;
        if (e.deadlineSet_)
            e.deadline_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(e.timeoutMs_);
        e.budget_ = limits::kTickBudget;
    }
}

EntryScope::~EntryScope()
{
    setRunningContext(previousContext_);
    TALLIS_ASSERT(engine_.entryDepth_ > 0);
    if (--engine_.entryDepth_ == 0 && !engine_.retired_.empty())
        engine_.buryRetired();
}

void Engine::checkDeadline()
{
    budget_ = limits::kTickBudget;
    if (interrupted_) {
        budget_ = 1;
        throw ScriptInterrupt();
    }
    if (deadlineSet_ && std::chrono::steady_clock::now() > deadline_) {
        interrupted_ = true;
        budget_ = 1;
        throw ScriptInterrupt();
    }
}

void destroyDynamicLocals(DynamicLocals* locals)
{
    delete locals;
}

void Engine::outOfStack()
{
    vb::raiseError(vb::err::OutOfStackSpace);
}

void Engine::prepareLocals(const Procedure& p, vb::Variant** args, vb::Variant* locals)
{
    if (p.anyByVal)
        copyByValueArguments(p, args, locals);
    for (const ArrayInit& a : p.arrays)
        locals[a.slot] = makeDeclaredArray(a);
}

void Engine::copyByValueArguments(const Procedure& p, vb::Variant** args, vb::Variant* locals)
{
    for (int i = 0; i < p.paramCount; ++i) {
        if (!p.byVal[static_cast<std::size_t>(i)])
            continue;
        if (args[i] != &locals[i]) {
            locals[i] = *args[i];
            args[i] = &locals[i];
        }
        if (locals[i].isArray() && locals[i].arrayValue().fixedSize()) {
            vb::Ref<vb::Array> copy = locals[i].arrayValue().clone();
            copy->setFixedSize(false);
            locals[i] = vb::Variant(copy);
        }
    }
}

// ---------------------------------------------------------------------------
// Construction, modules, named objects

Engine::Engine() : err_(vb::make<ErrObject>())
{
    modules_.push_back(std::make_unique<ModuleScope>("Global", nullptr));
}

Engine::~Engine()
{
    releaseEverything();
}

void Engine::releaseEverything()
{
    buryRetired();
    // Class_Terminate of objects held by globals runs while the code still exists.
    for (auto& m : modules_)
        m->releaseValues();
    for (auto& c : classes_)
        c->engine = nullptr;
    for (auto& u : units_)
        u->scope = nullptr;
    classes_.clear();
    units_.clear();
    namedObjects_.clear();
    modules_.clear();
    locks_.clear();
}

void Engine::buryRetired()
{
    std::vector<Retired> retired = std::move(retired_);
    retired_.clear();
    for (Retired& r : retired) {
        for (auto& m : r.modules)
            m->releaseValues();
    }
    for (Retired& r : retired) {
        for (auto& c : r.classes)
            c->engine = nullptr;
        for (auto& u : r.units)
            u->scope = nullptr;
    }
}

void Engine::reset()
{
    if (entryDepth_ > 0) {
        // Code is running: its frames still point into the current state.
        for (auto& c : classes_)
            c->engine = nullptr;
        retired_.push_back(Retired{std::move(modules_), std::move(namedObjects_), std::move(units_), std::move(classes_)});
        modules_.clear();
        namedObjects_.clear();
        units_.clear();
        classes_.clear();
        modules_.push_back(std::make_unique<ModuleScope>("Global", nullptr));
        err_->Clear();
        lastError_ = ScriptError{};
        ++generation_;
        return;
    }
    releaseEverything();
    modules_.push_back(std::make_unique<ModuleScope>("Global", nullptr));
    err_->Clear();
    lastError_ = ScriptError{};
    ++generation_;
    localeId_ = 1033; // a reset engine starts in en-US again
}

ModuleScope* Engine::findModule(std::string_view name)
{
    for (auto& m : modules_) {
        if (vb::equalsIgnoreCase(m->name(), name))
            return m.get();
    }
    return nullptr;
}

ModuleScope& Engine::addModule(std::string_view name)
{
    if (findModule(name))
        vb::raiseError(vb::err::DuplicateKey);
    modules_.push_back(std::make_unique<ModuleScope>(std::string(name), modules_.front().get()));
    return *modules_.back();
}

bool Engine::releaseModule(std::string_view name)
{
    const auto found = std::find_if(modules_.begin() + 1, modules_.end(),
                                    [&](const auto& m) { return vb::equalsIgnoreCase(m->name(), name); });
    if (found == modules_.end())
        return false;
    ModuleScope& module = **found;
    // A procedure held by more than its slot has a GetRef somewhere.
    std::vector<const ClassInfo*> own;
    for (const GlobalSlot& slot : module.slots()) {
        if (slot.procedure && slot.procedure->refCount() > 1)
            return false;
        if (slot.kind == GlobalSlot::Kind::Class && slot.classInfo)
            own.push_back(slot.classInfo.get());
    }
    // A class is held by the engine's list, its slot, and its objects: only objects kept
    // directly in the module's own variables may exist.
    for (const ClassInfo* cls : own) {
        int held = 2;
        for (const GlobalSlot& slot : module.slots()) {
            if (auto* object = slot.value.isObject() ? dynamic_cast<ScriptObject*>(slot.value.objectValue()) : nullptr)
                held += &object->classInfo() == cls;
        }
        if (cls->refCount() > held)
            return false;
    }
    auto isOwn = [&](const vb::Ref<ClassInfo>& c) { return std::find(own.begin(), own.end(), c.get()) != own.end(); };
    module.releaseValues();
    for (auto& c : classes_) {
        if (isOwn(c))
            c->engine = nullptr;
    }
    std::erase_if(classes_, isOwn);
    std::erase_if(units_, [&](const vb::Ref<CodeUnit>& u) {
        if (u->scope != &module)
            return false;
        u->scope = nullptr;
        return true;
    });
    std::erase_if(moduleHandles_, [&](const auto& h) { return vb::equalsIgnoreCase(h->name(), name); });
    modules_.erase(found);
    return true;
}

void Engine::addNamedObject(std::string_view name, vb::Ref<vb::Object> object, bool globalMembers)
{
    if (!object)
        vb::raiseError(vb::err::ObjectRequired);
    for (NamedObject& n : namedObjects_) {
        if (vb::equalsIgnoreCase(n.name, name))
            vb::raiseError(vb::err::DuplicateKey);
    }
    namedObjects_.push_back(NamedObject{std::string(name), std::move(object), globalMembers});
    ++generation_;
}

const NamedObject* Engine::findNamedObject(std::string_view name) const
{
    for (const NamedObject& n : namedObjects_) {
        if (vb::equalsIgnoreCase(n.name, name))
            return &n;
    }
    return nullptr;
}

void Engine::adoptClass(const vb::Ref<ClassInfo>& cls)
{
    classes_.push_back(cls);
}

void Engine::keepUnit(const vb::Ref<CodeUnit>& unit)
{
    units_.push_back(unit);
}

vb::Ref<vb::Object> Engine::errObject() const
{
    return vb::Ref<vb::Object>(err_.get());
}

// ---------------------------------------------------------------------------
// Running procedures

vb::Variant Engine::call(const Procedure& p, ScriptObject* me, vb::Args args)
{
    if (static_cast<int>(args.size()) != p.paramCount)
        vb::raiseError(vb::err::WrongArgumentCount);
    if (!p.unit || !p.unit->scope)
        vb::raiseError(vb::err::ObjectDoesntSupportAction);
    EntryScope entry(*this);
    FrameMemory mem(stack_, p.localCount, p.paramCount);
    for (int i = 0; i < p.paramCount; ++i)
        mem.pointers[i] = &args[static_cast<std::size_t>(i)];
    return invoke(p, me, mem.pointers, mem.values);
}

void Engine::lockArray(vb::Array& array)
{
    locks_.push_back(Lock{vb::Ref<vb::Array>(&array), array.fixedSize()});
    array.setFixedSize(true);
}

void Engine::unlockArrays(std::size_t mark)
{
    while (locks_.size() > mark) {
        locks_.back().array->setFixedSize(locks_.back().wasFixed);
        locks_.pop_back();
    }
}

vb::Array& Engine::writableArray(vb::Variant& v)
{
    const vb::Array* current = &v.arrayValue();
    int held = 0;
    bool wasFixed = current->fixedSize();
    for (const Lock& l : locks_) {
        if (l.array.get() == current) {
            if (held == 0)
                wasFixed = l.wasFixed;
            ++held;
        }
    }
    if (held == 0)
        return v.mutableArray();
    if (current->refCount() - held <= 1)
        return const_cast<vb::Array&>(*current);
    // Shared with another variable: this variable gets its own copy, which the
    // locks on the original do not cover.
    vb::Array& own = v.mutableArray();
    own.setFixedSize(wasFixed);
    return own;
}

void Engine::recordInErr(const vb::Error& e)
{
    std::string description = e.description().empty() ? runtimeDescription(e.number()) : e.description();
    std::string source = e.source().empty() ? std::string(kRuntimeErrorSource) : e.source();
    err_->set(e.number(), std::move(description), std::move(source));
}

ModuleScope& Engine::scopeOf(const Frame& f)
{
    return *f.procedure->unit->scope;
}

// ---------------------------------------------------------------------------
// Compiling and running code

vb::Ref<Procedure> Engine::compileCode(ModuleScope& scope, std::string_view code, Frame* binding, bool asGlobal, bool inheritExplicit, bool executed)
{
    vb::Ref<CodeUnit> unit = vb::make<CodeUnit>();
    unit->scope = &scope;
    unit->source = std::string(code);
    unit->optionExplicit = inheritExplicit;
    Parser parser(unit->source);
    ast::Program program = parser.parseProgram();
    Compiler compiler(*this, scope, *unit, binding, asGlobal);
    compiler.setExecuted(executed);
    vb::Ref<Procedure> top = compiler.compileProgram(program);
    // Units whose procedures or classes stay in the engine are detached on reset.
    if (compiler.declaredCode())
        keepUnit(unit);
    return top;
}

vb::Variant Engine::runTopLevel(const Procedure& top, Frame* binding)
{
    FrameMemory mem(stack_, top.localCount, 0);
    return invoke(top, binding ? binding->me : nullptr, binding ? const_cast<vb::Variant**>(binding->args) : nullptr, mem.values, binding);
}

Frame* Engine::bindingOf(Frame& f)
{
    Frame* root = f.binding ? f.binding : &f;
    return root->procedure->topLevel ? nullptr : root;
}

namespace {

std::string sourceLine(std::string_view code, int line)
{
    int current = 1;
    std::size_t start = 0;
    for (std::size_t i = 0; i < code.size() && current < line; ++i) {
        if (code[i] == '\n' || (code[i] == '\r' && (i + 1 >= code.size() || code[i + 1] != '\n'))) {
            ++current;
            start = i + 1;
        }
    }
    if (current != line)
        return {};
    std::size_t end = start;
    while (end < code.size() && code[end] != '\n' && code[end] != '\r')
        ++end;
    return std::string(code.substr(start, end - start));
}

} // namespace

void Engine::recordAndRethrow()
{
    ScriptError e;
    try {
        throw;
    } catch (const CompileError& c) {
        e.number = c.number();
        e.description = c.what();
        e.source = std::string(kCompileErrorSource);
        e.line = c.line();
        e.column = c.column();
        e.text = sourceLine(lastSource_, c.line());
    } catch (const ScriptInterrupt& i) {
        e.number = i.number();
        e.description = i.description();
        e.source = i.source();
        e.line = i.line();
        e.column = i.column();
    } catch (const RuntimeError& r) {
        e.number = r.number();
        e.description = r.description().empty() ? runtimeDescription(r.number()) : r.description();
        e.source = r.source().empty() ? std::string(kRuntimeErrorSource) : r.source();
        e.line = r.line();
        e.column = r.column();
    } catch (const vb::Error& v) {
        e.number = v.number();
        e.description = v.description().empty() ? runtimeDescription(v.number()) : v.description();
        e.source = v.source().empty() ? std::string(kRuntimeErrorSource) : v.source();
    } catch (const std::bad_alloc&) {
        e.number = vb::err::OutOfMemory;
        e.description = runtimeDescription(e.number);
        e.source = std::string(kRuntimeErrorSource);
    } catch (const std::exception& x) {
        e.number = vb::err::InternalError;
        e.description = x.what();
        e.source = std::string(kRuntimeErrorSource);
    }
    lastError_ = e;
    throw vb::Error(e.number, e.description, e.source);
}

void Engine::addCode(ModuleScope& scope, std::string_view code)
{
    EntryScope entry(*this);
    try {
        lastSource_ = std::string(code);
        vb::Ref<Procedure> top = compileCode(scope, code, nullptr, true, scope.optionExplicit);
        runTopLevel(*top, nullptr);
    } catch (...) {
        recordAndRethrow();
    }
}

void Engine::executeStatement(ModuleScope& scope, std::string_view code)
{
    addCode(scope, code);
}

vb::Variant Engine::eval(ModuleScope& scope, std::string_view expression)
{
    EntryScope entry(*this);
    try {
        vb::Ref<CodeUnit> unit = vb::make<CodeUnit>();
        unit->scope = &scope;
        unit->source = std::string(expression);
        unit->optionExplicit = scope.optionExplicit;
        lastSource_ = unit->source;
        Parser parser(unit->source);
        ast::ExprPtr e = parser.parseExpressionOnly();
        Compiler compiler(*this, scope, *unit, nullptr, true);
        vb::Ref<Procedure> top = compiler.compileEval(*e);
        return runTopLevel(*top, nullptr);
    } catch (...) {
        recordAndRethrow();
    }
}

vb::Variant Engine::run(ModuleScope& scope, std::string_view procedure, std::span<vb::Variant> args)
{
    EntryScope entry(*this);
    try {
        GlobalSlot* g = scope.lookup(procedure);
        if (!g || g->kind != GlobalSlot::Kind::Procedure)
            vb::raiseError(vb::err::SubOrFunctionNotDefined);
        std::vector<vb::Variant*> ptrs;
        for (vb::Variant& a : args)
            ptrs.push_back(&a);
        vb::Ref<Procedure> keep = g->procedure;
        return call(*keep, nullptr, vb::Args(ptrs.data(), ptrs.size()));
    } catch (...) {
        recordAndRethrow();
    }
}

// ---------------------------------------------------------------------------
// Execute, Eval and GetRef from running code

namespace {

// Errors of the evaluated text are reported at the statement that evaluated it. An
// expression that stops short ("x = ") is a syntax error to Execute, as to Eval.
[[noreturn]] void rethrowAtCaller(const CodeUnit* unit)
{
    try {
        throw;
    } catch (const CompileError& c) {
        if (c.number() == cerr::ExpectedExpression) {
            const CompileError syntax(cerr::SyntaxError, c.line(), c.column());
            throw vb::Error(syntax.number(), syntax.what(), std::string(kCompileErrorSource));
        }
        throw vb::Error(c.number(), c.what(), std::string(kCompileErrorSource));
    } catch (const RuntimeError& r) {
        if (r.unit() == unit)
            throw vb::Error(r.number(), r.description(), r.source());
        throw;
    }
}

} // namespace

vb::Variant Engine::evalIn(Frame& f, const std::string& expression)
{
    ModuleScope& scope = scopeOf(f);
    vb::Ref<CodeUnit> unit = vb::make<CodeUnit>();
    unit->scope = &scope;
    unit->source = expression;
    unit->optionExplicit = f.procedure->unit->optionExplicit || scope.optionExplicit;
    try {
        Parser parser(unit->source);
        ast::ExprPtr e = parser.parseExpressionOnly();
        Frame* binding = bindingOf(f);
        Compiler compiler(*this, scope, *unit, binding, binding == nullptr);
        vb::Ref<Procedure> top = compiler.compileEval(*e);
        return runTopLevel(*top, binding);
    } catch (...) {
        rethrowAtCaller(unit.get());
    }
}

void Engine::executeIn(Frame& f, const std::string& code, bool global)
{
    ModuleScope& scope = scopeOf(f);
    Frame* binding = global ? nullptr : bindingOf(f);
    const CodeUnit* unitSeen = nullptr;
    // "Option Explicit" in executed code holds for that code only; the caller's holds
    // for Execute code, not for ExecuteGlobal code, which is a script of its own.
    const bool wasExplicit = scope.optionExplicit;
    const bool inheritExplicit = !global && (f.procedure->unit->optionExplicit || wasExplicit);
    try {
        vb::Ref<Procedure> top;
        try {
            if (global)
                scope.optionExplicit = false;
            top = compileCode(scope, code, binding, binding == nullptr, inheritExplicit, true);
        } catch (...) {
            scope.optionExplicit = wasExplicit;
            throw;
        }
        scope.optionExplicit = wasExplicit;
        unitSeen = top->unit.get();
        runTopLevel(*top, binding);
    } catch (...) {
        rethrowAtCaller(unitSeen);
    }
}

vb::Ref<vb::Object> Engine::getRef(Frame& f, const std::string& name)
{
    GlobalSlot* g = scopeOf(f).lookup(name);
    if (!g || g->kind != GlobalSlot::Kind::Procedure)
        vb::raiseError(vb::err::InvalidProcedureCall);
    return vb::Ref<vb::Object>(new ProcedureRef(*this, g->procedure));
}

} // namespace vbscript
