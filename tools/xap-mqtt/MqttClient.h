// MqttClient: one connection to an MQTT broker through libmosquitto, driven from the Qt
// event loop on the calling thread: the socket is watched with QSocketNotifiers (read
// always, write while libmosquitto has bytes waiting) and a one-second timer runs the
// keep-alive and retry work. No second thread, no polling delay.
//
// The client keeps trying: an attempt that fails, a refusal and a lost connection all
// lead to the next attempt after the Backoff's wait (a refusal of the credentials waits
// the longest). Each change of state is reported once through the callbacks.
#pragma once

#include "Backoff.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

class QSocketNotifier;
class QTimer;
struct mosquitto;
struct mosquitto_message;

namespace xapmqtt {

struct BrokerSettings {
    std::string host = "localhost";
    int port = 1883;
    std::string clientId;
    std::string username;
    std::string password;
    std::string caFile;   // with it the connection uses TLS and checks the broker's certificate
    std::string certFile; // client certificate and key, when the broker asks for one
    std::string keyFile;
    int protocol = 5;     // 5 or 311
    int keepAlive = 60;   // seconds
    std::string willTopic; // published by the broker when the connection is lost
    std::string willPayload;
};

class MqttClient {
public:
    enum class State { Idle, Connecting, Connected, Waiting };
    static constexpr int kPacketsPerWake = 64;

    struct Callbacks {
        std::function<void()> connected;
        // Every failed attempt, lost connection or refusal, with the reason in words;
        // `refused` is true when the broker answered and said no.
        std::function<void(const std::string& reason, bool refused)> failed;
        std::function<void(const std::string& topic, std::string_view payload, bool retained)> message;
    };

    MqttClient(BrokerSettings settings, Callbacks callbacks, Backoff backoff = Backoff());
    ~MqttClient();
    MqttClient(const MqttClient&) = delete;
    MqttClient& operator=(const MqttClient&) = delete;

    // Prepares the library (TLS files, credentials, will) and makes the first attempt;
    // false with `error` when the settings cannot be used at all.
    bool start(std::string& error);
    // Sends DISCONNECT (the will is then not published) and stops trying.
    void stop();

    State state() const { return state_; }
    bool connected() const { return state_ == State::Connected; }
    // Queues a message; false when not connected or the library refuses it.
    bool publish(const std::string& topic, std::string_view payload, int qos, bool retain);
    // With `noLocal` (MQTT 5 only) the broker does not send back this client's own
    // publications on the pattern.
    bool subscribe(const std::string& pattern, int qos, bool noLocal = false);
    int retryMaximumMs() const { return backoff_.maximumMs(); }
    // Messages handed to the library whose bytes are not yet written to the socket.
    bool writesPending() const;
    int lastWaitMs() const { return lastWaitMs_; }

private:
    static void onConnect(mosquitto*, void* self, int rc);
    static void onDisconnect(mosquitto*, void* self, int rc);
    static void onMessage(mosquitto*, void* self, const mosquitto_message* message);

    void attempt();
    void lose(const std::string& reason, bool refused);
    void afterLoop(int rc);
    void syncSocket();
    void onReadable();
    void onWritable();
    void onTick();
    std::string describe(int rc) const;

    BrokerSettings settings_;
    Callbacks callbacks_;
    Backoff backoff_;
    mosquitto* mosq_ = nullptr;
    State state_ = State::Idle;
    bool everAttempted_ = false;
    bool refusedCredentials_ = false;
    bool lossReported_ = false;
    int lastWaitMs_ = 0;
    int socket_ = -1;
    std::unique_ptr<QSocketNotifier> readNotifier_;
    std::unique_ptr<QSocketNotifier> writeNotifier_;
    std::unique_ptr<QTimer> tick_;
    std::unique_ptr<QTimer> retry_;
};

} // namespace xapmqtt
