// The [BSC] section of vynXap.ini: whether the node publishes its devices as BSC
// endpoints, whether it takes commands from the LAN, and how often it reports.
#pragma once

#include <string>

namespace services {
struct IniState;
}

namespace bsc {

struct Settings {
    bool enabled = false;  // Enabled=1; a missing section or key means off
    bool commands = false; // Commands=1: accept xAPBSC.cmd (xAP has no authentication)
    int infoIntervalSeconds = 120; // InfoInterval=; 0: no periodic info
    std::string problems;  // what was not understood (the defaults then apply), for the log
};

inline constexpr int kMinInfoInterval = 10;
inline constexpr int kMaxInfoInterval = 24 * 60 * 60;

// Reads the section from the vynXap.ini at `path` (letter case of the path resolved).
Settings readSettings(services::IniState& iniState, const std::string& path);

} // namespace bsc
