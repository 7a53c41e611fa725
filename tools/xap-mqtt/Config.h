// The bridge's settings: an INI file (--config FILE) and the same keys as options on
// the command line, which win over the file. One table lists every key once: its
// section, its name, its option and how its value is read.
#pragma once

#include "MqttClient.h"

#include <optional>
#include <string>
#include <vector>

namespace xapmqtt {

struct Config {
    BrokerSettings broker;
    std::string passwordFile;

    std::string base = "xap";
    std::string discoveryPrefix = "homeassistant";

    bool discovery = true;
    bool tunnel = false;
    std::string site;
    std::vector<std::string> allowSources;  // xAP address patterns; empty: every source
    std::vector<std::string> denySources;
    std::vector<std::string> tunnelClasses; // class globs; empty: every class
    double minInterval = 0;                 // seconds between two states of one endpoint
    double forgetAfter = 0;                 // seconds of silence before removal; 0: never
    int hopLimit = 3;
    int maxEndpoints = 10000;
    double availabilityGrace = 10;          // seconds beyond twice the heartbeat interval

    std::string source;                     // the bridge's own xAP source; from the host name when empty
    std::string uid = "FF.00D2:00";
    std::string broadcast = "255.255.255.255";
    int xapPort = 3639;
    int heartbeatInterval = 60;

    // The xAP source a bridge uses when none is set.
    std::string effectiveSource() const;
};

struct CommandLine {
    Config config;
    std::string configFile;
    std::string forget;   // --forget SOURCE
    bool once = false;
    bool help = false;
    bool version = false;
};

// Reads the options (and the file they name); nothing with `error` set on bad input.
std::optional<CommandLine> parseCommandLine(int argc, char** argv, std::string& error);
// Reads an INI text into `config`; false with `error` (file:line: what) on bad input.
bool readConfigText(const std::string& text, const std::string& name, Config& config, std::string& error);
// Reads the password file's first line into the broker settings.
bool readPasswordFile(Config& config, std::string& error);

std::string usageText();

} // namespace xapmqtt
