#include "MqttClient.h"

#include <mosquitto.h>
#include <mqtt_protocol.h>

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <poll.h>
#include <cstring>

namespace xapmqtt {

namespace {

struct LibraryUse {
    LibraryUse() { mosquitto_lib_init(); }
};

} // namespace

MqttClient::MqttClient(BrokerSettings settings, Callbacks callbacks, Backoff backoff)
    : settings_(std::move(settings)), callbacks_(std::move(callbacks)), backoff_(backoff)
    , tick_(std::make_unique<QTimer>()), retry_(std::make_unique<QTimer>())
{
    // libmosquitto's initialisation is the process's, once (the object holds no state).
    static LibraryUse library;
    tick_->setInterval(1000);
    QObject::connect(tick_.get(), &QTimer::timeout, [this] { onTick(); });
    retry_->setSingleShot(true);
    QObject::connect(retry_.get(), &QTimer::timeout, [this] { attempt(); });
}

MqttClient::~MqttClient()
{
    readNotifier_.reset();
    writeNotifier_.reset();
    if (mosq_)
        mosquitto_destroy(mosq_);
}

bool MqttClient::start(std::string& error)
{
    mosq_ = mosquitto_new(settings_.clientId.empty() ? nullptr : settings_.clientId.c_str(), true, this);
    if (!mosq_) {
        error = std::string("cannot create the MQTT client: ") + std::strerror(errno);
        return false;
    }
    mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, settings_.protocol == 5 ? MQTT_PROTOCOL_V5 : MQTT_PROTOCOL_V311);
    mosquitto_connect_callback_set(mosq_, &MqttClient::onConnect);
    mosquitto_disconnect_callback_set(mosq_, &MqttClient::onDisconnect);
    mosquitto_message_callback_set(mosq_, &MqttClient::onMessage);
    if (!settings_.username.empty()) {
        const int rc = mosquitto_username_pw_set(mosq_, settings_.username.c_str(),
                                                 settings_.password.empty() ? nullptr : settings_.password.c_str());
        if (rc != MOSQ_ERR_SUCCESS) {
            error = std::string("the user name cannot be used: ") + mosquitto_strerror(rc);
            return false;
        }
    }
    if (!settings_.caFile.empty()) {
        const int rc = mosquitto_tls_set(mosq_, settings_.caFile.c_str(), nullptr,
                                         settings_.certFile.empty() ? nullptr : settings_.certFile.c_str(),
                                         settings_.keyFile.empty() ? nullptr : settings_.keyFile.c_str(), nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            error = std::string("the TLS files cannot be used (CAFile, CertFile, KeyFile): ") + mosquitto_strerror(rc);
            return false;
        }
    } else if (!settings_.certFile.empty() || !settings_.keyFile.empty()) {
        error = "CertFile and KeyFile need CAFile (TLS)";
        return false;
    }
    if (!settings_.willTopic.empty()) {
        const int rc = mosquitto_will_set(mosq_, settings_.willTopic.c_str(), static_cast<int>(settings_.willPayload.size()),
                                          settings_.willPayload.data(), 1, true);
        if (rc != MOSQ_ERR_SUCCESS) {
            error = std::string("the will cannot be set: ") + mosquitto_strerror(rc);
            return false;
        }
    }
    tick_->start();
    attempt();
    return true;
}

void MqttClient::stop()
{
    retry_->stop();
    tick_->stop();
    if (mosq_ && state_ == State::Connected) {
        state_ = State::Idle;
        mosquitto_disconnect(mosq_);
        // Write what is queued and the DISCONNECT itself before the socket goes.
        for (int i = 0; i < 50 && mosquitto_want_write(mosq_); ++i)
            if (mosquitto_loop_write(mosq_, 1) != MOSQ_ERR_SUCCESS)
                break;
    }
    state_ = State::Idle;
    readNotifier_.reset();
    writeNotifier_.reset();
    socket_ = -1;
}

void MqttClient::attempt()
{
    if (!mosq_)
        return;
    state_ = State::Connecting;
    lossReported_ = false;
    errno = 0;
    const int rc = everAttempted_ ? mosquitto_reconnect_async(mosq_)
                                  : mosquitto_connect_async(mosq_, settings_.host.c_str(), settings_.port, settings_.keepAlive);
    everAttempted_ = true;
    if (rc != MOSQ_ERR_SUCCESS) {
        lose("cannot connect (" + describe(rc) + ")", false);
        return;
    }
    syncSocket();
}

std::string MqttClient::describe(int rc) const
{
    if (rc == MOSQ_ERR_ERRNO)
        return std::strerror(errno);
    return mosquitto_strerror(rc);
}

void MqttClient::lose(const std::string& reason, bool refused)
{
    readNotifier_.reset();
    writeNotifier_.reset();
    socket_ = -1;
    if (state_ == State::Idle || lossReported_)
        return;
    lossReported_ = true;
    state_ = State::Waiting;
    if (refused && refusedCredentials_)
        backoff_.jumpToMaximum();
    lastWaitMs_ = backoff_.next();
    retry_->start(lastWaitMs_);
    if (callbacks_.failed)
        callbacks_.failed(reason, refused);
}

