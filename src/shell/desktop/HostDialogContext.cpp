#include "HostDialogContext.h"

#include "shell/PluginHost.h"
#include "shell/ShellState.h"

#include "automation/Conversions.h"
#include "host/HostState.h"
#include "host/PluginRegistry.h"
#include "platform/FileSystem.h"
#include "services/Setup.h"
#include "xap/Logging.h"
#include "xap/ProgramState.h"

namespace shell {

HostDialogContext::HostDialogContext(xap::ProgramState& program, ShellState& shell, PluginFactory factory)
    : program_(program)
    , shell_(shell)
    , factory_(factory ? std::move(factory) : PluginFactory([&program, &shell](const std::string& className) {
          return shell::createPluginObject(className, program, shell);
      }))
{
}

std::vector<vb::Ref<vb::Object>> HostDialogContext::plugins()
{
    std::vector<vb::Ref<vb::Object>> out;
    if (const vb::Ref<vb::Collection> collection = host::PluginCollection(shell_.host)) {
        for (std::size_t i = 1; i <= collection->size(); ++i) {
            const vb::Variant& item = collection->at(i);
            if (item.isObject() && item.objectValue())
                out.emplace_back(item.objectValue());
        }
    }
    return out;
}

std::vector<std::pair<std::string, std::string>> HostDialogContext::menuCallbacks()
{
    std::vector<std::pair<std::string, std::string>> out;
    if (const vb::Ref<vb::Dictionary> menus = host::MenuCallbacks(shell_.host)) {
        menus->forEach([&](const vb::Variant& key, const vb::Variant& display) {
            out.emplace_back(vb::CStr(key), vb::CStr(display));
        });
    }
    return out;
}

std::string HostDialogContext::interfaceName()
{
    return host::InterfaceName(shell_.host);
}

services::IniTool& HostDialogContext::settingsStore()
{
    if (services::Setup* setup = services::setupForm(shell_.services)) {
        detachedStore_.reset();
        return setup->settingsStore();
    }
    if (!detachedStore_) {
        detachedStore_ = std::make_unique<services::IniTool>(program_.ini);
        detachedStore_->Load(platform::joinPath(program_.baseFolder, "Config/Settings.ini"));
    }
    return *detachedStore_;
}

void HostDialogContext::setDebugMode(std::int32_t mode)
{
    if (host::HostState* state = host::loadedState(shell_.host))
        state->debugModeSetting = mode;
}

void HostDialogContext::getSelectedPlugins(std::string& interfaceName)
{
    if (services::Setup* setup = services::setupForm(shell_.services))
        setup->GetSelectedPlugins(vb::Variant(interfaceName));
}

vb::Ref<vb::Object> HostDialogContext::createPluginObject(const std::string& className)
{
    return factory_(className);
}

std::string HostDialogContext::baseFolder()
{
    return program_.baseFolder;
}

const vb::Reporter& HostDialogContext::failureReporter()
{
    return xap::logEventReporter(program_);
}

} // namespace shell
