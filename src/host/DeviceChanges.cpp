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

} // namespace

std::size_t addDeviceChangeObserver(DeviceChangeObserver observer)
{
    observers().push_back({gNextId, std::move(observer)});
    return gNextId++;
}

void removeDeviceChangeObserver(std::size_t id)
{
    std::erase_if(observers(), [id](const Registered& r) { return r.id == id; });
}

void notifyDeviceChange(std::string_view dev, DeviceCell cell, DeviceChange what)
{
    // A copy: an observer may add or remove observers while it is told.
    const std::vector<Registered> list = observers();
    for (const Registered& r : list)
        if (r.observer) {
            try {
                r.observer(dev, cell, what);
            } catch (...) {
                // The change is stored; an observer that fails misses it alone.
            }
        }
}

} // namespace host
