// Hub: receives the xAP traffic of one UDP port and relays every datagram, heartbeats
// included, to each live local client's port on 127.0.0.1. Every waiting datagram is
// taken with one receive call and all copies go out with one send call per batch;
// the relay path neither allocates nor logs.
//
// The hub guards itself against its peers: a client on the hub's own port is never
// registered (it would relay to itself), stop heartbeats remove a client at once, the
// table and the intervals it believes are capped, and the table is kept in a state
// file so that a restarted hub serves its clients at once. It announces itself to its
// clients with heartbeats of its own.
#pragma once

#include "ClientTable.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace xaphub {

struct HubOptions {
    std::uint16_t port = 3639;
    std::string bindAddress = "0.0.0.0";
    int verbosity = 1; // 0 quiet, 1 clients joining and leaving, 2 every heartbeat too
    std::size_t maxClients = 256;
    int maxIntervalSeconds = 3600;
    std::string statePath;           // the client table's file; none when empty
    std::string source;              // the hub's own xAP source; "tallis.xaphub.<host>" when empty
    int heartbeatSeconds = 60;       // interval of the hub's own heartbeat
};

class Hub {
public:
    static constexpr int kBatch = 64; // datagrams per receive call
    static constexpr const char* kUid = "FF.00D1:00";

    explicit Hub(HubOptions options);
    ~Hub();
    Hub(const Hub&) = delete;
    Hub& operator=(const Hub&) = delete;

    // Binds the port and reloads the state file; false (with `error` set) when it cannot bind.
    bool open(std::string& error);
    // The system error of a failed open (EADDRINUSE: another program, normally another
    // hub, holds the port).
    int openErrno() const { return openErrno_; }
    // Relays until stop() is called (from a signal handler or another thread), then
    // tells the clients the hub has stopped.
    void run();
    void stop() { stopping_ = true; }

    const ClientTable& clients() const { return table_; }
    std::uint64_t relayedCount() const { return relayed_; }
    // The hub's own heartbeat text ("xap-hbeat.alive" or "xap-hbeat.stopped").
    std::string heartbeatText(bool stopped) const;

private:
    void receiveBatch();
    void relay(int count);
    void readHeartbeatDatagram(std::string_view datagram, const sockaddr_in& sender, Clock::time_point now);
    void expireClients(Clock::time_point now);
    void announce(bool stopped);
    void sendTo(std::uint16_t port, const std::string& text);
    void tableChanged();
    void saveState();
    void log(const std::string& line) const;
    bool isLocalSender(std::uint32_t address);

    HubOptions options_;
    int fd_ = -1;
    int openErrno_ = 0;
    ClientTable table_;
    std::atomic<bool> stopping_{false};
    std::uint64_t relayed_ = 0;
    std::vector<std::uint32_t> localAddresses_;
    Clock::time_point localAddressesRead_{};
    bool stateDirty_ = false;       // a heartbeat moved a client's expiry; saved within a second
    bool reservedLogged_ = false;   // a client on the hub's own port was refused and logged
    bool fullLogged_ = false;       // the full table refused a client and it was logged

    // The relay path's buffers, allocated once.
    std::vector<char> buffers_;
    std::array<mmsghdr, kBatch> in_{};
    std::array<iovec, kBatch> inVectors_{};
    std::array<sockaddr_in, kBatch> senders_{};
    std::vector<sockaddr_in> targets_;   // one per client, rebuilt when the table changes
    std::vector<mmsghdr> out_;           // grows to batch x clients, never shrinks
    std::vector<iovec> outVectors_;
};

} // namespace xaphub
