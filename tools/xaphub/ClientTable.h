// The hub's table of local clients: learned from their heartbeats, forgotten after
// twice their announced interval without one, or at once when they send a stop
// heartbeat. The table guards itself: it holds at most a set number of clients,
// believes intervals up to a set length only, and never takes a port below 1024 or a
// reserved port (the hub's own, or another hub's: either would make the hubs relay to
// each other for ever).
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace xaphub {

using Clock = std::chrono::steady_clock;

// What a heartbeat tells the hub.
struct Heartbeat {
    std::uint16_t port = 0; // 0 when the heartbeat names none (allowed for a stop heartbeat)
    int intervalSeconds = 0;
    std::string source;
    bool stopping = false; // class "xap-hbeat.stop" or "xap-hbeat.stopped"

    // A hub's heartbeat: its source names a hub in its device part
    // ("tallis.xaphub.pc1", "vendor.hub.pc1").
    bool fromHub() const;
};

// Reads a heartbeat ("xap-hbeat" block with a "port=" item, a stop heartbeat with a
// port or a source, or a hub's heartbeat); nothing for any other text. Linear in the
// size of the text.
std::optional<Heartbeat> readHeartbeat(std::string_view datagram);

struct Client {
    std::uint16_t port = 0;
    int intervalSeconds = 0;
    std::string source;
    Clock::time_point lastHeard;
};

struct TableLimits {
    std::size_t maxClients = 256;
    int maxIntervalSeconds = 3600;
    std::vector<std::uint16_t> reservedPorts; // never registered
};

// Ports below this one are never clients (system services, which may answer).
inline constexpr std::uint16_t kFirstClientPort = 1024;
// Ports of other hubs remembered at most.
inline constexpr std::size_t kMaxReservedPorts = 64;

class ClientTable {
public:
    // Used when a heartbeat announces no usable interval.
    static constexpr int kDefaultIntervalSeconds = 60;

    enum class Heard { Joined, Refreshed, Reserved, Full };

    explicit ClientTable(TableLimits limits = {}) : limits_(std::move(limits)) { }

    // Records an alive heartbeat.
    Heard heard(const Heartbeat& heartbeat, Clock::time_point now);
    // Forgets the client a stop heartbeat names. A stop counts when it comes from the
    // client's own port (`senderPort`, the sender being local), or when it names both
    // the client's port and its source; a stop from elsewhere naming a source alone
    // removes nothing. Returns the clients removed.
    std::vector<Client> forget(const Heartbeat& heartbeat, std::uint16_t senderPort);
    // Never takes `port` again (another hub's), and removes the client on it; false
    // when it was reserved already.
    bool reserve(std::uint16_t port, std::vector<Client>& removed);
    bool isReserved(std::uint16_t port) const;
    // Takes back a client from the state file (limits as for a heartbeat); false
    // when refused.
    bool restore(const Client& client);
    // Removes and returns the clients silent for more than twice their interval.
    std::vector<Client> expire(Clock::time_point now);
    // When a client falls silent (the time of its expiry).
    static Clock::time_point dueTime(const Client& client);
    // The interval the hub believes for an announced one.
    int believedInterval(int announced) const;

    const std::vector<Client>& clients() const { return clients_; }
    const TableLimits& limits() const { return limits_; }

private:
    TableLimits limits_;
    std::vector<Client> clients_;
};

} // namespace xaphub
