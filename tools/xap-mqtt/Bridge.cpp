#include "Bridge.h"

#include "Text.h"
#include "TopicId.h"

#include "platform/service/ServiceManager.h"

#include <QRandomGenerator>
#include <QTimer>

#include <algorithm>

namespace xapmqtt {

namespace {

constexpr int kCheckIntervalMs = 500;
constexpr int kDiscoveryDelayMs = 100;   // reports arriving together make one discovery message
constexpr int kBirthDelayMaxMs = 5000;   // Home Assistant restarts: spread the bridges' answers

bool validUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size() + (extra == 0 ? 1 : 0))
            return false;
        for (int k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]) >> 6) != 2)
                return false;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

} // namespace

Bridge::Bridge(Config config, std::string version)
    : config_(std::move(config)), version_(std::move(version)), topics_{config_.base, config_.discoveryPrefix}
    , pendingTimer_(std::make_unique<QTimer>()), discoveryTimer_(std::make_unique<QTimer>())
    , checkTimer_(std::make_unique<QTimer>()), birthTimer_(std::make_unique<QTimer>())
{
    clock_.start();
    identity_ = bsc::Sender{config_.effectiveSource(), config_.uid};
    bridgeId_ = "xap_mqtt_" + topicId(lower(identity_.source));
    pendingTimer_->setSingleShot(true);
    QObject::connect(pendingTimer_.get(), &QTimer::timeout, [this] { flushPending(); });
    discoveryTimer_->setSingleShot(true);
    QObject::connect(discoveryTimer_.get(), &QTimer::timeout, [this] { flushDiscovery(); });
    QObject::connect(checkTimer_.get(), &QTimer::timeout, [this] { checkDevices(); });
    birthTimer_->setSingleShot(true);
    QObject::connect(birthTimer_.get(), &QTimer::timeout, [this] {
        publishAll();
        sendQuery();
    });
    if (config_.tunnel)
        tunnel_ = std::make_unique<Tunnel>(config_);
}

Bridge::~Bridge() = default;

bool Bridge::start(std::string& error)
{
    link_ = std::make_unique<XapLink>(identity_, config_.broadcast, config_.xapPort, config_.heartbeatInterval,
                                      [this](std::string_view text) { onDatagram(text); });
    if (!link_->open(error))
        return false;
    Log::line("xAP: " + identity_.source + " on port " + std::to_string(link_->port()) + ", broadcasting to " +
              config_.broadcast + ":" + std::to_string(config_.xapPort));

    BrokerSettings broker = config_.broker;
    if (broker.clientId.empty())
        broker.clientId = "xap-mqtt-" + topicId(lower(identity_.source)).substr(0, 40);
    broker.willTopic = topics_.bridgeState();
    broker.willPayload = "offline";
    mqtt_ = std::make_unique<MqttClient>(
        broker,
        MqttClient::Callbacks{[this] { onConnected(); },
                              [this](const std::string& reason, bool refused) { onFailed(reason, refused); },
                              [this](const std::string& topic, std::string_view payload, bool retained) {
                                  onMessage(topic, payload, retained);
                              }});
    if (!mqtt_->start(error))
        return false;
    checkTimer_->start(kCheckIntervalMs);
    sendQuery();
    platform::notifyReady("connecting to the broker " + broker.host + ":" + std::to_string(broker.port));
    return true;
}

void Bridge::stop()
{
    platform::notifyStopping();
    if (mqtt_ && mqtt_->connected())
        publish(topics_.bridgeState(), "offline", true, 1);
    if (mqtt_)
        mqtt_->stop();
    if (link_)
        link_->leave();
    log_.flush();
}

// ---- xAP side ------------------------------------------------------------------------

void Bridge::onDatagram(std::string_view text)
{
    std::string why;
    const std::optional<XapFrame> frame = readFrame(text, &why);
    if (!frame) {
        log_.collapsed("bad frame", "xAP: a datagram that is not an xAP frame was ignored (" + why + ")");
        return;
    }
    const std::string source = frame->source();
    if (tunnel_) {
        // A frame from another site that this bridge broadcast: its own site's bridge
        // shows that device and carries out its commands, not this one.
        if (tunnel_->isOwnBroadcast(text, nowMs()))
            return;
        if (tunnel_->shouldPublish(text, *frame, nowMs()) && mqtt_->connected())
            publish(tunnel_->topicFor(*frame), text, false, 1);
    }
    if (lower(splitSubAddress(source).first) == lower(identity_.source))
        return;
    if (frame->isHeartbeat()) {
        onHeartbeat(*frame);
        return;
    }
    if (const std::optional<bsc::Report> report = bsc::readReport(*frame, &why)) {
        onReport(*report);
    } else if (!why.empty()) {
        log_.collapsed("bad report", "xAP: a BSC message from " + source + " was ignored: " + why);
    } else {
        // Any other message still tells that its device is alive.
        auto it = devices_.find(deviceIdOf(splitSubAddress(source).first));
        if (it != devices_.end())
            it->second.lastHeardMs = nowMs();
    }
}

