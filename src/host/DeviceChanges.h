// Observers of device state changes inside the program (the BSC endpoints, the
// automation interface): told after a status, value or text change has been stored,
// at the moments the event listeners are told (never while the host loads).
#pragma once

#include "DeviceCode.h"

#include <cstddef>
#include <functional>
#include <string_view>

namespace host {

struct HostRegistry;

enum class DeviceChange { Status, Value, Text };

// The device code as the caller gave it, its cell, and what changed.
using DeviceChangeObserver = std::function<void(std::string_view dev, DeviceCell cell, DeviceChange what)>;

// Adds an observer of the changes in `registry`'s host; the number returned removes it again.
std::size_t addDeviceChangeObserver(HostRegistry& registry, DeviceChangeObserver observer);
void removeDeviceChangeObserver(HostRegistry& registry, std::size_t id);

// Tells every observer of `registry`, in the order they were added. An observer's
// failure is its own.
void notifyDeviceChange(HostRegistry& registry, std::string_view dev, DeviceCell cell, DeviceChange what);

} // namespace host
