#include "Hub.h"

#include "StateFile.h"
#include "platform/service/JournalStream.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ifaddrs.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

namespace xaphub {

namespace {

constexpr std::size_t kMaxDatagram = 65536;   // whole datagrams, whatever their size
constexpr int kSocketBufferBytes = 64 << 20;  // absorbs a burst (about 60,000 small datagrams) while relaying
constexpr std::size_t kSendChunk = 1024;      // the system's limit per batched send
constexpr int kMinReceiveBuffer = 1 << 20;     // the receive buffer never goes below this
constexpr int kStartReceiveBuffer = 4 << 20;   // until the rate is measured
constexpr std::size_t kRecentSlots = 4096;     // datagrams remembered for the echo check
constexpr auto kEchoWindow = std::chrono::seconds(1);
constexpr int kSendStalls = 3;                 // waits for a full send buffer before a copy is dropped
constexpr int kSendWaitMs = 5;
constexpr auto kCountsEvery = std::chrono::minutes(1);

void setBuffer(int fd, int forced, int plain, int bytes)
{
    if (::setsockopt(fd, SOL_SOCKET, forced, &bytes, sizeof bytes) != 0)
        ::setsockopt(fd, SOL_SOCKET, plain, &bytes, sizeof bytes);
}

std::string defaultSource()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || !name[0])
        std::strcpy(name, "localhost");
    std::string host(name);
    host = host.substr(0, host.find('.'));
    return "tallis.xaphub." + host;
}

std::string describeSender(const sockaddr_in& sender)
{
    char address[INET_ADDRSTRLEN] = "?";
    ::inet_ntop(AF_INET, &sender.sin_addr, address, sizeof address);
    return std::string(address) + ":" + std::to_string(ntohs(sender.sin_port));
}

std::string describe(const Client& c)
{
    return "client 127.0.0.1:" + std::to_string(c.port) + " (" + c.source + ")";
}

} // namespace

Hub::Hub(HubOptions options)
    : options_(std::move(options))
    , table_(TableLimits{options_.maxClients, options_.maxIntervalSeconds, {options_.port}})
{
    if (options_.source.empty())
        options_.source = defaultSource();
}

Hub::~Hub()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool Hub::open(std::string& error)
{
    in_addr address{};
    if (::inet_pton(AF_INET, options_.bindAddress.c_str(), &address) != 1) {
        error = "not an IPv4 address: " + options_.bindAddress;
        return false;
    }
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        error = std::strerror(errno);
        return false;
    }
    // The receive buffer starts moderate and is fitted to the measured rate
    // (fitReceiveBuffer); each datagram carries its arrival time, so that one which
    // waited longer than the backlog allows is dropped rather than relayed late.
    receiveBuffer_ = kStartReceiveBuffer;
    const int on = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
    setBuffer(fd_, SO_RCVBUFFORCE, SO_RCVBUF, receiveBuffer_);
    setBuffer(fd_, SO_SNDBUFFORCE, SO_SNDBUF, kSocketBufferBytes);
    recent_.assign(kRecentSlots, Relayed{});
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(options_.port);
    sa.sin_addr = address;
    // No address reuse: a second hub on the same port is refused.
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
        openErrno_ = errno;
        error = "cannot bind " + options_.bindAddress + ":" + std::to_string(options_.port) + ": " + std::strerror(errno);
        return false;
    }
    buffers_.assign(kBatch * kMaxDatagram, 0);
    for (int i = 0; i < kBatch; ++i) {
        inVectors_[i] = iovec{buffers_.data() + i * kMaxDatagram, kMaxDatagram};
        in_[i].msg_hdr.msg_iov = &inVectors_[i];
        in_[i].msg_hdr.msg_iovlen = 1;
        in_[i].msg_hdr.msg_name = &senders_[i];
        in_[i].msg_hdr.msg_control = controls_[i].data();
    }

    if (!options_.statePath.empty()) {
        const std::size_t taken = loadClients(options_.statePath, table_, Clock::now(), WallClock::now());
        if (options_.verbosity >= 1 && taken > 0)
            log("took back " + std::to_string(taken) + " client(s) from " + options_.statePath);
        for (const Client& c : table_.clients())
            if (options_.verbosity >= 2)
                log(describe(c) + " joined from the state file, interval " + std::to_string(c.intervalSeconds) + " s");
        tableChanged();
        stateDirty_ = false; // the file holds what was just read
    }
    if (options_.verbosity >= 1)
        log("listening on " + options_.bindAddress + ":" + std::to_string(options_.port));
    return true;
}