void Bridge::onHeartbeat(const XapFrame& frame)
{
    const std::string device = splitSubAddress(frame.source()).first;
    auto it = devices_.find(deviceIdOf(device));
    if (it == devices_.end())
        return; // a node without endpoints is not shown
    DeviceEntry& d = it->second;
    const std::string interval = frame.header("interval");
    int seconds = std::atoi(interval.c_str());
    if (seconds > 0)
        d.intervalSeconds = std::min(seconds, 3600);
    d.heartbeatSeen = true;
    d.lastHeardMs = nowMs();
    if (lower(frame.cls()).find("stop") != std::string::npos) {
        // A stop heartbeat: the device says it leaves, so it is offline at once.
        if (d.online) {
            d.online = false;
            publishAvailability(it->first, d);
        }
        return;
    }
    if (!d.online) {
        d.online = true;
        publishAvailability(it->first, d);
    }
}

void Bridge::onReport(const bsc::Report& report)
{
    const std::string deviceId = deviceIdOf(report.device);
    const std::string endpointId = endpointIdOf(report.subAddress, report.subUid);
    auto deviceIt = devices_.find(deviceId);
    const bool newDevice = deviceIt == devices_.end();
    if (newDevice || deviceIt->second.endpoints.find(endpointId) == deviceIt->second.endpoints.end()) {
        if (endpointCount_ >= static_cast<std::size_t>(config_.maxEndpoints)) {
            if (!tableFullLogged_)
                Log::line("the endpoint table is full (" + std::to_string(config_.maxEndpoints) +
                          " endpoints, MaxEndpoints): further endpoints are not shown (logged once)",
                          Log::Priority::Warning);
            tableFullLogged_ = true;
            return;
        }
        ++endpointCount_;
    }
    DeviceEntry& device = devices_[deviceId];
    if (newDevice) {
        device.source = report.device;
        device.uid = report.uid;
        device.lastHeardMs = nowMs();
        Log::line("xAP: new device " + report.device);
    }
    device.lastReportMs = nowMs();
    device.lastHeardMs = nowMs();
    if (!device.online) {
        device.online = true;
        device.availabilityPublished = false;
    }
    auto [endpointIt, added] = device.endpoints.try_emplace(endpointId);
    EndpointEntry& endpoint = endpointIt->second;
    const bsc::Kind oldKind = endpoint.kind;
    const std::string oldName = endpoint.name;
    bool cut = false;
    applyReport(endpoint, report, &cut);
    if (cut)
        log_.collapsed("long text", "xAP: a text of " + report.device + ":" + report.subAddress +
                                        " is longer than 255 characters and was cut");
    if (added || endpoint.kind != oldKind || endpoint.name != oldName) {
        device.discoveryDirty = true;
        if (!discoveryTimer_->isActive())
            discoveryTimer_->start(kDiscoveryDelayMs);
    }
    if (!device.availabilityPublished)
        publishAvailability(deviceId, device);
    requestState(deviceId, endpointId);
}

void Bridge::sendQuery()
{
    // ">" matches every address, however many parts it has.
    if (link_ && link_->ready())
        link_->send(bsc::composeQuery(identity_, ">"));
}

// ---- MQTT side -----------------------------------------------------------------------

void Bridge::onConnected()
{
    Log::line("MQTT: connected to " + config_.broker.host + ":" + std::to_string(config_.broker.port));
    brokerDownLogged_ = false;
    lastFailure_.clear();
    platform::notifyStatus("connected to the broker " + config_.broker.host + ":" + std::to_string(config_.broker.port));
    mqtt_->subscribe(config_.base + "/+/+/set", 0);
    mqtt_->subscribe(config_.base + "/+/+/brightness/set", 0);
    mqtt_->subscribe(topics_.forgetRequests(), 1);
    if (config_.discovery)
        mqtt_->subscribe(topics_.haStatus(), 0);
    if (tunnel_)
        mqtt_->subscribe(tunnel_->subscription(), 1, true); // this site's own frames stay away
    publish(topics_.bridgeState(), "online", true, 1);
    publishAll();
    // The other sites learn of this bridge at once, not a heartbeat interval later.
    if (tunnel_ && link_)
        link_->heartbeatNow();
}

