// Hub: receives the xAP traffic of one UDP port and relays every datagram, heartbeats
// included, to each live local client's port on 127.0.0.1. Every waiting datagram is
// taken with one receive call and all copies go out with one send call per batch;
// the relay path neither allocates nor logs.
//
// The hub guards itself against its peers: only local senders' heartbeats are read;
// a client on the hub's own port, a port below 1024 or another hub's port is never
// registered, and a datagram a client sends back byte for byte within a second of
// receiving it is dropped (either would make the hub relay in a loop); stop
// heartbeats remove a client at once when they come from it; the table and the
// intervals it believes are capped; the receive queue holds about a second of work,
// so the hub drops rather than falls behind; and the table is kept in a state file
// (written at most once a second, off the relay path) so that a restarted hub serves
// its clients at once. It announces itself to its clients with heartbeats of its own.
#pragma once

#include "ClientTable.h"

#include "platform/service/JournalStream.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <array>
#include <atomic>
#include <csignal>
#include <functional>
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
    double backlogSeconds = 1.0;     // the receive queue holds about this much work
};

// What the hub counts (read from another thread only for figures).
struct HubCounters {
    std::uint64_t relayed = 0;        // datagrams received and relayed
    std::uint64_t echoesDropped = 0;  // datagrams a client sent straight back
    std::uint64_t sendsDropped = 0;   // copies dropped because the system had no buffer
    std::uint64_t staleDropped = 0;   // datagrams that waited too long in the queue
    std::uint64_t joined = 0;
    std::uint64_t left = 0;
    std::uint64_t stateWrites = 0;
};

class Hub {
public:
    static constexpr int kBatch = 64; // datagrams per receive call
    static constexpr std::size_t kControlBytes = 64; // room for a datagram's arrival time
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
    // Relays until stop() is called (from another thread) or the stop flag is set,
    // then tells the clients the hub has stopped.
    void run();
    void stop() { stopping_ = true; }
    // Flags that signal handlers set (they do nothing else): the loop stops when
    // `stop` is set, and on `reload` calls `onReload` (reopening the log) and reads
    // the state file again.
    void watchFlags(const volatile std::sig_atomic_t* stop, volatile std::sig_atomic_t* reload,
                    std::function<void()> onReload);

    const ClientTable& clients() const { return table_; }
    std::uint64_t relayedCount() const { return counters_.relayed; }
    const HubCounters& counters() const { return counters_; }
    // The receive buffer the hub asked for last (bytes).
    int receiveBufferBytes() const { return receiveBuffer_; }
    // The hub's own heartbeat text ("xap-hbeat.alive" or "xap-hbeat.stopped").
    std::string heartbeatText(bool stopped) const;

private:
    void receiveBatch();
    static long long arrivalNs(const msghdr& header); // 0 when the datagram carries no time
    void relay(int count, Clock::time_point now);
    void readHeartbeatDatagram(std::string_view datagram, const sockaddr_in& sender, Clock::time_point now);
    void refuseHubPort(std::uint16_t port, const std::string& source);
    bool isEcho(std::string_view datagram, const sockaddr_in& sender, Clock::time_point now);
    void remember(std::string_view datagram, const sockaddr_in& sender, Clock::time_point now);
    void expireClients(Clock::time_point now);
    void logCounts(Clock::time_point now, bool force);
    void fitReceiveBuffer(Clock::time_point now);
    void reload();
    void announce(bool stopped);
    void sendTo(std::uint16_t port, const std::string& text);
    void tableChanged();
    void saveState();
    void log(const std::string& line, platform::JournalPriority priority = platform::JournalPriority::Info) const;
    bool isLocalSender(std::uint32_t address);

    HubOptions options_;
    int fd_ = -1;
    int openErrno_ = 0;
    ClientTable table_;
    std::atomic<bool> stopping_{false};
    const volatile std::sig_atomic_t* stopFlag_ = nullptr;
    volatile std::sig_atomic_t* reloadFlag_ = nullptr;
    std::function<void()> onReload_;
    HubCounters counters_;
    std::vector<std::uint32_t> localAddresses_;
    Clock::time_point localAddressesRead_{};
    bool stateDirty_ = false;       // the table changed; saved within a second
    bool stateFailing_ = false;     // the last save failed (logged once per episode)
    bool reservedLogged_ = false;   // a client on the hub's own port was refused and logged
    bool fullLogged_ = false;       // the full table refused a client and it was logged
    bool echoLogged_ = false;       // an echoing client was logged
    std::vector<std::uint16_t> hubPortsLogged_;
    std::vector<std::uint16_t> clientPorts_; // sorted, for the echo check

    // Counts logged once a minute at the default level.
    Clock::time_point countsLogged_{};
    HubCounters countsAtLastLog_{};

    // Hashes of the datagrams relayed lately (slot by hash), for the echo check.
    struct Relayed {
        std::size_t hash = 0;
        Clock::time_point at{};
        std::uint32_t address = 0; // the sender, as received
        std::uint16_t port = 0;
    };
    std::vector<Relayed> recent_;

    // The receive buffer sized to about a second of the hub's measured work.
    int receiveBuffer_ = 0;
    std::uint64_t bytesIn_ = 0;
    Clock::duration busy_{};
    Clock::time_point rateSince_{};

    // The relay path's buffers, allocated once.
    std::vector<char> buffers_;
    std::array<mmsghdr, kBatch> in_{};
    std::array<iovec, kBatch> inVectors_{};
    std::array<sockaddr_in, kBatch> senders_{};
    std::array<std::array<char, kControlBytes>, kBatch> controls_{};
    std::vector<sockaddr_in> targets_;   // one per client, rebuilt when the table changes
    std::vector<mmsghdr> out_;           // grows to batch x clients, never shrinks
    std::vector<iovec> outVectors_;
};

} // namespace xaphub
