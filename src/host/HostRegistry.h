// What the host keeps for one running program: its loaded state, the script service
// it runs scripts through, the hosted plug-in with its collection and menu
// registrations, and who watches device changes.
// The program's instance owns one and hands it to what works with the host (the host
// object, the Setup form, the plug-in host, the desktop); a tool or test makes its own.
// Two registries in one process share nothing.
#pragma once

#include "DeviceChanges.h"

#include "automation/Collection.h"
#include "automation/Dictionary.h"
#include "automation/Ref.h"

#include <cstddef>
#include <string>
#include <vector>

namespace host {

class HostState;
class ScriptService;

struct HostRegistry {
    HostRegistry();
    ~HostRegistry();
    HostRegistry(const HostRegistry&) = delete;
    HostRegistry& operator=(const HostRegistry&) = delete;

    // The host's state while the host is loaded (host/HostState.h), and the script
    // service when one is set (host/ScriptService.h; null: scripts do nothing).
    vb::Ref<HostState> loadedState;
    ScriptService* scriptService = nullptr;

    // The plug-in registry (host/PluginRegistry.h).
    vb::Ref<vb::Object> hostedPlugin;
    vb::Ref<vb::Collection> pluginCollection;
    vb::Ref<vb::Dictionary> menuCallbacks;
    std::string interfaceName;

    // The device-change observers (host/DeviceChanges.h), in the order they were
    // added; an entry removed while they are being told is emptied and dropped after.
    struct DeviceWatcher {
        std::size_t id;
        DeviceChangeObserver observer;
    };
    std::vector<DeviceWatcher> deviceWatchers;
    std::size_t nextWatcherId = 1;
    int notifying = 0; // depth of notifyDeviceChange calls under way
};

} // namespace host
