#include "XapLink.h"

namespace xapmqtt {

XapLink::XapLink(bsc::Sender identity, std::string broadcast, int xapPort, int heartbeatSeconds,
                 std::function<void(std::string_view)> onDatagram)
    : identity_(std::move(identity)), broadcast_(std::move(broadcast)), xapPort_(xapPort)
    , heartbeatSeconds_(heartbeatSeconds), onDatagram_(std::move(onDatagram))
{
    heartbeatTimer_.setOnTick([this] { heartbeat(); });
}

XapLink::~XapLink() = default;

bool XapLink::open(std::string& error)
{
    for (int port = kFirstPort; port < kFirstPort + kPortTries; ++port) {
        if (!receiver_.bind(static_cast<std::uint16_t>(port), "127.0.0.1")) {
            port_ = port;
            break;
        }
        receiver_.close();
    }
    if (port_ == 0) {
        error = "no free UDP port on 127.0.0.1 from " + std::to_string(kFirstPort) + " to " + std::to_string(kFirstPort + kPortTries - 1);
        return false;
    }
    receiver_.setReceiveBuffer(4 << 20);
    if (const platform::SocketError e = sender_.bind(0, "")) {
        error = "cannot open the sending socket: " + e.description;
        return false;
    }
    sender_.enableBroadcast();
    sender_.setSendBuffer(4 << 20);
    watcher_ = std::make_unique<platform::ReadinessWatcher>(receiver_.descriptor(), [this] { readAll(); });
    heartbeat();
    heartbeatTimer_.setInterval(heartbeatSeconds_ * 1000);
    heartbeatTimer_.setEnabled(true);
    return true;
}

void XapLink::heartbeat(const char* heartbeatClass)
{
    std::string text = bsc::composeHeartbeat(identity_, heartbeatSeconds_, port_);
    if (std::string_view(heartbeatClass) != "xap-hbeat.alive")
        text.replace(text.find("xap-hbeat.alive"), 15, heartbeatClass);
    send(text);
}

void XapLink::leave()
{
    if (port_ > 0)
        heartbeat("xap-hbeat.stopped");
    heartbeatTimer_.setEnabled(false);
}

bool XapLink::send(std::string_view text)
{
    return !sender_.sendTo(broadcast_, static_cast<std::uint16_t>(xapPort_), text);
}

void XapLink::readAll()
{
    // A bounded batch per wake-up, so that a flood cannot starve the MQTT side.
    for (int i = 0; i < 256 && receiver_.receive(buffer_); ++i)
        onDatagram_(buffer_);
}

} // namespace xapmqtt
