// Scenes: a real mosquitto broker, the xAP hub, the bridge and a fake BSC device, all
// in a private network; an observer plays Home Assistant.
#include "DiscoveryChecker.h"
#include "SceneSupport.h"

#include "xap/NetworkEnvironment.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <fstream>

using namespace testing_support;

namespace {

constexpr int kBrokerPort = 18830;
constexpr int kDevicePort = 41000;
const std::string kDevice = "xap/acme-fake-dev";
const std::string kConfigTopic = "homeassistant/device/acme-fake-dev/config";

class BridgeScene : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_PRIVATE_NETWORK();
        ready_ = true;
        hub_ = std::make_unique<ChildProcess>(std::vector<std::string>{XAPHUB_PATH, "-v", "--state", "none"}, folder_ / "hub.log");
        ASSERT_TRUE(waitFor([&] { return hubLog().find("listening on") != std::string::npos; }, 3000)) << hubLog();
        device_ = std::make_unique<FakeDevice>(kDevicePort);
        device_->heartbeat(60);
        ASSERT_TRUE(waitFor([&] { return hubLog().find("acme.fake.dev) joined") != std::string::npos; }, 3000)) << hubLog();
    }

    std::string hubLog() { return hub_ ? hub_->output() : ""; }

    void startBroker(const std::string& extra = {}, int port = kBrokerPort)
    {
        folder_.write("broker.conf", brokerConfig(port, extra));
        broker_ = std::make_unique<ChildProcess>(std::vector<std::string>{"mosquitto", "-c", folder_ / "broker.conf"}, folder_ / "broker.log");
        ASSERT_TRUE(waitFor([&] { return brokerAccepts(port); }, 3000)) << broker_->output();
    }

    void startBridge(std::vector<std::string> options = {})
    {
        std::vector<std::string> argv{XAP_MQTT_PATH, "--port", std::to_string(kBrokerPort), "--broadcast", "127.255.255.255",
                                      "--source", "tallis.xap-mqtt.test"};
        argv.insert(argv.end(), options.begin(), options.end());
        bridge_ = std::make_unique<ChildProcess>(argv, folder_ / "bridge.log");
    }

    std::string bridgeLog() { return bridge_ ? bridge_->output() : ""; }

    std::unique_ptr<Observer> observe(const std::string& pattern = "#")
    {
        // Each its own client id: a second client with the same id would push the first out.
        auto o = std::make_unique<Observer>(kBrokerPort, "observer-" + std::to_string(++observers_));
        EXPECT_TRUE(o->connected());
        o->subscribe(pattern);
        return o;
    }

    // Until `done`, the device and the observer are served.
    bool until(Observer& o, const std::function<bool()>& done, int ms = 5000)
    {
        return waitFor(done, ms, [&] {
            device_->pump();
            o.pump();
        });
    }

    void serve(Observer& o, int ms)
    {
        until(o, [] { return false; }, ms);
    }

    // The device as Home Assistant should see it once the bridge has read its info.
    void expectDeviceShown(Observer& o)
    {
        ASSERT_TRUE(until(o, [&] {
            return o.last(kDevice + "/sign/state") == "Welcome" && o.last(kDevice + "/door/state") == "OFF" &&
                o.last(kConfigTopic).find("\"door\"") != std::string::npos;
        })) << bridgeLog();
    }

    TempFolder folder_;
    bool ready_ = false;
    int observers_ = 0;
    std::unique_ptr<ChildProcess> hub_;
    std::unique_ptr<ChildProcess> broker_;
    std::unique_ptr<ChildProcess> bridge_;
    std::unique_ptr<FakeDevice> device_;
};

} // namespace

