#include "DeviceChanges.h"
#include "HostRegistry.h"

#include <utility>
#include <vector>

namespace host {

namespace {

using Registered = HostRegistry::DeviceWatcher;

} // namespace

std::size_t addDeviceChangeObserver(HostRegistry& registry, DeviceChangeObserver observer)
{
    registry.deviceWatchers.push_back({registry.nextWatcherId, std::move(observer)});
    return registry.nextWatcherId++;
}

void removeDeviceChangeObserver(HostRegistry& registry, std::size_t id)
{
    // While observers are being told the list keeps its places: the entry is emptied
    // now and dropped when the telling ends.
    for (Registered& r : registry.deviceWatchers)
        if (r.id == id)
            r.observer = nullptr;
    if (registry.notifying == 0)
        std::erase_if(registry.deviceWatchers, [](const Registered& r) { return !r.observer; });
}

void notifyDeviceChange(HostRegistry& registry, std::string_view dev, DeviceCell cell, DeviceChange what)
{
    // Called on every stored change, so nothing is allocated here. Observers added
    // meanwhile are told from the next change on; each is called through a copy, as
    // an addition may move the list.
    std::vector<Registered>& list = registry.deviceWatchers;
    const std::size_t count = list.size();
    ++registry.notifying;
    for (std::size_t i = 0; i < count; ++i) {
        const DeviceChangeObserver observer = list[i].observer;
        if (!observer)
            continue;
        try {
            observer(dev, cell, what);
        } catch (...) {
            // The change is stored; an observer that fails misses it alone.
        }
    }
    if (--registry.notifying == 0)
        std::erase_if(list, [](const Registered& r) { return !r.observer; });
}

} // namespace host
