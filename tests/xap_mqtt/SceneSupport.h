// What the bridge's scenes are made of: child processes (the mosquitto broker, the
// hub, the bridge), an MQTT observer standing in for Home Assistant, and a fake xAP
// BSC device with four endpoints that answers queries and commands.
#pragma once

#include "XapFrame.h"

#include "platform/UdpSocket.h"

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <sys/types.h>

struct mosquitto;

namespace testing_support {

// A program started with posix_spawn, its output in a file; ended (TERM, then KILL)
// when the object goes.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const std::string& outputPath);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    void signal(int number);
    // Waits for the end; the exit status, or -1 when it did not end in time.
    int wait(int milliseconds);
    bool running();
    std::string output() const;

private:
    pid_t pid_ = -1;
    std::string outputPath_;
    int status_ = -1;
};

// Runs `step` and checks `done` every few milliseconds until `done` or the time is up.
bool waitFor(const std::function<bool()>& done, int milliseconds, const std::function<void()>& step = {});

struct TlsFiles {
    std::string caFile, serverCert, serverKey, clientCert, clientKey;
};
// A private certificate authority with a server certificate for 127.0.0.1 and a
// client certificate, written into `folder` by openssl.
bool makeTlsFiles(const std::string& folder, TlsFiles& files);

// A mosquitto broker on 127.0.0.1:port with its own configuration file.
std::string brokerConfig(int port, const std::string& extra = {});
bool brokerAccepts(int port);

struct MqttMessage {
    std::string topic;
    std::string payload;
    bool retained = false;
    std::chrono::steady_clock::time_point at;
};

// An MQTT client for the test, driven by pump().
class Observer {
public:
    explicit Observer(int port, const std::string& id = "observer", const TlsFiles* tls = nullptr, const std::string& user = {},
                      const std::string& password = {});
    ~Observer();
    bool connected() const { return connected_; }
    void subscribe(const std::string& pattern);
    void publish(const std::string& topic, const std::string& payload, bool retain = false);
    void pump();
    // The last payload seen on a topic ("<none>" when none).
    std::string last(const std::string& topic) const;
    std::vector<MqttMessage> messages; // every message, in order
    int countOn(const std::string& topic) const;

private:
    mosquitto* mosq_ = nullptr;
    bool connected_ = false;
    std::map<std::string, std::string> last_;
};

// A BSC device: "acme.fake.dev" (uid FF.ABCD) with the endpoints Lamp (switch, 01),
// Dimmer (light, level N/10, 02), Sign (text, 03) and Door (input, 04).
class FakeDevice {
public:
    struct Endpoint {
        std::string name;
        std::string subUid;
        bool output = true;
        std::string state = "on";
        std::string level; // "" when it has none
        std::optional<std::string> text;
    };

    FakeDevice(int port, const std::string& broadcast = "127.255.255.255");
    // A heartbeat now, and (with `interval` > 0) every `interval` seconds in pump().
    void heartbeat(int intervalSeconds);
    void stopHeartbeats() { beating_ = false; }
    void info(std::size_t index);
    void event(std::size_t index);
    void pump();
    // Any text, broadcast as the device would.
    void send(const std::string& text);

    std::vector<Endpoint> endpoints;
    std::vector<xapmqtt::XapFrame> commands; // every xAPBSC.cmd received for this device
    int queries = 0;

    static constexpr const char* kSource = "acme.fake.dev";

private:
    std::string report(std::size_t index, const char* cls) const;

    platform::UdpSocket socket_;
    std::string broadcast_;
    int port_;
    bool beating_ = false;
    int interval_ = 0;
    std::chrono::steady_clock::time_point nextBeat_;
};

} // namespace testing_support