TEST_F(BridgeScene, DeviceAppearsInHomeAssistantWithAValidDiscoveryMessage)
{
    startBroker();
    auto ha = observe();
    startBridge();
    // The bridge asks the LAN at start; the device answers with one info per endpoint.
    expectDeviceShown(*ha);
    EXPECT_EQ(device_->queries, 1);

    const std::string config = ha->last(kConfigTopic);
    const auto problems = checkDeviceDiscovery(kConfigTopic, config, "homeassistant", "xap");
    EXPECT_TRUE(problems.empty()) << problems.front() << "\n" << config;
    for (const char* part : {"\"p\":\"switch\"", "\"p\":\"light\"", "\"p\":\"text\"", "\"p\":\"binary_sensor\"", "\"name\":\"Fake Lamp\"",
                             "\"via_device\":\"xap_mqtt_tallis-xap_2dmqtt-test\"", "\"o\":{\"name\":\"xap-mqtt\""})
        EXPECT_NE(config.find(part), std::string::npos) << part << "\n" << config;
    EXPECT_EQ(ha->last(kDevice + "/lamp/state"), "ON");
    EXPECT_EQ(ha->last(kDevice + "/dimmer/state"), "ON");
    EXPECT_EQ(ha->last(kDevice + "/dimmer/brightness"), "77"); // 3/10 of 255
    EXPECT_EQ(ha->last(kDevice + "/availability"), "online");
    EXPECT_EQ(ha->last("xap/bridge/state"), "online");

    // Everything a newcomer needs is retained: a second observer sees it at once.
    auto late = observe();
    ASSERT_TRUE(until(*late, [&] { return late->last(kDevice + "/lamp/state") == "ON" && late->last(kConfigTopic) != "<none>"; }, 2000));
    for (const MqttMessage& m : late->messages)
        EXPECT_TRUE(m.retained) << m.topic;
    EXPECT_EQ(late->last(kConfigTopic), config);

    // A state that does not change is not published again.
    const int lampStates = ha->countOn(kDevice + "/lamp/state");
    device_->event(0);
    serve(*ha, 300);
    EXPECT_EQ(ha->countOn(kDevice + "/lamp/state"), lampStates);

    // The bridge leaves: offline, and Home Assistant keeps the device.
    bridge_->signal(SIGTERM);
    EXPECT_EQ(bridge_->wait(5000), 0);
    ASSERT_TRUE(until(*ha, [&] { return ha->last("xap/bridge/state") == "offline"; }, 2000))
        << ha->last("xap/bridge/state") << " " << ha->messages.size() << " " << ha->messages.back().topic << bridgeLog();
    EXPECT_EQ(ha->last(kConfigTopic), config);
}

TEST_F(BridgeScene, CommandsRoundTripAndBadCommandsSendNothing)
{
    startBroker();
    auto ha = observe();
    // A stale retained command waiting on the broker is never carried out.
    ha->publish(kDevice + "/lamp/set", "OFF", true);
    startBridge();
    expectDeviceShown(*ha);
    serve(*ha, 300);
    EXPECT_TRUE(device_->commands.empty());
    EXPECT_EQ(ha->last(kDevice + "/lamp/state"), "ON");
    ha->publish(kDevice + "/lamp/set", "", true); // cleared

    ha->publish(kDevice + "/lamp/set", "OFF");
    ASSERT_TRUE(until(*ha, [&] { return ha->last(kDevice + "/lamp/state") == "OFF"; })) << bridgeLog();
    ASSERT_EQ(device_->commands.size(), 1u);
    const xapmqtt::XapFrame& cmd = device_->commands[0];
    EXPECT_EQ(cmd.header("target"), "acme.fake.dev:Lamp");
    EXPECT_EQ(cmd.header("source"), "tallis.xap-mqtt.test");
    EXPECT_EQ(cmd.blocks[1].name, "output.state.1");
    EXPECT_EQ(*cmd.blocks[1].find("id"), "01");
    EXPECT_EQ(*cmd.blocks[1].find("state"), "off");

    // Brightness keeps the device's own scale; a text goes as it is.
    ha->publish(kDevice + "/dimmer/brightness/set", "255");
    ASSERT_TRUE(until(*ha, [&] { return ha->last(kDevice + "/dimmer/brightness") == "255"; })) << bridgeLog();
    EXPECT_EQ(device_->endpoints[1].level, "10/10");
    ha->publish(kDevice + "/sign/set", "Gone fishing");
    ASSERT_TRUE(until(*ha, [&] { return ha->last(kDevice + "/sign/state") == "Gone fishing"; })) << bridgeLog();

    // Malformed payloads, a text that would add lines to the xAP message, a sensor,
    // an unknown endpoint and a retained command: nothing reaches the LAN.
    const std::size_t sent = device_->commands.size();
    ha->publish(kDevice + "/lamp/set", "BANANA");
    ha->publish(kDevice + "/lamp/set", "");
    ha->publish(kDevice + "/dimmer/brightness/set", "300");
    ha->publish(kDevice + "/sign/set", "two\nlines=1");
    ha->publish(kDevice + "/door/set", "ON");
    ha->publish(kDevice + "/nothing/set", "ON");
    serve(*ha, 500);
    EXPECT_EQ(device_->commands.size(), sent);
    EXPECT_EQ(ha->last(kDevice + "/lamp/state"), "OFF");
    const std::string log = bridgeLog();
    // One collapsed line for the run of malformed commands.
    std::size_t lines = 0;
    for (std::size_t at = log.find("was not sent"); at != std::string::npos; at = log.find("was not sent", at + 1))
        ++lines;
    EXPECT_EQ(lines, 1u) << log;
    EXPECT_NE(log.find("retained message"), std::string::npos) << log;
}

