// xap-mqtt: the xAP house in Home Assistant, and one xAP LAN across sites, through an
// MQTT broker.
#include "Bridge.h"
#include "Config.h"
#include "Discovery.h"
#include "Log.h"

#include "platform/TerminationSignals.h"
#include "tallis/Version.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

namespace {

using namespace xapmqtt;

// Ends the event loop with `status`, also when the loop has not started yet (a failure
// found during start-up).
void leaveSoon(int status)
{
    QTimer::singleShot(0, [status] { QCoreApplication::exit(status); });
}

// --forget SOURCE: clears the device's retained discovery, availability and states
// (or, for SOURCE with a sub-address, the one endpoint's component and states), tells
// a running bridge to forget it too, and leaves.
int forgetDevice(const Config& config, const std::string& source)
{
    const Topics topics{config.base, config.discoveryPrefix};
    const auto [device, subAddress] = splitSubAddress(source);
    const std::string deviceId = deviceIdOf(device);
    const std::string endpointId = subAddress.empty() ? std::string() : endpointIdOf(subAddress, {});
    const std::string prefix = config.base + "/" + deviceId + "/" + (endpointId.empty() ? "" : endpointId + "/");
    BrokerSettings broker = config.broker;
    if (broker.clientId.empty())
        broker.clientId = "xap-mqtt-forget-" + deviceId.substr(0, 30);
    int status = 0;
    QTimer settle;
    settle.setSingleShot(true);
    MqttClient* client = nullptr;
    MqttClient::Callbacks callbacks;
    callbacks.connected = [&] {
        client->publish(topics.forgetRequests(), source, 1, false);
        if (endpointId.empty())
            client->publish(topics.discovery(deviceId), "", 1, true);
        else
            client->subscribe(topics.discovery(deviceId), 1); // to take the endpoint out of it
        client->subscribe(prefix + "#", 1);
        settle.start(1000);
    };
    callbacks.failed = [&](const std::string& reason, bool) {
        Log::line("MQTT: " + reason, Log::Priority::Error);
        status = 1;
        leaveSoon(1);
    };
    callbacks.message = [&](const std::string& topic, std::string_view payload, bool retained) {
        if (retained && !payload.empty() && topic == topics.discovery(deviceId)) {
            if (const auto rest = withoutComponent(std::string(payload), endpointId))
                client->publish(topic, *rest, 1, true);
        } else if (retained && !payload.empty() && topic.rfind(prefix, 0) == 0 && topic.find("/set") == std::string::npos) {
            client->publish(topic, "", 1, true);
        }
        settle.start(1000); // until the retained messages stop coming
    };
    MqttClient mqtt(broker, callbacks);
    client = &mqtt;
    QObject::connect(&settle, &QTimer::timeout, [&] {
        Log::line("forgot " + source + " (" + topics.discovery(deviceId) + ")");
        mqtt.stop();
        QCoreApplication::exit(0);
    });
    std::string error;
    if (!mqtt.start(error)) {
        Log::line(error, Log::Priority::Error);
        return 2;
    }
    const int result = QCoreApplication::exec();
    return status ? status : result;
}

} // namespace

int main(int argc, char** argv)
{
    std::string error;
    const std::optional<CommandLine> line = parseCommandLine(argc, argv, error);
    if (!line) {
        Log::line(error, Log::Priority::Error);
        return 2;
    }
    if (line->help) {
        std::fputs(usageText().c_str(), stdout);
        return 0;
    }
    if (line->version) {
        std::printf("xap-mqtt %s\n", TALLIS_VERSION);
        return 0;
    }
    QCoreApplication app(argc, argv);
    if (!line->forget.empty())
        return forgetDevice(line->config, line->forget);

    bool saidGivingUp = false; // outlives the bridge, whose failure handler says it once
    Bridge bridge(line->config, TALLIS_VERSION);
    if (line->once)
        bridge.setOnBrokerFailure([&saidGivingUp](const std::string&) {
            if (!saidGivingUp)
                Log::line("--once: giving up", Log::Priority::Error);
            saidGivingUp = true;
            leaveSoon(1);
        });
    platform::TerminationSignals termination([] { QCoreApplication::quit(); });
    if (!bridge.start(error)) {
        Log::line(error, Log::Priority::Error);
        return 1;
    }
    const int status = QCoreApplication::exec();
    bridge.stop();
    return status;
}
