#include "PluginRegistry.h"

#include "HostRegistry.h"
#include "HostState.h"

#include "xap/ProgramState.h"
#include "xap/Logging.h"

namespace host {

vb::Ref<vb::Object>& HostedPlugin(HostRegistry& registry)
{
    return registry.hostedPlugin;
}

vb::Ref<vb::Collection>& PluginCollection(HostRegistry& registry)
{
    return registry.pluginCollection;
}

vb::Collection& pluginCollectionCreated(HostRegistry& registry)
{
    vb::Ref<vb::Collection>& plugins = registry.pluginCollection;
    if (!plugins)
        plugins = vb::make<vb::Collection>();
    return *plugins;
}

vb::Ref<vb::Dictionary>& MenuCallbacks(HostRegistry& registry)
{
    return registry.menuCallbacks;
}

std::string& InterfaceName(HostRegistry& registry)
{
    return registry.interfaceName;
}

vb::Variant AcceptMenuCallbacks(xap::ProgramState& program, HostRegistry& registry, const std::string& sInterface,
                                const std::string& sTitle, const std::string& sDisplay)
{
    vb::trap(xap::logEventReporter(program), xap::kProgramName, "AcceptMenuCallbacks", [&] {
        const std::string key = sInterface + "~" + sTitle;
        vb::Ref<vb::Dictionary>& menus = registry.menuCallbacks;
        if (!menus)
            menus = vb::make<vb::Dictionary>(vb::CompareMode::Binary);
        const vb::Variant keyValue(key);
        if (!menus->Exists(keyValue))
            menus->Add(keyValue, vb::Variant(sDisplay));
        const HostState* state = loadedState(registry);
        if (state && state->debugModeSetting == 1)
            xap::LogEvent(program, std::string(xap::kProgramName) + " Debug", "Accepting Callback " + key);
    });
    return vb::Variant(std::string());
}

void releaseHostedPlugins(HostRegistry& registry)
{
    registry.hostedPlugin.reset();
    registry.pluginCollection.reset();
}

} // namespace host
