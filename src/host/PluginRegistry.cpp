#include "PluginRegistry.h"

#include "HostRegistry.h"
#include "HostState.h"

#include "xap/ProgramState.h"
#include "xap/Logging.h"

namespace host {

namespace {

HostRegistry& registry()
{
    return hostRegistry();
}

} // namespace

vb::Ref<vb::Object>& HostedPlugin()
{
    return registry().hostedPlugin;
}

vb::Ref<vb::Collection>& PluginCollection()
{
    return registry().pluginCollection;
}

vb::Collection& pluginCollectionCreated()
{
    vb::Ref<vb::Collection>& plugins = registry().pluginCollection;
    if (!plugins)
        plugins = vb::make<vb::Collection>();
    return *plugins;
}

vb::Ref<vb::Dictionary>& MenuCallbacks()
{
    return registry().menuCallbacks;
}

std::string& InterfaceName()
{
    return registry().interfaceName;
}

vb::Variant AcceptMenuCallbacks(const std::string& sInterface, const std::string& sTitle, const std::string& sDisplay)
{
    vb::trap(xap::logEventReporter(xap::state()), xap::kProgramName, "AcceptMenuCallbacks", [&] {
        const std::string key = sInterface + "~" + sTitle;
        vb::Ref<vb::Dictionary>& menus = registry().menuCallbacks;
        if (!menus)
            menus = vb::make<vb::Dictionary>(vb::CompareMode::Binary);
        const vb::Variant keyValue(key);
        if (!menus->Exists(keyValue))
            menus->Add(keyValue, vb::Variant(sDisplay));
        const HostState* state = loadedState();
        if (state && state->debugModeSetting == 1)
            xap::LogEvent(xap::state(), std::string(xap::kProgramName) + " Debug", "Accepting Callback " + key);
    });
    return vb::Variant(std::string());
}

void releaseHostedPlugins()
{
    registry().hostedPlugin.reset();
    registry().pluginCollection.reset();
}

} // namespace host
