#include "ScriptService.h"

#include "HostRegistry.h"

namespace host {

void ScriptService::initScriptControl(Application&) { }

void ScriptService::run(const std::string&) { }

vb::Variant ScriptService::runEx(const std::string&, const std::string&, const vb::Variant&)
{
    return vb::Variant();
}

ScriptService& scriptService(HostRegistry& registry)
{
    // Without a service set, scripts do nothing. The do-nothing service holds no state.
    static ScriptService none;
    ScriptService* service = registry.scriptService;
    return service ? *service : none;
}

void setScriptService(HostRegistry& registry, ScriptService* service)
{
    registry.scriptService = service;
}

} // namespace host
