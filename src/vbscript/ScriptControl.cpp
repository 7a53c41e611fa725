#include "ScriptControl.h"

#include "Engine.h"
#include "Scope.h"

#include "automation/Error.h"
#include "automation/TextCompare.h"


namespace vbscript {

namespace {

// A module as the host holds it. It finds its scope by name on every call, so a
// handle that outlives a Reset reports an error instead of touching freed state.
class ModuleHandle final : public ScriptModule {
public:
    ModuleHandle(Engine& engine, std::string name) : engine_(engine), name_(std::move(name)) { }
    std::string_view name() const override { return name_; }
    void AddCode(std::string_view code) override { engine_.addCode(scope(), code); }
    vb::Variant Eval(std::string_view expression) override { return engine_.eval(scope(), expression); }
    void ExecuteStatement(std::string_view statement) override { engine_.executeStatement(scope(), statement); }
    vb::Variant Run(std::string_view procedure, std::span<vb::Variant> args) override
    {
        return engine_.run(scope(), procedure, args);
    }

private:
    ModuleScope& scope()
    {
        ModuleScope* s = engine_.findModule(name_);
        if (!s)
            vb::raiseError(vb::err::ObjectRequired);
        return *s;
    }

    Engine& engine_;
    std::string name_;
};

} // namespace

namespace {
ScriptModule& handleFor(Engine& engine, std::string_view name)
{
    auto& handles = engine.moduleHandles();
    for (auto& h : handles) {
        if (vb::equalsIgnoreCase(h->name(), name))
            return *h;
    }
    handles.push_back(std::make_unique<ModuleHandle>(engine, std::string(name)));
    return *handles.back();
}
} // namespace

ScriptControl::ScriptControl() : engine_(std::make_unique<Engine>()) { }

ScriptControl::~ScriptControl() = default;

void ScriptControl::Reset()
{
    engine_->reset();
}

void ScriptControl::setLanguage(std::string_view language)
{
    if (!vb::equalsIgnoreCase(language, "VBScript"))
        vb::raiseError(vb::err::InvalidProcedureCall);
}

std::string ScriptControl::language() const
{
    return "VBScript";
}

void ScriptControl::setAllowUI(bool allow)
{
    engine_->setAllowUI(allow);
}

bool ScriptControl::allowUI() const
{
    return engine_->userInterfaceAllowed();
}

void ScriptControl::setTimeout(std::int32_t milliseconds)
{
    engine_->setTimeout(milliseconds);
}

std::int32_t ScriptControl::timeout() const
{
    return engine_->timeout();
}

void ScriptControl::AddObject(std::string_view name, vb::Ref<vb::Object> object, bool addMembers)
{
    engine_->addNamedObject(name, std::move(object), addMembers);
}

ScriptModule& ScriptControl::globalModule()
{
    return handleFor(*engine_, engine_->globalScope().name());
}

ScriptModule& ScriptControl::addModule(std::string_view name)
{
    engine_->addModule(name);
    return handleFor(*engine_, name);
}

bool ScriptControl::releaseModule(std::string_view name)
{
    return engine_->releaseModule(name);
}

ScriptModule* ScriptControl::module(std::string_view name)
{
    if (!engine_->findModule(name))
        return nullptr;
    return &handleFor(*engine_, name);
}

void ScriptControl::AddCode(std::string_view code)
{
    engine_->addCode(engine_->globalScope(), code);
}

vb::Variant ScriptControl::Eval(std::string_view expression)
{
    return engine_->eval(engine_->globalScope(), expression);
}

void ScriptControl::ExecuteStatement(std::string_view statement)
{
    engine_->executeStatement(engine_->globalScope(), statement);
}

vb::Variant ScriptControl::Run(std::string_view procedure, std::span<vb::Variant> args)
{
    return engine_->run(engine_->globalScope(), procedure, args);
}

const ScriptError& ScriptControl::error() const
{
    return engine_->lastError();
}

void ScriptControl::clearError()
{
    engine_->clearError();
}

LibraryState& ScriptControl::library()
{
    return engine_->library();
}

Engine& ScriptControl::engine()
{
    return *engine_;
}

} // namespace vbscript
