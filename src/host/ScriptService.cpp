#include "ScriptService.h"

namespace host {

void ScriptService::initScriptControl(Application&) { }

void ScriptService::run(const std::string&) { }

vb::Variant ScriptService::runEx(const std::string&, const std::string&, const vb::Variant&)
{
    return vb::Variant();
}

namespace {
ScriptService gDefaultService;
ScriptService* gService = &gDefaultService;
} // namespace

ScriptService& scriptService()
{
    return *gService;
}

void setScriptService(ScriptService* service)
{
    gService = service ? service : &gDefaultService;
}

} // namespace host