TEST_F(BridgeScene, AvailabilityFollowsTheHeartbeats)
{
    startBroker();
    auto ha = observe();
    startBridge({"--availability-grace", "0.3", "--forget-after", "3.5", "--protocol", "3.1.1"});
    device_->heartbeat(1);
    expectDeviceShown(*ha);
    ASSERT_TRUE(until(*ha, [&] { return ha->last(kDevice + "/availability") == "online"; }));
    serve(*ha, 1500); // heartbeats keep it online
    EXPECT_EQ(ha->last(kDevice + "/availability"), "online");

    device_->stopHeartbeats();
    const auto silent = std::chrono::steady_clock::now();
    ASSERT_TRUE(until(*ha, [&] { return ha->last(kDevice + "/availability") == "offline"; }, 5000)) << bridgeLog();
    // Not before twice the interval (plus the grace) without a heartbeat.
    EXPECT_GE(std::chrono::steady_clock::now() - silent, std::chrono::milliseconds(1000));

    // Silent for longer than ForgetAfter: removed from Home Assistant.
    ASSERT_TRUE(until(*ha, [&] { return ha->last(kConfigTopic).empty() && ha->last(kDevice + "/lamp/state").empty(); }, 4000))
        << bridgeLog();

    // Back: it reports, and is shown and online again.
    device_->heartbeat(1);
    device_->info(0);
    ASSERT_TRUE(until(*ha, [&] {
        return ha->last(kDevice + "/availability") == "online" && ha->last(kConfigTopic).find("\"lamp\"") != std::string::npos;
    }, 3000)) << bridgeLog();
}

TEST_F(BridgeScene, BrokerKilledAndRestartedGetsEveryStateBack)
{
    startBroker();
    startBridge();
    {
        auto ha = observe();
        expectDeviceShown(*ha);
    }
    broker_->signal(SIGKILL);
    broker_->wait(2000);
    // While the broker is away the device changes; the bridge keeps the latest.
    device_->endpoints[0].state = "off";
    device_->event(0);
    waitFor([] { return false; }, 1500, [&] { device_->pump(); });
    startBroker(); // a fresh broker: nothing retained

    auto ha = observe();
    const auto back = std::chrono::steady_clock::now();
    ASSERT_TRUE(until(*ha, [&] {
        return ha->last("xap/bridge/state") == "online" && ha->last(kDevice + "/lamp/state") == "OFF" &&
            ha->last(kDevice + "/sign/state") == "Welcome" && ha->last(kDevice + "/availability") == "online" &&
            ha->last(kConfigTopic) != "<none>";
    }, 8000)) << bridgeLog();
    // The first attempts come 0.5, 1, 2 s apart: back well within 5 s of the broker.
    EXPECT_LT(std::chrono::steady_clock::now() - back, std::chrono::seconds(5));
    const std::string log = bridgeLog();
    EXPECT_NE(log.find("the connection was lost"), std::string::npos) << log;
    // One line per change of state, not one per attempt.
    std::size_t attempts = 0;
    for (std::size_t at = log.find("cannot connect"); at != std::string::npos; at = log.find("cannot connect", at + 1))
        ++attempts;
    EXPECT_LE(attempts, 1u) << log;
}

