#include "DeviceChanges.h"

#include <utility>
#include <vector>

namespace host {

namespace {

struct Registered {
    std::size_t id;
    DeviceChangeObserver observer;
};

std::vector<Registered>& observers()
{
    static std::vector<Registered> list;
    return list;
}

std::size_t gNextId = 1;
int gNotifying = 0; // depth of notifyDeviceChange calls under way

} // namespace

std::size_t addDeviceChangeObserver(DeviceChangeObserver observer)
{
    observers().push_back({gNextId, std::move(observer)});
    return gNextId++;
}

void removeDeviceChangeObserver(std::size_t id)
{
    // While observers are being told the list keeps its places: the entry is emptied
    // now and dropped when the telling ends.
    for (Registered& r : observers())
        if (r.id == id)
            r.observer = nullptr;
    if (gNotifying == 0)
        std::erase_if(observers(), [](const Registered& r) { return !r.observer; });
}

void notifyDeviceChange(std::string_view dev, DeviceCell cell, DeviceChange what)
{
    // Called on every stored change, so nothing is allocated here. Observers added
    // meanwhile are told from the next change on; each is called through a copy, as
    // an addition may move the list.
    std::vector<Registered>& list = observers();
    const std::size_t count = list.size();
    ++gNotifying;
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
    if (--gNotifying == 0)
        std::erase_if(list, [](const Registered& r) { return !r.observer; });
}

} // namespace host
