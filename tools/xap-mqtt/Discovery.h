// The Home Assistant side of the endpoint table: the device-based discovery message of
// one xAP device (all its endpoints as components), topic names and state payloads.
#pragma once

#include "Bsc.h"

#include <map>
#include <optional>
#include <string>

namespace xapmqtt {

struct EndpointEntry {
    std::string subAddress; // as received
    std::string subUid;
    bsc::Kind kind = bsc::Kind::Switch;
    std::string name;       // displaytext, else the sub-address
    std::string lastLevel;  // the last level text, for its scale
    std::string state;      // payload for the state topic ("" until known)
    std::string brightness; // payload for the brightness topic (lights)
    std::string publishedState;
    std::string publishedBrightness;
    std::int64_t lastPublishMs = -1000000000;
    bool pending = false;
};

struct DeviceEntry {
    std::string source;     // as received, without sub-address
    std::string uid;        // without sub-uid
    std::map<std::string, EndpointEntry> endpoints; // by endpoint id
    std::int64_t lastHeardMs = 0;
    std::int64_t lastReportMs = 0;
    int intervalSeconds = 60;
    bool heartbeatSeen = false;
    bool online = false;
    bool availabilityPublished = false;
    bool discoveryDirty = true;
};

struct Topics {
    std::string base;
    std::string discoveryPrefix;

    std::string bridgeState() const { return base + "/bridge/state"; }
    std::string forgetRequests() const { return base + "/bridge/forget"; }
    std::string haStatus() const { return discoveryPrefix + "/status"; }
    std::string discovery(const std::string& objectId) const { return discoveryPrefix + "/device/" + objectId + "/config"; }
    std::string availability(const std::string& deviceId) const { return base + "/" + deviceId + "/availability"; }
    std::string endpoint(const std::string& deviceId, const std::string& endpointId) const { return base + "/" + deviceId + "/" + endpointId; }
};

// The ids Home Assistant and the topics use.
std::string deviceIdOf(const std::string& source);  // source lowercased, as a topic id
std::string endpointIdOf(const std::string& subAddress, const std::string& subUid);

// The retained discovery message of one device.
std::string discoveryPayload(const Topics& topics, const std::string& deviceId, const DeviceEntry& device,
                             const std::string& bridgeId, const std::string& version);
// The bridge's own device: one connectivity sensor on its state topic.
std::string bridgeDiscoveryPayload(const Topics& topics, const std::string& bridgeId, const std::string& bridgeSource,
                                   const std::string& version);

// A device's discovery message with the component `componentId` announced as removed
// (only its platform left, which makes Home Assistant drop the entity); "" when it
// was the only component (the whole device goes); nothing when `payload` holds no such
// component.
std::optional<std::string> withoutComponent(const std::string& payload, const std::string& componentId);

// Fills the endpoint's state payloads from a report (texts cut to 255 characters;
// `cut` tells when that happened).
void applyReport(EndpointEntry& endpoint, const bsc::Report& report, bool* cut = nullptr);

// Text cut to at most `limit` characters, never inside a UTF-8 sequence.
std::string cutText(const std::string& text, std::size_t limit);

} // namespace xapmqtt