TEST_F(BridgeScene, HomeAssistantBirthBringsDiscoveryAndStatesAgain)
{
    startBroker();
    auto ha = observe();
    startBridge();
    expectDeviceShown(*ha);
    const int configs = ha->countOn(kConfigTopic);
    const int states = ha->countOn(kDevice + "/lamp/state");

    ha->publish("homeassistant/status", "online");
    ASSERT_TRUE(until(*ha, [&] { return ha->countOn(kConfigTopic) > configs && ha->countOn(kDevice + "/lamp/state") > states; },
                      7000))
        << bridgeLog();
    // Discovery first, then the states; and the LAN is asked again.
    std::size_t configAt = 0, stateAt = 0;
    for (std::size_t i = 0; i < ha->messages.size(); ++i) {
        if (ha->messages[i].topic == kConfigTopic)
            configAt = i;
        if (ha->messages[i].topic == kDevice + "/lamp/state")
            stateAt = i;
    }
    EXPECT_LT(configAt, stateAt);
    ASSERT_TRUE(until(*ha, [&] { return device_->queries >= 2; }, 2000));

    // A bridge that dies: the broker publishes its will.
    bridge_->signal(SIGKILL);
    ASSERT_TRUE(until(*ha, [&] { return ha->last("xap/bridge/state") == "offline"; }, 3000));
}