void Hub::log(const std::string& line, platform::JournalPriority priority) const
{
    // Under a service manager the journal stamps and names the line itself.
    if (platform::stderrIsJournal()) {
        platform::writeJournal(priority, line);
        return;
    }
    std::printf("xaphub: %s\n", line.c_str());
    std::fflush(stdout);
}

bool Hub::isLocalSender(std::uint32_t address)
{
    if ((address >> 24) == 127)
        return true;
    // The machine's own addresses, read again now and then as interfaces come and go.
    const Clock::time_point now = Clock::now();
    if (now - localAddressesRead_ > std::chrono::seconds(10)) {
        localAddressesRead_ = now;
        localAddresses_.clear();
        ifaddrs* list = nullptr;
        if (::getifaddrs(&list) == 0) {
            for (ifaddrs* i = list; i; i = i->ifa_next)
                if (i->ifa_addr && i->ifa_addr->sa_family == AF_INET)
                    localAddresses_.push_back(ntohl(reinterpret_cast<sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr));
            ::freeifaddrs(list);
        }
    }
    return std::find(localAddresses_.begin(), localAddresses_.end(), address) != localAddresses_.end();
}

std::string Hub::heartbeatText(bool stopped) const
{
    return std::string("xap-hbeat\n{\nv=12\nhop=1\nuid=") + kUid + "\nclass=xap-hbeat." + (stopped ? "stopped" : "alive") +
        "\nsource=" + options_.source + "\ninterval=" + std::to_string(options_.heartbeatSeconds) + "\n}\n";
}

void Hub::sendTo(std::uint16_t port, const std::string& text)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::sendto(fd_, text.data(), text.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
}

void Hub::announce(bool stopped)
{
    const std::string text = heartbeatText(stopped);
    for (const Client& c : table_.clients())
        sendTo(c.port, text);
}

void Hub::watchFlags(const volatile std::sig_atomic_t* stop, volatile std::sig_atomic_t* reload,
                     std::function<void()> onReload)
{
    stopFlag_ = stop;
    reloadFlag_ = reload;
    onReload_ = std::move(onReload);
}

void Hub::run()
{
    Clock::time_point lastTick = Clock::now();
    Clock::time_point lastAnnounced = lastTick;
    countsLogged_ = lastTick;
    rateSince_ = lastTick;
    announce(false);
    auto stopping = [&] { return stopping_ || (stopFlag_ && *stopFlag_); };
    while (!stopping()) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 500) > 0) {
            const Clock::time_point began = Clock::now();
            receiveBatch();
            busy_ += Clock::now() - began;
        }
        if (reloadFlag_ && *reloadFlag_) {
            *reloadFlag_ = 0;
            reload();
        }
        const Clock::time_point now = Clock::now();
        if (now - lastTick >= std::chrono::seconds(1)) {
            lastTick = now;
            expireClients(now);
            // Written here, at most once a second, never from the relay path.
            if (stateDirty_)
                saveState();
            fitReceiveBuffer(now);
            logCounts(now, false);
        }
        if (now - lastAnnounced >= std::chrono::seconds(options_.heartbeatSeconds)) {
            lastAnnounced = now;
            announce(false);
        }
    }
    if (stateDirty_)
        saveState();
    logCounts(Clock::now(), true);
    announce(true);
}

void Hub::reload()
{
    if (onReload_)
        onReload_();
    if (!options_.statePath.empty()) {
        const std::size_t before = table_.clients().size();
        loadClients(options_.statePath, table_, Clock::now(), WallClock::now());
        if (table_.clients().size() != before)
            tableChanged();
    }
    if (options_.verbosity >= 1)
        log("reloaded: " + std::to_string(table_.clients().size()) + " client(s)");
}

