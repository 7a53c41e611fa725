#include "ScriptService.h"

#include "HostRegistry.h"

namespace host {

void ScriptService::initScriptControl(Application&) { }

void ScriptService::run(const std::string&) { }

vb::Variant ScriptService::runEx(const std::string&, const std::string&, const vb::Variant&)
{
    return vb::Variant();
}

ScriptService& scriptService()
{
    // Without a service set, scripts do nothing. The do-nothing service holds no state.
    static ScriptService none;
    ScriptService* service = hostRegistry().scriptService;
    return service ? *service : none;
}

void setScriptService(ScriptService* service)
{
    hostRegistry().scriptService = service;
}

} // namespace host