TEST_F(BridgeScene, BrokerDownAtStartIsTriedAgainAndOnceGivesUp)
{
    // --once: no broker, exit status 1.
    ChildProcess once({XAP_MQTT_PATH, "--port", std::to_string(kBrokerPort), "--broadcast", "127.255.255.255", "--once"},
                      folder_ / "once.log");
    EXPECT_EQ(once.wait(5000), 1) << once.output();
    EXPECT_NE(once.output().find("cannot connect"), std::string::npos) << once.output();
    // A host name that cannot be resolved fails at once, before the event loop runs.
    ChildProcess unknown({XAP_MQTT_PATH, "--host", "broker.invalid", "--broadcast", "127.255.255.255", "--once"},
                         folder_ / "unknown.log");
    EXPECT_EQ(unknown.wait(5000), 1) << unknown.output();

    // The service manager hears READY=1 although the broker is away (boot does not wait
    // for it), and a status naming the broker's problem.
    const std::string notifyPath = folder_ / "notify";
    const int notify = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, notifyPath.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(notify, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::setenv("NOTIFY_SOCKET", notifyPath.c_str(), 1);
    startBridge();
    ::unsetenv("NOTIFY_SOCKET");
    std::string told;
    waitFor([] { return false; }, 2000, [&] {
        device_->pump();
        char buffer[512];
        const ssize_t n = ::recv(notify, buffer, sizeof buffer, 0);
        if (n > 0)
            told.append(buffer, static_cast<std::size_t>(n)).append("|");
    });
    EXPECT_NE(told.find("READY=1"), std::string::npos) << told;
    EXPECT_NE(told.find("STATUS=broker: cannot connect"), std::string::npos) << told;
    startBroker();
    auto ha = observe();
    expectDeviceShown(*ha);
    std::size_t lines = 0;
    const std::string log = bridgeLog();
    for (std::size_t at = log.find("cannot connect"); at != std::string::npos; at = log.find("cannot connect", at + 1))
        ++lines;
    EXPECT_EQ(lines, 1u) << log;
    // Connected, then leaving: both are told.
    bridge_->signal(SIGTERM);
    EXPECT_EQ(bridge_->wait(5000), 0);
    char buffer[512];
    for (ssize_t n; (n = ::recv(notify, buffer, sizeof buffer, 0)) > 0;)
        told.append(buffer, static_cast<std::size_t>(n)).append("|");
    ::close(notify);
    EXPECT_NE(told.find("STATUS=connected to the broker"), std::string::npos) << told;
    EXPECT_NE(told.find("STOPPING=1"), std::string::npos) << told;
}

TEST_F(BridgeScene, RefusedCredentialsAreNamedAndForgetRemovesTheDevice)
{
    folder_.write("passwords", "");
    ASSERT_EQ(std::system(("mosquitto_passwd -b " + (folder_ / "passwords") + " bridge s3cret && mosquitto_passwd -b " +
                           (folder_ / "passwords") + " ha ha").c_str()), 0);
    folder_.write("password", "s3cret\n");
    folder_.write("wrong", "guess\n");
    startBroker("allow_anonymous false\npassword_file " + (folder_ / "passwords") + "\n");

    ChildProcess refused({XAP_MQTT_PATH, "--port", std::to_string(kBrokerPort), "--broadcast", "127.255.255.255", "--once",
                          "--username", "bridge", "--password-file", folder_ / "wrong"},
                         folder_ / "refused.log");
    EXPECT_EQ(refused.wait(5000), 1);
    EXPECT_NE(refused.output().find("the broker refused the connection"), std::string::npos) << refused.output();
    EXPECT_EQ(refused.output().find("guess"), std::string::npos); // the password is never logged
    EXPECT_NE(refused.output().find("can be read by every user"), std::string::npos) << refused.output();

    // Without --once: the reason, and attempts at the longest interval.
    ChildProcess patient({XAP_MQTT_PATH, "--port", std::to_string(kBrokerPort), "--broadcast", "127.255.255.255", "--username",
                          "bridge", "--password-file", folder_ / "wrong", "--source", "tallis.xap-mqtt.patient"},
                         folder_ / "patient.log");
    ASSERT_TRUE(waitFor([&] { return patient.output().find("trying again every 30 s") != std::string::npos; }, 3000))
        << patient.output();

    ::chmod((folder_ / "password").c_str(), 0640);
    folder_.write("bridge.ini", "[Broker]\nUsername=bridge\nPasswordFile=" + (folder_ / "password") + "\n");
    startBridge({"--config", folder_ / "bridge.ini"});
    Observer ha(kBrokerPort, "ha", nullptr, "ha", "ha");
    ASSERT_TRUE(ha.connected());
    ha.subscribe("#");
    expectDeviceShown(ha);

    // One endpoint first: its component is announced as removed, the others stay.
    ChildProcess forgetLamp({XAP_MQTT_PATH, "--port", std::to_string(kBrokerPort), "--config", folder_ / "bridge.ini", "--forget",
                             "acme.fake.dev:Lamp"},
                            folder_ / "forget-lamp.log");
    ASSERT_TRUE(until(ha, [&] {
        return ha.last(kConfigTopic).find("\"lamp\":{\"p\":\"switch\"}") != std::string::npos && ha.last(kDevice + "/lamp/state").empty();
    })) << forgetLamp.output() << ha.last(kConfigTopic);
    EXPECT_NE(ha.last(kConfigTopic).find("\"door\":{\"availability\""), std::string::npos) << ha.last(kConfigTopic);
    EXPECT_EQ(ha.last(kDevice + "/door/state"), "OFF");
    EXPECT_EQ(forgetLamp.wait(5000), 0) << forgetLamp.output();

    ChildProcess forget({XAP_MQTT_PATH, "--port", std::to_string(kBrokerPort), "--config", folder_ / "bridge.ini", "--forget",
                         "acme.fake.dev"},
                        folder_ / "forget.log");
    ASSERT_TRUE(until(ha, [&] { return ha.last(kConfigTopic).empty() && ha.last(kDevice + "/lamp/state").empty(); }))
        << forget.output();
    EXPECT_EQ(forget.wait(5000), 0) << forget.output();
    ASSERT_TRUE(until(ha, [&] { return bridgeLog().find("forgetting acme.fake.dev") != std::string::npos; }, 2000)) << bridgeLog();
}

TEST_F(BridgeScene, TlsWithAPrivateAuthorityAndAClientCertificate)
{
    TlsFiles tls;
    ASSERT_TRUE(makeTlsFiles(folder_.path(), tls)) << folder_.read("openssl.log");
    startBroker("cafile " + tls.caFile + "\ncertfile " + tls.serverCert + "\nkeyfile " + tls.serverKey +
                "\nrequire_certificate true\n");
    const std::vector<std::string> common{XAP_MQTT_PATH, "--port", std::to_string(kBrokerPort), "--broadcast", "127.255.255.255",
                                          "--once", "--source", "tallis.xap-mqtt.other"};

    // The broker asks for a client certificate: without one the bridge is turned away.
    auto withoutCertificate = common;
    withoutCertificate.insert(withoutCertificate.end(), {"--ca-file", tls.caFile});
    ChildProcess refused(withoutCertificate, folder_ / "nocert.log");
    EXPECT_EQ(refused.wait(5000), 1) << refused.output();
    // A broker whose certificate no trusted authority signed is not believed.
    auto wrongAuthority = common;
    wrongAuthority.insert(wrongAuthority.end(), {"--ca-file", tls.clientCert, "--cert-file", tls.clientCert, "--key-file", tls.clientKey});
    ChildProcess untrusted(wrongAuthority, folder_ / "untrusted.log");
    EXPECT_EQ(untrusted.wait(5000), 1) << untrusted.output();
    // Certificates, but no CA: a configuration error.
    ChildProcess incomplete({XAP_MQTT_PATH, "--port", std::to_string(kBrokerPort), "--cert-file", tls.clientCert, "--key-file",
                             tls.clientKey},
                            folder_ / "incomplete.log");
    EXPECT_EQ(incomplete.wait(5000), 1) << incomplete.output();
    EXPECT_NE(incomplete.output().find("need CAFile"), std::string::npos) << incomplete.output();

    startBridge({"--ca-file", tls.caFile, "--cert-file", tls.clientCert, "--key-file", tls.clientKey});
    Observer ha(kBrokerPort, "ha", &tls);
    ASSERT_TRUE(ha.connected());
    ha.subscribe("#");
    expectDeviceShown(ha);
    ha.publish(kDevice + "/lamp/set", "OFF");
    ASSERT_TRUE(until(ha, [&] { return ha.last(kDevice + "/lamp/state") == "OFF"; })) << bridgeLog();
}

TEST_F(BridgeScene, FloodsAreCoalescedAndTheTableIsBounded)
{
    startBroker();
    auto ha = observe();
    startBridge({"--min-interval", "0.4", "--max-endpoints", "6"});
    expectDeviceShown(*ha);
    serve(*ha, 400);
    const int before = ha->countOn(kDevice + "/lamp/state");

    // 201 changes in a burst: a few states go out, and the last one always wins.
    for (int i = 0; i <= 200; ++i) {
        device_->endpoints[0].state = i % 2 == 0 ? "off" : "on";
        device_->event(0);
    }
    ASSERT_TRUE(until(*ha, [&] { return ha->last(kDevice + "/lamp/state") == "OFF"; }, 3000)) << bridgeLog();
    serve(*ha, 600);
    EXPECT_EQ(ha->last(kDevice + "/lamp/state"), "OFF");
    EXPECT_LE(ha->countOn(kDevice + "/lamp/state") - before, 3);

    // Endpoints from many sources: the table stops at its limit, and says so once.
    for (int n = 0; n < 10; ++n)
        device_->send("xap-header\n{\nv=13\nhop=1\nuid=FF.99" + std::to_string(n) + "0:01\nclass=xAPBSC.event\nsource=flood.dev." +
                      std::to_string(n) + ":x\n}\ninput.state\n{\nstate=on\n}\n");
    ASSERT_TRUE(until(*ha, [&] { return ha->last("homeassistant/device/flood-dev-1/config") != "<none>"; }, 2000)) << bridgeLog();
    serve(*ha, 300);
    EXPECT_EQ(ha->last("homeassistant/device/flood-dev-2/config"), "<none>");
    const std::string log = bridgeLog();
    EXPECT_NE(log.find("the endpoint table is full (6 endpoints"), std::string::npos) << log;
    EXPECT_EQ(log.find("table is full"), log.rfind("table is full")) << log;

    // Hostile frames and reports change nothing and do not stop the bridge.
    device_->send("xap-header\n{\nclass=xAPBSC.event\nsource=a.b.c:+#\n}\noutput.state\n{\nstate=sideways\n}\n");
    device_->send(std::string(70000, 'x'));
    device_->send("xap-header\n{\n");
    ha->publish(kDevice + "/lamp/set", "ON");
    ASSERT_TRUE(until(*ha, [&] { return ha->last(kDevice + "/lamp/state") == "ON"; })) << bridgeLog();
}