void MqttClient::onConnect(mosquitto*, void* self, int rc)
{
    auto* client = static_cast<MqttClient*>(self);
    if (rc == 0) {
        client->state_ = State::Connected;
        client->refusedCredentials_ = false;
        client->backoff_.reset();
        if (client->callbacks_.connected)
            client->callbacks_.connected();
        return;
    }
    // The broker answered and refused: its reason in words, then the next attempt.
    std::string reason = client->settings_.protocol == 5 ? mosquitto_reason_string(rc) : mosquitto_connack_string(rc);
    reason = "the broker refused the connection: " + reason;
    client->refusedCredentials_ = rc == 4 || rc == 5 || rc == MQTT_RC_BAD_USERNAME_OR_PASSWORD || rc == MQTT_RC_NOT_AUTHORIZED ||
        rc == MQTT_RC_BANNED || rc == MQTT_RC_BAD_AUTHENTICATION_METHOD;
    client->lose(reason, true);
}

void MqttClient::onDisconnect(mosquitto*, void* self, int rc)
{
    auto* client = static_cast<MqttClient*>(self);
    if (client->state_ == State::Idle)
        return;
    const bool wasConnected = client->state_ == State::Connected;
    std::string reason = rc == 0 ? "disconnected" : client->describe(rc);
    if (rc == MOSQ_ERR_CONN_LOST || rc == MOSQ_ERR_ERRNO)
        reason = wasConnected ? "the connection was lost" : "cannot connect (" + reason + ")";
    client->lose(reason, false);
}

void MqttClient::onMessage(mosquitto*, void* self, const mosquitto_message* message)
{
    auto* client = static_cast<MqttClient*>(self);
    if (client->callbacks_.message && message->topic)
        client->callbacks_.message(message->topic,
                                   std::string_view(static_cast<const char*>(message->payload), static_cast<std::size_t>(message->payloadlen)),
                                   message->retain);
}

void MqttClient::afterLoop(int rc)
{
    if (rc != MOSQ_ERR_SUCCESS && mosquitto_socket(mosq_) < 0 && state_ != State::Idle && state_ != State::Waiting)
        lose(state_ == State::Connected ? "the connection was lost" : "cannot connect (" + describe(rc) + ")", false);
    syncSocket();
}

void MqttClient::syncSocket()
{
    if (!mosq_ || state_ == State::Idle || state_ == State::Waiting) {
        readNotifier_.reset();
        writeNotifier_.reset();
        socket_ = -1;
        return;
    }
    const int fd = mosquitto_socket(mosq_);
    if (fd != socket_) {
        readNotifier_.reset();
        writeNotifier_.reset();
        socket_ = fd;
        if (fd >= 0) {
            readNotifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
            QObject::connect(readNotifier_.get(), &QSocketNotifier::activated, [this] { onReadable(); });
            writeNotifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
            QObject::connect(writeNotifier_.get(), &QSocketNotifier::activated, [this] { onWritable(); });
        }
    }
    if (writeNotifier_)
        writeNotifier_->setEnabled(mosquitto_want_write(mosq_));
}

void MqttClient::onReadable()
{
    // Everything that waits, a bounded number of packets per wake-up.
    for (int i = 0; i < kPacketsPerWake; ++i) {
        const int rc = mosquitto_loop_read(mosq_, 1);
        const int fd = mosquitto_socket(mosq_);
        if (rc != MOSQ_ERR_SUCCESS || fd < 0 || fd != socket_) {
            afterLoop(rc);
            return;
        }
        pollfd more{fd, POLLIN, 0};
        if (::poll(&more, 1, 0) <= 0)
            break;
    }
    afterLoop(MOSQ_ERR_SUCCESS);
}

void MqttClient::onWritable()
{
    afterLoop(mosquitto_loop_write(mosq_, 1));
}

void MqttClient::onTick()
{
    if (state_ == State::Connecting || state_ == State::Connected)
        afterLoop(mosquitto_loop_misc(mosq_));
}

bool MqttClient::publish(const std::string& topic, std::string_view payload, int qos, bool retain)
{
    if (state_ != State::Connected)
        return false;
    const int rc = mosquitto_publish(mosq_, nullptr, topic.c_str(), static_cast<int>(payload.size()), payload.data(), qos, retain);
    syncSocket();
    return rc == MOSQ_ERR_SUCCESS;
}

bool MqttClient::subscribe(const std::string& pattern, int qos, bool noLocal)
{
    if (state_ != State::Connected)
        return false;
    const int rc = settings_.protocol == 5 && noLocal
        ? mosquitto_subscribe_v5(mosq_, nullptr, pattern.c_str(), qos, MQTT_SUB_OPT_NO_LOCAL, nullptr)
        : mosquitto_subscribe(mosq_, nullptr, pattern.c_str(), qos);
    syncSocket();
    return rc == MOSQ_ERR_SUCCESS;
}

bool MqttClient::writesPending() const
{
    return mosq_ && mosquitto_want_write(mosq_);
}

} // namespace xapmqtt