// The queue of received datagrams is kept to about a second of the hub's own work at
// its measured rate: a hub that answers late is worse than one that drops.
void Hub::fitReceiveBuffer(Clock::time_point now)
{
    if (now - rateSince_ < std::chrono::seconds(1))
        return;
    const double busySeconds = std::chrono::duration<double>(busy_).count();
    const std::uint64_t bytes = bytesIn_;
    rateSince_ = now;
    busy_ = {};
    bytesIn_ = 0;
    if (busySeconds < 0.05 || bytes == 0)
        return; // too little work to measure
    // Bytes the hub drains in the set time, doubled for the system's own overhead on
    // each queued datagram.
    const double wanted = 2.0 * static_cast<double>(bytes) / busySeconds * options_.backlogSeconds;
    const int target = static_cast<int>(std::clamp(wanted, double(kMinReceiveBuffer), double(kSocketBufferBytes)));
    if (target > receiveBuffer_ * 5 / 4 || target < receiveBuffer_ * 3 / 4) {
        receiveBuffer_ = target;
        setBuffer(fd_, SO_RCVBUFFORCE, SO_RCVBUF, receiveBuffer_);
        if (options_.verbosity >= 2)
            log("receive buffer " + std::to_string(receiveBuffer_ / 1024) + " KB (about " +
                std::to_string(static_cast<long long>(bytes / busySeconds / 1024)) + " KB relayed a second)");
    }
}

// At the default level the table's changes are counted, and said at most once a minute.
void Hub::logCounts(Clock::time_point now, bool force)
{
    if (!force && now - countsLogged_ < kCountsEvery)
        return;
    countsLogged_ = now;
    const HubCounters& c = counters_;
    const HubCounters& b = countsAtLastLog_;
    if (options_.verbosity >= 1 && (c.joined != b.joined || c.left != b.left || c.echoesDropped != b.echoesDropped ||
                                    c.sendsDropped != b.sendsDropped || c.staleDropped != b.staleDropped)) {
        std::string line = std::to_string(table_.clients().size()) + " client(s); in the last minute " +
            std::to_string(c.joined - b.joined) + " joined, " + std::to_string(c.left - b.left) + " left";
        if (c.echoesDropped != b.echoesDropped)
            line += ", " + std::to_string(c.echoesDropped - b.echoesDropped) + " echoed datagrams dropped";
        if (c.staleDropped != b.staleDropped) {
            char seconds[32];
            std::snprintf(seconds, sizeof seconds, "%g", options_.backlogSeconds);
            line += ", " + std::to_string(c.staleDropped - b.staleDropped) + " datagrams dropped (queued over " + seconds +
                " s: the hub cannot keep up)";
        }
        if (c.sendsDropped != b.sendsDropped)
            line += ", " + std::to_string(c.sendsDropped - b.sendsDropped) + " copies dropped (no send buffer)";
        log(line);
    }
    countsAtLastLog_ = c;
}

void Hub::expireClients(Clock::time_point now)
{
    const std::vector<Client> gone = table_.expire(now);
    for (const Client& c : gone)
        if (options_.verbosity >= 2)
            log(describe(c) + " left (no heartbeat for " + std::to_string(2 * c.intervalSeconds) + " s)");
    counters_.left += gone.size();
    if (!gone.empty())
        tableChanged();
}

void Hub::tableChanged()
{
    const std::vector<Client>& clients = table_.clients();
    targets_.assign(clients.size(), sockaddr_in{});
    for (std::size_t c = 0; c < clients.size(); ++c) {
        targets_[c].sin_family = AF_INET;
        targets_[c].sin_port = htons(clients[c].port);
        targets_[c].sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    }
    const std::size_t needed = static_cast<std::size_t>(kBatch) * clients.size();
    if (out_.size() < needed) {
        out_.resize(needed);
        outVectors_.resize(needed);
    }
    clientPorts_.clear();
    for (const Client& c : clients)
        clientPorts_.push_back(c.port);
    std::sort(clientPorts_.begin(), clientPorts_.end());
    if (clients.size() < table_.limits().maxClients)
        fullLogged_ = false;
    stateDirty_ = true;
}

void Hub::saveState()
{
    stateDirty_ = false;
    if (options_.statePath.empty())
        return;
    ++counters_.stateWrites;
    if (saveClients(options_.statePath, table_, Clock::now(), WallClock::now())) {
        stateFailing_ = false;
        return;
    }
    // Once per failure episode, not once a second.
    if (!stateFailing_)
        log("cannot write the state file " + options_.statePath + ": " + std::strerror(errno) +
            " (logged once until a write succeeds)",
            platform::JournalPriority::Warning);
    stateFailing_ = true;
}

