// XapLink: the bridge's place on the xAP LAN. It binds the first free port from 32768
// on 127.0.0.1, announces it in heartbeats so that the local hub relays the LAN's
// traffic to it (heartbeats included), and broadcasts to the xAP port.
#pragma once

#include "Bsc.h"

#include "platform/ReadinessWatcher.h"
#include "platform/Timer.h"
#include "platform/UdpSocket.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace xapmqtt {

class XapLink {
public:
    static constexpr int kFirstPort = 32768;
    static constexpr int kPortTries = 200;

    XapLink(bsc::Sender identity, std::string broadcast, int xapPort, int heartbeatSeconds,
            std::function<void(std::string_view)> onDatagram);
    ~XapLink();

    // Binds and sends the first heartbeat; false with `error` when no port is free.
    bool open(std::string& error);
    bool ready() const { return port_ > 0; }
    int port() const { return port_; }
    // One datagram to the broadcast address; false when it could not be sent.
    bool send(std::string_view text);
    // A heartbeat now (the timer goes on as before).
    void heartbeatNow() { heartbeat(); }
    // A stop heartbeat as the bridge leaves, so that the hub forgets it at once.
    void leave();

private:
    void readAll();
    void heartbeat(const char* heartbeatClass = "xap-hbeat.alive");

    bsc::Sender identity_;
    std::string broadcast_;
    int xapPort_;
    int heartbeatSeconds_;
    std::function<void(std::string_view)> onDatagram_;
    platform::UdpSocket receiver_;
    platform::UdpSocket sender_;
    std::unique_ptr<platform::ReadinessWatcher> watcher_;
    platform::Timer heartbeatTimer_;
    int port_ = 0;
    std::string buffer_;
};

} // namespace xapmqtt
