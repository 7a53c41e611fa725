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

namespace xaphub {

namespace {

constexpr std::size_t kMaxDatagram = 65536;   // whole datagrams, whatever their size
constexpr int kSocketBufferBytes = 64 << 20;  // absorbs a burst (about 60,000 small datagrams) while relaying
constexpr std::size_t kSendChunk = 1024;      // the system's limit per batched send

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
    setBuffer(fd_, SO_RCVBUFFORCE, SO_RCVBUF, kSocketBufferBytes);
    setBuffer(fd_, SO_SNDBUFFORCE, SO_SNDBUF, kSocketBufferBytes);
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
    }

    if (!options_.statePath.empty()) {
        const std::size_t taken = loadClients(options_.statePath, table_, Clock::now(), WallClock::now());
        if (options_.verbosity >= 1 && taken > 0)
            log("took back " + std::to_string(taken) + " client(s) from " + options_.statePath);
        for (const Client& c : table_.clients())
            if (options_.verbosity >= 1)
                log(describe(c) + " joined from the state file, interval " + std::to_string(c.intervalSeconds) + " s");
        tableChanged();
    }
    if (options_.verbosity >= 1)
        log("listening on " + options_.bindAddress + ":" + std::to_string(options_.port));
    return true;
}

void Hub::log(const std::string& line) const
{
    // Under a service manager the journal stamps and names the line itself.
    if (platform::stderrIsJournal()) {
        platform::writeJournal(platform::JournalPriority::Info, line);
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

void Hub::run()
{
    Clock::time_point lastTick = Clock::now();
    Clock::time_point lastAnnounced = lastTick;
    announce(false);
    while (!stopping_) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 500) > 0)
            receiveBatch();
        const Clock::time_point now = Clock::now();
        if (now - lastTick >= std::chrono::seconds(1)) {
            lastTick = now;
            expireClients(now);
            if (stateDirty_)
                saveState();
        }
        if (now - lastAnnounced >= std::chrono::seconds(options_.heartbeatSeconds)) {
            lastAnnounced = now;
            announce(false);
        }
    }
    if (stateDirty_)
        saveState();
    announce(true);
}

void Hub::expireClients(Clock::time_point now)
{
    const std::vector<Client> gone = table_.expire(now);
    for (const Client& c : gone)
        if (options_.verbosity >= 1)
            log(describe(c) + " left (no heartbeat for " + std::to_string(2 * c.intervalSeconds) + " s)");
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
    if (clients.size() < table_.limits().maxClients)
        fullLogged_ = false;
    saveState();
}

void Hub::saveState()
{
    stateDirty_ = false;
    if (!options_.statePath.empty() && !saveClients(options_.statePath, table_, Clock::now(), WallClock::now()))
        log("cannot write the state file " + options_.statePath);
}

void Hub::readHeartbeatDatagram(std::string_view datagram, const sockaddr_in& sender, Clock::time_point now)
{
    const auto beat = readHeartbeat(datagram);
    if (!beat)
        return;
    if (options_.verbosity >= 2) {
        char address[INET_ADDRSTRLEN] = "?";
        ::inet_ntop(AF_INET, &sender.sin_addr, address, sizeof address);
        log(std::string("heartbeat from ") + address + ":" + std::to_string(ntohs(sender.sin_port)) + ", port " +
            std::to_string(beat->port) + ", source " + beat->source);
    }
    if (!isLocalSender(ntohl(sender.sin_addr.s_addr)))
        return;
    if (beat->stopping) {
        const std::vector<Client> gone = table_.forget(*beat);
        for (const Client& c : gone)
            if (options_.verbosity >= 1)
                log(describe(c) + " left (stop heartbeat)");
        if (!gone.empty())
            tableChanged();
        return;
    }
    const Client wanted{beat->port, table_.believedInterval(beat->intervalSeconds), beat->source, now};
    switch (table_.heard(*beat, now)) {
    case ClientTable::Heard::Joined:
        if (options_.verbosity >= 1)
            log(describe(wanted) + " joined, interval " + std::to_string(wanted.intervalSeconds) + " s");
        tableChanged();
        sendTo(wanted.port, heartbeatText(false));
        break;
    case ClientTable::Heard::Refreshed:
        stateDirty_ = true;
        break;
    case ClientTable::Heard::Reserved:
        // Relaying to its own port would make the hub relay to itself forever.
        if (!reservedLogged_)
            log(describe(wanted) + " refused: that is the hub's own port (logged once)");
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

void Hub::receiveBatch()
{
    for (auto& m : in_)
        m.msg_hdr.msg_namelen = sizeof(sockaddr_in);
    const int count = ::recvmmsg(fd_, in_.data(), kBatch, MSG_DONTWAIT, nullptr);
    if (count <= 0)
        return;

    // Heartbeats are rare: a look at the first bytes picks them out.
    const Clock::time_point now = Clock::now();
    for (int i = 0; i < count; ++i) {
        const char* data = buffers_.data() + i * kMaxDatagram;
        if (in_[i].msg_len >= 9 && (data[5] == 'b' || data[5] == 'B'))
            readHeartbeatDatagram(std::string_view(data, in_[i].msg_len), senders_[i], now);
    }
    relay(count);
}

void Hub::relay(int count)
{
    // Every datagram to every live client, in as few calls as the system allows.
    const std::size_t clients = targets_.size();
    if (clients == 0)
        return;
    std::size_t n = 0;
    for (int i = 0; i < count; ++i) {
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
    while (sent < n) {
        const unsigned chunk = static_cast<unsigned>(std::min(n - sent, kSendChunk));
        const int done = ::sendmmsg(fd_, out_.data() + sent, chunk, 0);
        if (done > 0) {
            sent += static_cast<std::size_t>(done);
        } else if (errno == EINTR || errno == EAGAIN || errno == ENOBUFS) {
            continue;
        } else {
            ++sent; // a client that cannot be reached must not stop the others
        }
    }
    relayed_ += static_cast<std::uint64_t>(count);
}

} // namespace xaphub