void Hub::refuseHubPort(std::uint16_t port, const std::string& source)
{
    std::vector<Client> removed;
    if (!table_.reserve(port, removed))
        return;
    counters_.left += removed.size();
    if (!removed.empty())
        tableChanged();
    if (std::find(hubPortsLogged_.begin(), hubPortsLogged_.end(), port) == hubPortsLogged_.end() &&
        hubPortsLogged_.size() < kMaxReservedPorts) {
        hubPortsLogged_.push_back(port);
        log("port " + std::to_string(port) + " refused as a client: another xAP hub (" + source +
            ") uses it, and two hubs relaying to each other would loop (logged once)");
    }
}

void Hub::remember(std::string_view datagram, const sockaddr_in& sender, Clock::time_point now)
{
    const std::size_t hash = std::hash<std::string_view>{}(datagram);
    recent_[hash % kRecentSlots] = Relayed{hash, now, sender.sin_addr.s_addr, sender.sin_port};
}

// A datagram from a registered client's own port that equals one relayed in the last
// second from another sender is that client answering the hub (an echo service):
// relaying it again would loop for ever. A client repeating its own message is no echo.
bool Hub::isEcho(std::string_view datagram, const sockaddr_in& sender, Clock::time_point now)
{
    const std::uint16_t port = ntohs(sender.sin_port);
    if (!std::binary_search(clientPorts_.begin(), clientPorts_.end(), port))
        return false;
    const std::size_t hash = std::hash<std::string_view>{}(datagram);
    const Relayed& r = recent_[hash % kRecentSlots];
    if (r.hash != hash || now - r.at > kEchoWindow ||
        (r.address == sender.sin_addr.s_addr && r.port == sender.sin_port))
        return false;
    ++counters_.echoesDropped;
    if (!echoLogged_)
        log("datagram from 127.0.0.1:" + std::to_string(port) + " dropped: a client sent back what it was relayed "
            "within a second (an echoing service?); such datagrams are dropped (logged once)");
    echoLogged_ = true;
    return true;
}

void Hub::readHeartbeatDatagram(std::string_view datagram, const sockaddr_in& sender, Clock::time_point now)
{
    const auto beat = readHeartbeat(datagram);
    if (!beat)
        return;
    const std::uint16_t senderPort = ntohs(sender.sin_port);
    if (options_.verbosity >= 2)
        log("heartbeat from " + describeSender(sender) + ", port " + std::to_string(beat->port) + ", source " + beat->source);
    // Another hub (or a client echoing a hub's heartbeat): neither the port it sends
    // from nor the one it names may become a client.
    if (beat->fromHub()) {
        if (senderPort != options_.port)
            refuseHubPort(senderPort, beat->source);
        if (beat->port != 0 && beat->port != options_.port)
            refuseHubPort(beat->port, beat->source);
        return;
    }
    if (beat->stopping) {
        const std::vector<Client> gone = table_.forget(*beat, senderPort);
        for (const Client& c : gone)
            if (options_.verbosity >= 2)
                log(describe(c) + " left (stop heartbeat)");
        counters_.left += gone.size();
        if (!gone.empty())
            tableChanged();
        return;
    }
    const Client wanted{beat->port, table_.believedInterval(beat->intervalSeconds), beat->source, now};
    switch (table_.heard(*beat, now)) {
    case ClientTable::Heard::Joined:
        if (options_.verbosity >= 2)
            log(describe(wanted) + " joined, interval " + std::to_string(wanted.intervalSeconds) + " s");
        ++counters_.joined;
        tableChanged();
        sendTo(wanted.port, heartbeatText(false));
        break;
    case ClientTable::Heard::Refreshed:
        stateDirty_ = true;
        break;
    case ClientTable::Heard::Reserved:
        // Relaying to its own port, a system port or another hub would make the hub loop.
        if (!reservedLogged_)
            log(describe(wanted) + " refused: that is the hub's own port, a port below 1024 or another hub's "
                "(logged once)");
        reservedLogged_ = true;
        break;
    case ClientTable::Heard::Full:
        if (!fullLogged_)
            log(describe(wanted) + " refused: the client table is full (" + std::to_string(table_.limits().maxClients) +
                " clients; logged once until a client leaves)");
        fullLogged_ = true;
        break;
    }
}

