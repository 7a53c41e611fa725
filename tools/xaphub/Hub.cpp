#include "Hub.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

namespace xaphub {

namespace {

constexpr int kBatch = 64;                    // datagrams per receive call
constexpr std::size_t kMaxDatagram = 65536;   // whole datagrams, whatever their size
constexpr int kSocketBufferBytes = 64 << 20;  // absorbs a burst (about 60,000 small datagrams) while relaying
constexpr int kSendChunk = 1024;              // the system's limit per batched send

std::string dotted(std::uint32_t address)
{
    in_addr a{htonl(address)};
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

void setBuffer(int fd, int forced, int plain, int bytes)
{
    if (::setsockopt(fd, SOL_SOCKET, forced, &bytes, sizeof bytes) != 0)
        ::setsockopt(fd, SOL_SOCKET, plain, &bytes, sizeof bytes);
}

} // namespace

Hub::Hub(HubOptions options) : options_(std::move(options)) { }

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
        error = "cannot bind " + options_.bindAddress + ":" + std::to_string(options_.port) + ": " + std::strerror(errno);
        return false;
    }
    if (options_.verbosity >= 1)
        log("listening on " + options_.bindAddress + ":" + std::to_string(options_.port));
    return true;
}

void Hub::log(const std::string& line) const
{
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
    for (std::uint32_t a : localAddresses_)
        if (a == address)
            return true;
    return false;
}

void Hub::run()
{
    Clock::time_point lastExpiry = Clock::now();
    while (!stopping_) {
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, 500);
        if (ready > 0)
            receiveBatch();
        const Clock::time_point now = Clock::now();
        if (now - lastExpiry >= std::chrono::seconds(1)) {
            lastExpiry = now;
            for (const Client& c : table_.expire(now))
                if (options_.verbosity >= 1)
                    log("client 127.0.0.1:" + std::to_string(c.port) + " left (" + c.source + ", no heartbeat for " +
                        std::to_string(2 * c.intervalSeconds) + " s)");
        }
    }
}

void Hub::receiveBatch()
{
    static std::vector<char> buffers(kBatch * kMaxDatagram);
    mmsghdr messages[kBatch];
    iovec vectors[kBatch];
    sockaddr_in senders[kBatch];
    std::memset(messages, 0, sizeof messages);
    for (int i = 0; i < kBatch; ++i) {
        vectors[i] = iovec{buffers.data() + i * kMaxDatagram, kMaxDatagram};
        messages[i].msg_hdr.msg_iov = &vectors[i];
        messages[i].msg_hdr.msg_iovlen = 1;
        messages[i].msg_hdr.msg_name = &senders[i];
        messages[i].msg_hdr.msg_namelen = sizeof senders[i];
    }
    const int count = ::recvmmsg(fd_, messages, kBatch, MSG_DONTWAIT, nullptr);
    if (count <= 0)
        return;

    const Clock::time_point now = Clock::now();
    for (int i = 0; i < count; ++i) {
        const std::string_view datagram(buffers.data() + i * kMaxDatagram, messages[i].msg_len);
        const std::uint32_t from = ntohl(senders[i].sin_addr.s_addr);
        if (options_.verbosity >= 2)
            log("from " + dotted(from) + ":" + std::to_string(ntohs(senders[i].sin_port)) + ", " +
                std::to_string(datagram.size()) + " bytes");
        if (const auto beat = readHeartbeat(datagram); beat && isLocalSender(from)) {
            if (table_.heard(*beat, now) && options_.verbosity >= 1)
                log("client 127.0.0.1:" + std::to_string(beat->port) + " joined (" + beat->source + ", interval " +
                    std::to_string(beat->intervalSeconds) + " s)");
        }
    }

    // Every datagram to every live client, in as few calls as the system allows.
    const std::vector<Client>& clients = table_.clients();
    if (clients.empty())
        return;
    std::vector<sockaddr_in> targets(clients.size());
    for (std::size_t c = 0; c < clients.size(); ++c) {
        targets[c].sin_family = AF_INET;
        targets[c].sin_port = htons(clients[c].port);
        targets[c].sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    }
    std::vector<mmsghdr> out(static_cast<std::size_t>(count) * clients.size());
    std::vector<iovec> outVectors(out.size());
    std::size_t n = 0;
    for (int i = 0; i < count; ++i) {
        for (std::size_t c = 0; c < clients.size(); ++c, ++n) {
            outVectors[n] = iovec{buffers.data() + i * kMaxDatagram, messages[i].msg_len};
            std::memset(&out[n], 0, sizeof out[n]);
            out[n].msg_hdr.msg_iov = &outVectors[n];
            out[n].msg_hdr.msg_iovlen = 1;
            out[n].msg_hdr.msg_name = &targets[c];
            out[n].msg_hdr.msg_namelen = sizeof targets[c];
        }
    }
    std::size_t sent = 0;
    while (sent < out.size()) {
        const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(out.size() - sent, kSendChunk));
        const int done = ::sendmmsg(fd_, out.data() + sent, chunk, 0);
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
