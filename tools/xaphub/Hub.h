// Hub: receives the xAP traffic of one UDP port and relays every datagram, heartbeats
// included, to each live local client's port on 127.0.0.1. Datagrams are received and
// sent in batches, and the socket buffers are sized so that a burst is not lost.
#pragma once

#include "ClientTable.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace xaphub {

struct HubOptions {
    std::uint16_t port = 3639;
    std::string bindAddress = "0.0.0.0";
    int verbosity = 1; // 0 quiet, 1 clients joining and leaving, 2 every datagram
};

class Hub {
public:
    explicit Hub(HubOptions options);
    ~Hub();
    Hub(const Hub&) = delete;
    Hub& operator=(const Hub&) = delete;

    // Binds the port; false (with `error` set) when it cannot.
    bool open(std::string& error);
    // Relays until stop() is called (from a signal handler or another thread).
    void run();
    void stop() { stopping_ = true; }

    const ClientTable& clients() const { return table_; }
    std::uint64_t relayedCount() const { return relayed_; }

private:
    void receiveBatch();
    void log(const std::string& line) const;
    bool isLocalSender(std::uint32_t address);

    HubOptions options_;
    int fd_ = -1;
    ClientTable table_;
    std::atomic<bool> stopping_{false};
    std::uint64_t relayed_ = 0;
    std::vector<std::uint32_t> localAddresses_;
    Clock::time_point localAddressesRead_{};
};

} // namespace xaphub