long long Hub::arrivalNs(const msghdr& header)
{
    for (cmsghdr* c = CMSG_FIRSTHDR(&header); c; c = CMSG_NXTHDR(const_cast<msghdr*>(&header), c))
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_TIMESTAMPNS) {
            timespec t{};
            std::memcpy(&t, CMSG_DATA(c), sizeof t);
            return t.tv_sec * 1'000'000'000LL + t.tv_nsec;
        }
    return 0;
}

void Hub::receiveBatch()
{
    for (auto& m : in_) {
        m.msg_hdr.msg_namelen = sizeof(sockaddr_in);
        m.msg_hdr.msg_controllen = kControlBytes;
    }
    const int count = ::recvmmsg(fd_, in_.data(), kBatch, MSG_DONTWAIT, nullptr);
    if (count <= 0)
        return;

    const Clock::time_point now = Clock::now();
    timespec wallNow{};
    ::clock_gettime(CLOCK_REALTIME, &wallNow);
    const long long wallNowNs = wallNow.tv_sec * 1'000'000'000LL + wallNow.tv_nsec;
    const long long maxAgeNs = static_cast<long long>(options_.backlogSeconds * 1e9);
    for (int i = 0; i < count; ++i) {
        const char* data = buffers_.data() + i * kMaxDatagram;
        const std::string_view datagram(data, in_[i].msg_len);
        bytesIn_ += datagram.size();
        // A datagram that waited in the queue longer than the backlog allows is dropped:
        // relayed that late it would only push every later one further back.
        if (const long long arrived = arrivalNs(in_[i].msg_hdr); arrived > 0 && wallNowNs - arrived > maxAgeNs) {
            ++counters_.staleDropped;
            in_[i].msg_len = 0;
            continue;
        }
        const bool heartbeat = datagram.size() >= 9 && (data[5] == 'b' || data[5] == 'B');
        // Who sent it is checked first: a peer on the LAN costs the hub no parsing.
        if (!isLocalSender(ntohl(senders_[i].sin_addr.s_addr))) {
            if (heartbeat && options_.verbosity >= 2)
                log("heartbeat from " + describeSender(senders_[i]) + ", not read (not a local sender)");
            continue;
        }
        if (isEcho(datagram, senders_[i], now)) {
            in_[i].msg_len = 0; // not relayed
            continue;
        }
        // Heartbeats are rare: a look at the first bytes picks them out.
        if (heartbeat)
            readHeartbeatDatagram(datagram, senders_[i], now);
    }
    relay(count, now);
}

void Hub::relay(int count, Clock::time_point now)
{
    // Every datagram to every live client, in as few calls as the system allows.
    const std::size_t clients = targets_.size();
    std::size_t n = 0;
    for (int i = 0; i < count; ++i) {
        if (in_[i].msg_len == 0)
            continue;
        ++counters_.relayed;
        if (clients == 0)
            continue;
        remember(std::string_view(buffers_.data() + i * kMaxDatagram, in_[i].msg_len), senders_[i], now);
        for (std::size_t c = 0; c < clients; ++c, ++n) {
            outVectors_[n] = iovec{buffers_.data() + i * kMaxDatagram, in_[i].msg_len};
            msghdr& h = out_[n].msg_hdr;
            h = msghdr{};
            h.msg_iov = &outVectors_[n];
            h.msg_iovlen = 1;
            h.msg_name = &targets_[c];
            h.msg_namelen = sizeof targets_[c];
        }
    }
    std::size_t sent = 0;
    int stalls = 0;
    while (sent < n) {
        const unsigned chunk = static_cast<unsigned>(std::min(n - sent, kSendChunk));
        const int done = ::sendmmsg(fd_, out_.data() + sent, chunk, 0);
        if (done > 0) {
            sent += static_cast<std::size_t>(done);
            stalls = 0;
        } else if (errno == EINTR) {
            continue;
        } else if ((errno == EAGAIN || errno == ENOBUFS) && stalls < kSendStalls) {
            // The system is out of buffers: wait a little for room rather than spin.
            ++stalls;
            pollfd p{fd_, POLLOUT, 0};
            ::poll(&p, 1, kSendWaitMs);
        } else {
            // That copy is dropped (counted): a client that cannot be reached, or a
            // system without buffers, must not stop the others.
            if (errno == EAGAIN || errno == ENOBUFS)
                ++counters_.sendsDropped;
            ++sent;
            stalls = 0;
        }
    }
}

} // namespace xaphub
