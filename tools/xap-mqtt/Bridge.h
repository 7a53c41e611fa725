// Bridge: the xAP LAN on one side, the MQTT broker on the other.
//
// xAP -> MQTT: BSC reports fill the endpoint table (one Home Assistant device per xAP
// device, one component per endpoint); discovery, availability and states are
// published retained, states at most once per MinInterval per endpoint (the last one
// wins). MQTT -> xAP: <Base>/<device>/<endpoint>/set becomes one xAPBSC.cmd.
// With Tunnel=1 frames also travel between sites (see Tunnel).
#pragma once

#include "Config.h"
#include "Discovery.h"
#include "Log.h"
#include "MqttClient.h"
#include "Tunnel.h"
#include "XapLink.h"

#include <QElapsedTimer>

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QTimer;

namespace xapmqtt {

class Bridge {
public:
    explicit Bridge(Config config, std::string version);
    ~Bridge();

    // Opens the xAP side and starts connecting; false with `error` when it cannot.
    bool start(std::string& error);
    // Says goodbye on both sides.
    void stop();

    // --once: called when the broker cannot be used.
    void setOnBrokerFailure(std::function<void(const std::string&)> onFailure) { onBrokerFailure_ = std::move(onFailure); }

    std::size_t endpointCount() const { return endpointCount_; }

private:
    std::int64_t nowMs() const { return clock_.elapsed(); }

    // xAP side.
    void onDatagram(std::string_view text);
    void onHeartbeat(const XapFrame& frame);
    void onReport(const bsc::Report& report);
    void sendQuery();

    // MQTT side.
    void onConnected();
    void onFailed(const std::string& reason, bool refused);
    void onMessage(const std::string& topic, std::string_view payload, bool retained);
    void onCommand(const std::string& deviceId, const std::string& endpointId, bool brightness, std::string_view payload);
    void onForgetRequest(std::string_view source);
    void onHomeAssistantOnline();

    void publishAll();
    void publishDiscovery(const std::string& deviceId, DeviceEntry& device);
    void publishAvailability(const std::string& deviceId, DeviceEntry& device);
    void publishState(const std::string& deviceId, EndpointEntry& endpoint, const std::string& endpointId);
    void requestState(const std::string& deviceId, const std::string& endpointId);
    void flushPending();
    void flushDiscovery();
    void checkDevices();
    void forget(const std::string& deviceId);
    void forgetEndpoint(const std::string& deviceId, const std::string& endpointId);
    bool publish(const std::string& topic, std::string_view payload, bool retain, int qos = 0);

    Config config_;
    std::string version_;
    Topics topics_;
    bsc::Sender identity_;
    std::string bridgeId_;
    Log log_;
    QElapsedTimer clock_;
    std::unique_ptr<XapLink> link_;
    std::unique_ptr<MqttClient> mqtt_;
    std::unique_ptr<Tunnel> tunnel_;
    std::map<std::string, DeviceEntry> devices_;
    std::size_t endpointCount_ = 0;
    bool tableFullLogged_ = false;
    bool brokerDownLogged_ = false;
    std::string lastFailure_;
    std::vector<std::pair<std::string, std::string>> pending_; // (device id, endpoint id) waiting for MinInterval
    std::unique_ptr<QTimer> pendingTimer_;
    std::unique_ptr<QTimer> discoveryTimer_;
    std::unique_ptr<QTimer> checkTimer_;
    std::unique_ptr<QTimer> birthTimer_;
    std::function<void(const std::string&)> onBrokerFailure_;
};

} // namespace xapmqtt
