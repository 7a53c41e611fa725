#include "HostScripts.h"

#include "ScriptFile.h"

#include "host/Application.h"
#include "platform/StallWatchdog.h"
#include "vbscript/ScriptControl.h"
#include "vbscript/base/LibraryState.h"

#include <optional>

namespace services {

namespace {
constexpr std::int32_t kScriptTimeoutMs = 90000;
}

HostScripts::HostScripts(xap::ProgramState& program)
    : program_(program)
{
}

HostScripts::~HostScripts()
{
    // A script that ends while the engine goes finds no service that is going too.
    if (installedIn_ && &host::scriptService(*installedIn_) == this)
        host::setScriptService(*installedIn_, nullptr);
}

void HostScripts::install(host::HostRegistry& registry)
{
    host::setScriptService(registry, this);
    installedIn_ = &registry;
}

vbscript::ScriptControl& HostScripts::engine()
{
    if (!engine_)
        engine_ = std::make_unique<vbscript::ScriptControl>();
    return *engine_;
}

void HostScripts::initScriptControl(host::Application& app)
{
    vbscript::ScriptControl& control = engine();
    control.Reset();
    control.setLanguage("VBScript");
    control.setAllowUI(true);
    control.AddObject("xap", vb::Ref<vb::Object>(&app), true);
    control.setTimeout(kScriptTimeoutMs);
    // Paths the scripts build from the base folder keep its spelling.
    control.library().setVerbatimFolder(app.GetAppPath());
}

std::string HostScripts::nextModuleKey()
{
    return "M" + std::to_string(++runs_);
}

void HostScripts::run(const std::string& scriptFile)
{
    runEx(scriptFile, "main", vb::Variant(""));
}

vb::Variant HostScripts::runEx(const std::string& scriptFile, const std::string& function, const vb::Variant& param)
{
    const std::string key = nextModuleKey();
    vb::Variant result;
    {
        // The script ends itself at its time-out; the stall watchdog leaves it that long.
        std::optional<platform::StallWatchdog::BoundedWork> bounded;
        if (allowance_)
            bounded.emplace(*allowance_, kScriptTimeoutMs / 1000 + 5);
        ScriptFile script(engine(), program_);
        script.Add(scriptFile, key);
        result = script.Run(function, param);
    }
    // The run has ended: its module goes unless something still refers into it (an
    // object of its classes, a GetRef), so that a busy callback does not make the
    // engine grow.
    engine().releaseModule(key);
    return result;
}

} // namespace services
