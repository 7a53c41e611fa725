// Observers of device state changes (status, value, text): each change is passed on
// once, after it is stored, with the cell's state as it now is. Changes made while the
// host loads are not passed on, as they notify nobody else either. Observers are added
// at start-up; they run on the program's thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace host {

using DeviceChangeObserver =
    std::function<void(const std::string& code, std::int16_t status, std::int32_t value, const std::string& text)>;

void addDeviceChangeObserver(DeviceChangeObserver observer);

// Called by the state members after storing a change.
void notifyDeviceChange(const std::string& code, std::int16_t status, std::int32_t value, const std::string& text);

} // namespace host
