#include "DeviceChangeObservers.h"

#include "automation/Error.h"

#include <vector>

namespace host {

namespace {

std::vector<DeviceChangeObserver>& observers()
{
    static std::vector<DeviceChangeObserver> list;
    return list;
}

} // namespace

void addDeviceChangeObserver(DeviceChangeObserver observer)
{
    observers().push_back(std::move(observer));
}

void notifyDeviceChange(const std::string& code, std::int16_t status, std::int32_t value, const std::string& text)
{
    for (const DeviceChangeObserver& observer : observers())
        vb::ignoreErrors([&] { observer(code, status, value, text); });
}

} // namespace host
