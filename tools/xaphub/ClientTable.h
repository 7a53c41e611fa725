// The hub's table of local clients: learned from their heartbeats, forgotten after
// twice their announced interval without one.
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
    std::uint16_t port = 0;
    int intervalSeconds = 0;
    std::string source;
};

// Reads a heartbeat ("xap-hbeat" block with a "port=" item); nothing for any other text.
std::optional<Heartbeat> readHeartbeat(std::string_view datagram);

struct Client {
    std::uint16_t port = 0;
    int intervalSeconds = 0;
    std::string source;
    Clock::time_point lastHeard;
};

class ClientTable {
public:
    // Used when a heartbeat announces no usable interval.
    static constexpr int kDefaultIntervalSeconds = 60;

    // Records a heartbeat; true when the client is new.
    bool heard(const Heartbeat& heartbeat, Clock::time_point now);
    // Removes and returns the clients silent for more than twice their interval.
    std::vector<Client> expire(Clock::time_point now);

    const std::vector<Client>& clients() const { return clients_; }

private:
    std::vector<Client> clients_;
};

} // namespace xaphub