void Bridge::onFailed(const std::string& reason, bool refused)
{
    // One line per change of state, not one per attempt.
    if (reason != lastFailure_) {
        Log::line("MQTT: " + reason + " (" + config_.broker.host + ":" + std::to_string(config_.broker.port) +
                  "); trying again" +
                  (refused ? " every " + std::to_string(mqtt_->retryMaximumMs() / 1000) + " s" : ""),
                  Log::Priority::Warning);
        platform::notifyStatus("broker: " + reason);
        lastFailure_ = reason;
    }
    if (onBrokerFailure_)
        onBrokerFailure_(reason);
}

void Bridge::onMessage(const std::string& topic, std::string_view payload, bool retained)
{
    if (tunnel_ && topic.rfind(config_.base + "/tunnel/", 0) == 0) {
        std::string why;
        if (std::optional<std::string> text = tunnel_->inbound(topic, payload, nowMs(), &why)) {
            if (link_->ready())
                link_->send(*text);
        } else if (!why.empty()) {
            log_.collapsed("tunnel refused", "tunnel: a frame on " + topic + " was not broadcast: " + why);
        }
        return;
    }
    if (topic == topics_.haStatus()) {
        if (payload == "online" && config_.discovery) {
            const int delay = static_cast<int>(QRandomGenerator::global()->bounded(kBirthDelayMaxMs + 1));
            Log::line("Home Assistant is online: discovery and states again in " + std::to_string(delay) + " ms");
            birthTimer_->start(delay);
        }
        return;
    }
    if (topic == topics_.forgetRequests()) {
        onForgetRequest(payload);
        return;
    }
    const std::string prefix = config_.base + "/";
    if (topic.rfind(prefix, 0) != 0)
        return;
    // <device>/<endpoint>/set or <device>/<endpoint>/brightness/set
    std::vector<std::string> parts;
    std::size_t start = prefix.size();
    while (parts.size() < 5) {
        const std::size_t end = topic.find('/', start);
        parts.push_back(topic.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    const bool plain = parts.size() == 3 && parts[2] == "set";
    const bool brightness = parts.size() == 4 && parts[2] == "brightness" && parts[3] == "set";
    if (!plain && !brightness)
        return;
    if (retained) {
        log_.collapsed("retained command", "MQTT: a retained message on " + topic + " was ignored (commands are never retained)");
        return;
    }
    onCommand(parts[0], parts[1], brightness, payload);
}

void Bridge::onCommand(const std::string& deviceId, const std::string& endpointId, bool brightness, std::string_view payload)
{
    const std::string where = deviceId + "/" + endpointId;
    if (!link_ || !link_->ready()) {
        Log::line("MQTT: a command for " + where + " was dropped: the xAP side is not ready", Log::Priority::Warning);
        return;
    }
    auto deviceIt = devices_.find(deviceId);
    if (deviceIt == devices_.end() || !deviceIt->second.endpoints.count(endpointId)) {
        log_.collapsed("unknown endpoint", "MQTT: a command for " + where + " was dropped: no such endpoint on the xAP LAN");
        return;
    }
    DeviceEntry& device = deviceIt->second;
    EndpointEntry& endpoint = device.endpoints[endpointId];
    auto malformed = [&](const std::string& what) {
        log_.collapsed("malformed command", "MQTT: a command for " + where + " was not sent: " + what);
    };
    bsc::Command command;
    const std::string text(payload);
    if (brightness) {
        if (endpoint.kind != bsc::Kind::Light)
            return malformed("the endpoint has no brightness");
        int value = -1;
        if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos ||
            (value = std::atoi(text.c_str())) > 255)
            return malformed("a brightness must be a number from 0 to 255");
        command.level = bsc::levelFor(value, endpoint.lastLevel);
    } else if (endpoint.kind == bsc::Kind::Text) {
        if (!validUtf8(text) || text.find_first_of(std::string("\n\r\0", 3)) != std::string::npos)
            return malformed("a text must be UTF-8 on one line");
        std::string value = cutText(text, 255);
        if (value.size() != text.size())
            log_.collapsed("long command text", "MQTT: a text for " + where + " is longer than 255 characters and was cut");
        command.text = value;
    } else if (endpoint.kind == bsc::Kind::Switch || endpoint.kind == bsc::Kind::Light) {
        const std::string value = lower(text);
        if (value != "on" && value != "off" && value != "toggle")
            return malformed("expected ON, OFF or TOGGLE");
        command.state = value;
    } else {
        return malformed("the endpoint is a sensor and cannot be set");
    }
    const std::string target = device.source + (endpoint.subAddress.empty() ? "" : ":" + endpoint.subAddress);
    if (!link_->send(bsc::composeCommand(identity_, target, endpoint.subUid, command)))
        log_.collapsed("send failed", "xAP: a command for " + target + " could not be sent");
}

void Bridge::onForgetRequest(std::string_view source)
{
    const auto [device, subAddress] = splitSubAddress(source);
    const std::string deviceId = deviceIdOf(device);
    if (!devices_.count(deviceId))
        return;
    if (subAddress.empty())
        forget(deviceId);
    else
        forgetEndpoint(deviceId, endpointIdOf(subAddress, {}));
}

void Bridge::forgetEndpoint(const std::string& deviceId, const std::string& endpointId)
{
    DeviceEntry& device = devices_[deviceId];
    auto it = device.endpoints.find(endpointId);
    if (it == device.endpoints.end())
        return;
    if (device.endpoints.size() == 1) {
        forget(deviceId);
        return;
    }
    Log::line("forgetting " + device.source + ":" + it->second.subAddress);
    if (config_.discovery)
        if (const auto payload = withoutComponent(discoveryPayload(topics_, deviceId, device, bridgeId_, version_), endpointId))
            publish(topics_.discovery(deviceId), *payload, true, 1);
    publish(topics_.endpoint(deviceId, endpointId) + "/state", "", true, 1);
    if (it->second.kind == bsc::Kind::Light)
        publish(topics_.endpoint(deviceId, endpointId) + "/brightness", "", true, 1);
    device.endpoints.erase(it);
    --endpointCount_;
    pending_.erase(std::remove_if(pending_.begin(), pending_.end(),
                                  [&](const auto& p) { return p.first == deviceId && p.second == endpointId; }),
                   pending_.end());
}

void Bridge::forget(const std::string& deviceId)
{
    auto it = devices_.find(deviceId);
    if (it == devices_.end())
        return;
    Log::line("forgetting " + it->second.source);
    if (config_.discovery)
        publish(topics_.discovery(deviceId), "", true, 1);
    publish(topics_.availability(deviceId), "", true, 1);
    for (const auto& [endpointId, e] : it->second.endpoints) {
        publish(topics_.endpoint(deviceId, endpointId) + "/state", "", true, 1);
        if (e.kind == bsc::Kind::Light)
            publish(topics_.endpoint(deviceId, endpointId) + "/brightness", "", true, 1);
    }
    endpointCount_ -= it->second.endpoints.size();
    devices_.erase(it);
    pending_.erase(std::remove_if(pending_.begin(), pending_.end(), [&](const auto& p) { return p.first == deviceId; }),
                   pending_.end());
}

// ---- publishing ------------------------------------------------------------------------

bool Bridge::publish(const std::string& topic, std::string_view payload, bool retain, int qos)
{
    return mqtt_ && mqtt_->publish(topic, payload, qos, retain);
}

void Bridge::publishAll()
{
    if (!mqtt_ || !mqtt_->connected())
        return;
    if (config_.discovery)
        publish(topics_.discovery(bridgeId_), bridgeDiscoveryPayload(topics_, bridgeId_, identity_.source, version_), true, 1);
    for (auto& [deviceId, device] : devices_) {
        device.discoveryDirty = true;
        publishDiscovery(deviceId, device);
    }
    for (auto& [deviceId, device] : devices_) {
        publishAvailability(deviceId, device);
        for (auto& [endpointId, endpoint] : device.endpoints) {
            endpoint.publishedState.clear();
            endpoint.publishedBrightness.clear();
            publishState(deviceId, endpoint, endpointId);
        }
    }
}

void Bridge::publishDiscovery(const std::string& deviceId, DeviceEntry& device)
{
    if (!config_.discovery || !device.discoveryDirty || !mqtt_->connected())
        return;
    if (publish(topics_.discovery(deviceId), discoveryPayload(topics_, deviceId, device, bridgeId_, version_), true, 1))
        device.discoveryDirty = false;
}

void Bridge::flushDiscovery()
{
    for (auto& [deviceId, device] : devices_)
        publishDiscovery(deviceId, device);
}

void Bridge::publishAvailability(const std::string& deviceId, DeviceEntry& device)
{
    if (publish(topics_.availability(deviceId), device.online ? "online" : "offline", true, 1))
        device.availabilityPublished = true;
}

void Bridge::publishState(const std::string& deviceId, EndpointEntry& endpoint, const std::string& endpointId)
{
    if (!mqtt_->connected())
        return;
    // A device whose discovery is still waiting goes first, so that Home Assistant
    // knows the entity before its state arrives.
    auto it = devices_.find(deviceId);
    if (it != devices_.end() && it->second.discoveryDirty)
        publishDiscovery(deviceId, it->second);
    const std::string topic = topics_.endpoint(deviceId, endpointId);
    bool sent = false;
    if (!endpoint.state.empty() && endpoint.state != endpoint.publishedState && publish(topic + "/state", endpoint.state, true)) {
        endpoint.publishedState = endpoint.state;
        sent = true;
    }
    if (!endpoint.brightness.empty() && endpoint.brightness != endpoint.publishedBrightness &&
        publish(topic + "/brightness", endpoint.brightness, true)) {
        endpoint.publishedBrightness = endpoint.brightness;
        sent = true;
    }
    if (sent)
        endpoint.lastPublishMs = nowMs();
}

void Bridge::requestState(const std::string& deviceId, const std::string& endpointId)
{
    EndpointEntry& endpoint = devices_[deviceId].endpoints[endpointId];
    const std::int64_t due = endpoint.lastPublishMs + static_cast<std::int64_t>(config_.minInterval * 1000);
    if (nowMs() >= due) {
        publishState(deviceId, endpoint, endpointId);
        return;
    }
    // Within MinInterval: the latest state waits, and replaces any that waited before.
    if (!endpoint.pending) {
        endpoint.pending = true;
        pending_.emplace_back(deviceId, endpointId);
    }
    const std::int64_t wait = due - nowMs();
    if (!pendingTimer_->isActive() || pendingTimer_->remainingTime() > wait)
        pendingTimer_->start(static_cast<int>(wait));
}

void Bridge::flushPending()
{
    const std::int64_t now = nowMs();
    const std::int64_t gap = static_cast<std::int64_t>(config_.minInterval * 1000);
    std::int64_t nextDue = -1;
    std::vector<std::pair<std::string, std::string>> still;
    for (const auto& [deviceId, endpointId] : pending_) {
        auto d = devices_.find(deviceId);
        if (d == devices_.end() || !d->second.endpoints.count(endpointId))
            continue;
        EndpointEntry& e = d->second.endpoints[endpointId];
        const std::int64_t due = e.lastPublishMs + gap;
        if (now >= due) {
            e.pending = false;
            publishState(deviceId, e, endpointId);
        } else {
            still.emplace_back(deviceId, endpointId);
            nextDue = nextDue < 0 ? due : std::min(nextDue, due);
        }
    }
    pending_ = std::move(still);
    if (nextDue >= 0)
        pendingTimer_->start(static_cast<int>(std::max<std::int64_t>(1, nextDue - now)));
}

void Bridge::checkDevices()
{
    const std::int64_t now = nowMs();
    std::vector<std::string> silent;
    for (auto& [deviceId, device] : devices_) {
        const std::int64_t limit = 2 * static_cast<std::int64_t>(device.intervalSeconds) * 1000 +
            static_cast<std::int64_t>(config_.availabilityGrace * 1000);
        if (device.online && now - device.lastHeardMs > limit) {
            device.online = false;
            Log::line("xAP: " + device.source + " is silent: offline", Log::Priority::Notice);
            publishAvailability(deviceId, device);
        }
        if (config_.forgetAfter > 0 && now - std::max(device.lastHeardMs, device.lastReportMs) >
                                           static_cast<std::int64_t>(config_.forgetAfter * 1000))
            silent.push_back(deviceId);
    }
    for (const std::string& id : silent)
        forget(id);
}

} // namespace xapmqtt
