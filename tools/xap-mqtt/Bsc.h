// The bridge's reading of xAP Basic Status and Control: an endpoint's "xAPBSC.event" or
// "xAPBSC.info" report as a Home Assistant component, levels as Home Assistant's
// brightness, and the "xAPBSC.cmd" and "xAPBSC.query" texts it sends. The schema's
// rules themselves (classes, blocks, states, levels, endpoint numbers) are the
// project's schema library (bsc/Schema.h, used by the implementation only, so that its
// namespace and this one never meet); what is here maps them to Home Assistant.
#pragma once

#include "XapFrame.h"

#include <optional>
#include <string>
#include <string_view>

namespace xapmqtt::bsc {

// What an endpoint is, as Home Assistant sees it.
enum class Kind { Switch, Light, Text, BinarySensor, Sensor };
const char* platformOf(Kind kind); // "switch", "light", "text", "binary_sensor", "sensor"
bool settable(Kind kind);

struct Report {
    std::string device;     // source without sub-address, as received
    std::string subAddress; // "" for a device that reports for itself
    std::string uid;        // the device's uid without the sub-uid
    std::string subUid;     // the part after ":" of the uid ("" when none)
    bool output = true;     // output.state (settable) or input.state (a sensor)
    bool isEvent = false;
    std::string state;      // "on", "off", "?" or "" when absent
    std::optional<std::string> level; // as sent, a valid level: "N/M", "N%" or "?/M"
    std::optional<std::string> text;
    std::string displayText;

    Kind kind() const;
};

// A BSC event or info message read into a report; nothing when the frame is no such
// message, with `why` set when it claims to be one but its block is unusable.
std::optional<Report> readReport(const XapFrame& frame, std::string* why = nullptr);

// Level texts and Home Assistant's brightness (0..255), both ways; nothing for a level
// that is malformed or unknown ("?/M"). A level of "N/M" keeps its scale M on the way
// back, any other (a percentage, or none yet) gives a percentage.
std::optional<int> brightnessOf(std::string_view level);
std::string levelFor(int brightness, std::string_view lastLevel);
// The level as a percentage (0..100), for sensors.
std::optional<int> percentOf(std::string_view level);

// What Home Assistant asked of an endpoint, as texts.
struct Command {
    std::string state; // "on", "off", "toggle" or ""
    std::string level; // "" when not set
    std::optional<std::string> text;
};

struct Sender {
    std::string source;
    std::string uid;
};

// One "xAPBSC.cmd" to the endpoint `target` (device:sub-address) with block
// "output.state.1" and id = its sub-uid ("*" when it names no endpoint number 01..FE).
// A state or level that is not valid BSC is left out.
std::string composeCommand(const Sender& from, const std::string& target, const std::string& subUid, const Command& command);
// One "xAPBSC.query" to `target` with an empty "request" block.
std::string composeQuery(const Sender& from, const std::string& target);
// The bridge's own heartbeat.
std::string composeHeartbeat(const Sender& from, int intervalSeconds, int port);

} // namespace xapmqtt::bsc
