// XapNode: the node "xap", the program's only network endpoint.
//
// It binds a free port at or above 32768 on the loopback address (and the same port on
// the chosen interface address), announces that port in its heartbeats, and relies on
// an xAP hub on the same computer to relay the broadcast traffic of port 3639 to it.
// Received texts that start with "xap-head" are queued; 50 ms after the first of a
// burst the registered listener's onMessage is called by name, and it takes them out
// with GetMessage. Everything it sends goes to port 3639 of the broadcast address.
//
// Two sockets: the loopback receiver (the port the hub relays to), and the LAN socket,
// which sends and receives on the interface address (on a computer without a network
// address it is bound to loopback and is the only socket used).
#pragma once

#include "Outgoing.h"

#include "automation/MemberTable.h"
#include "platform/ReadinessWatcher.h"
#include "platform/Timer.h"
#include "platform/UdpSocket.h"

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace xap {

struct ProgramState;

class XapNode final : public vb::Dispatch<XapNode>, public MessageSender {
public:
    static const vb::MemberTable<XapNode>& members();

    static constexpr std::uint16_t kXapPort = 3639;
    static constexpr std::int32_t kFirstNodePort = 32768;
    static constexpr int kPortTries = 200;
    static constexpr int kReceiveDelayMs = 50;
    // What the receive queue holds at most while the listener falls behind; a flooding
    // peer's further datagrams are dropped (and counted in the log) until it catches up.
    static constexpr std::size_t kMaxQueuedBytes = 32u * 1024u * 1024u;
    // How long the node waits without any datagram before it says that no hub relays
    // to it and starts announcing itself more often.
    static constexpr int kHubCheckDelayMs = 30000;
    // While it hears nothing (or no more heartbeats from the hub it heard), the node
    // sends its heartbeat this often, so that a hub started or restarted late learns
    // its port at once instead of after up to ten minutes.
    static constexpr int kDeafHeartbeatMs = 10000;
    // Hub heartbeats remembered (to notice a new or restarted hub), and the shortest
    // time between two heartbeats sent because of one.
    static constexpr std::size_t kHubsRemembered = 8;
    static constexpr int kReannounceGapMs = 1000;

    // Lists the machine's IPv4 addresses for GetIP (replaceable for tests).
    using AddressLister = std::function<std::optional<std::vector<std::string>>()>;

    // The node of `program`: it sends for it and keeps its identity there.
    explicit XapNode(ProgramState& program);
    ~XapNode() override;

    static std::int32_t hibyte(std::int16_t value) { return (value / 256) & 255; }
    static std::int32_t lobyte(std::int16_t value) { return value & 255; }
    void SocketsInitialize();
    void SocketsCleanup();

    // The local IPv4 address: the first of the machine's addresses that matches
    // InterfaceAddress, else the first; "127.0.0.1" on a machine without one.
    std::string GetIP();
    static bool AddressMatches(const std::string& address, const std::string& pattern);

    // Binds the sockets; the port (above 0) or -1 when no port was free, or the negated
    // error number when the interface bind failed.
    std::int32_t Init();

    void RegisterNewMessageCallback(vb::Ref<vb::Object> listener) { messageCallback_ = std::move(listener); }
    // The oldest queued text, removed from the queue; "" when none waits.
    std::string GetMessage();

    bool FilterHeartbeats() const { return filterHeartbeats_; }
    void letFilterHeartbeats(bool value) { filterHeartbeats_ = value; }
    const std::string& BroadcastAddress() const { return broadcastAddress_; }
    void letBroadcastAddress(std::string value) { broadcastAddress_ = std::move(value); }
    const std::string& InterfaceAddress() const { return interfaceAddress_; }
    void letInterfaceAddress(std::string value) { interfaceAddress_ = std::move(value); }

    // The identity; the setters write the program-wide values and rebuild the cached
    // header and heartbeat texts.
    std::string XapClass() const;
    void letXapClass(std::string value);
    std::string XapSource() const;
    void letXapSource(std::string value);
    std::string XapTarget() const;
    void letXapTarget(std::string value);
    std::string XapUID() const;
    void letXapUID(std::string value);

    // Sends one heartbeat and sets the heartbeat timer from the interval (seconds,
    // clamped: above 60 gives 60, below 1 gives 0 and stops the timer, below 5 gives 5).
    void SendHeartbeat(std::int32_t intervalSeconds);
    // Composes one message and broadcasts it: "" when sent, else the failure text.
    std::string SendXap(const std::string& sTarget, const std::string& sClass, const std::string& sSection,
                        const std::string& sData, const std::string& sSubaddress, const std::string& sUID) override;

    // The node's end: the queue is discarded, the timers stop and the sockets close.
    void unload();

    // Queues a received text when it is an xAP message (or when heartbeats are not
    // filtered) and arms the receive timer.
    void processReceivedMessage(const std::string& text);

    // For the program's own use and for tests.
    void setAddressLister(AddressLister lister) { addressLister_ = std::move(lister); }
    std::int32_t nodePort() const { return nodePort_; }
    const std::string& resolvedBroadcast() const { return resolvedBroadcast_; }
    const std::string& interfaceIP() const { return interfaceIP_; }
    const std::string& heartbeatPrefix() const { return heartbeatPrefix_; }
    const std::string& heartbeatSuffix() const { return heartbeatSuffix_; }
    std::size_t queuedCount() const { return receivedQueue_.size(); }
    std::size_t queuedBytes() const { return queuedBytes_; }
    std::int16_t heartbeatTicks() const { return heartbeatTicks_; }
    platform::Timer& heartbeatTimer() { return heartbeatTimer_; }
    platform::Timer& receiveTimer() { return receiveTimer_; }
    void setHubCheckDelay(int milliseconds) { hubCheckDelayMs_ = milliseconds; }
    void setDeafHeartbeatDelay(int milliseconds) { deafHeartbeatMs_ = milliseconds; }
    // Heartbeats sent besides the timer's (re-announcements).
    std::uint64_t extraHeartbeats() const { return extraHeartbeats_; }
    bool anythingReceived() const { return anythingReceived_; }
    bool loopbackSocketBound() const { return loopbackSocket_.isOpen(); }
    bool lanSocketBound() const { return lanSocket_.isOpen(); }

    // Called by the timers.
    void onHeartbeatTick();
    void onReceiveTimer();
    void onHubCheck();

private:
    // The program this node belongs to: its identity and send path (the state current
    // when the node was created).
    ProgramState& program_;
    std::string sendXapMember(const std::string& sTarget, const std::string& sClass, const std::string& sSection,
                              const std::string& sData, vb::Optional<std::string> sSubaddress, vb::Optional<std::string> sUID);
    void rebuildHeartbeatPrefix();
    bool bindFromFirstPort(platform::UdpSocket& socket);
    void prepareReceiver(platform::UdpSocket& socket, std::unique_ptr<platform::ReadinessWatcher>& watcher);
    void readAll(platform::UdpSocket& socket);
    platform::SocketError sendDatagram(std::string_view text);
    void logAddressProblems();
    void noteHeartbeat(std::string_view text);
    // Sends the heartbeat once more (not from the timer), when the node has announced itself.
    void reannounce();
    std::string stoppedHeartbeat() const;
    void logSendFailure(const platform::SocketError& error);

    std::string broadcastAddress_ = "Default";
    std::string interfaceAddress_ = "Default";
    std::string resolvedBroadcast_;
    std::string interfaceIP_;
    std::string heartbeatPrefix_;
    std::string heartbeatSuffix_;
    std::int32_t nodePort_ = 0;
    std::string lastReceived_;
    std::deque<std::string> receivedQueue_;
    std::size_t queuedBytes_ = 0;
    bool droppingLogged_ = false;
    vb::Ref<vb::Object> messageCallback_;
    bool filterHeartbeats_ = true;
    std::int16_t heartbeatTicks_ = 0;
    AddressLister addressLister_;

    platform::UdpSocket loopbackSocket_;
    platform::UdpSocket lanSocket_;
    // Where messages and heartbeats go (port kXapPort): the resolved broadcast address.
    std::string sendAddress_ = "255.255.255.255";
    std::unique_ptr<platform::ReadinessWatcher> loopbackWatcher_;
    std::unique_ptr<platform::ReadinessWatcher> lanWatcher_;
    platform::Timer heartbeatTimer_;
    platform::Timer receiveTimer_;
    platform::Timer hubCheckTimer_;
    int hubCheckDelayMs_ = kHubCheckDelayMs;
    int deafHeartbeatMs_ = kDeafHeartbeatMs;
    bool anythingReceived_ = false;

    // Hearing: when anything last arrived, and the hubs' heartbeats.
    using Clock = std::chrono::steady_clock;
    struct HeardHub {
        std::string key; // source and uid
        Clock::time_point lastHeard;
        std::int32_t intervalSeconds = 60;
    };
    Clock::time_point lastArrival_{};
    std::vector<HeardHub> hubs_;
    bool deafLogged_ = false;
    bool announced_ = false; // a heartbeat has been sent (SendHeartbeat)
    std::int32_t announcedInterval_ = 0;
    Clock::time_point lastReannounce_{};
    std::uint64_t extraHeartbeats_ = 0;
};

// The text of a VB-style number: a leading blank before a non-negative value ("Using
// xAP port  32768"), a minus sign before a negative one.
std::string numberText(std::int32_t value);

} // namespace xap
