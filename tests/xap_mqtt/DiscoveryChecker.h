// A checker of Home Assistant device-based MQTT discovery messages, written from Home
// Assistant's documented discovery schema: the object id's characters, the required
// keys of "dev", "o" and "cmps", each component's platform and unique id, the topics a
// platform needs, and that the topics are consistent (under the bridge's base, no
// wildcards, commands apart from states).
#pragma once

#include <string>
#include <vector>

namespace testing_support {

// The problems found in one message published on `topic` (empty: it passes).
std::vector<std::string> checkDeviceDiscovery(const std::string& topic, const std::string& payload,
                                              const std::string& discoveryPrefix, const std::string& base);

} // namespace testing_support
