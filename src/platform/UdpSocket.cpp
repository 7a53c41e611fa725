#include "UdpSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

// The Windows Sockets number of a system error, so log texts keep their meaning.
int socketErrorNumber(int error)
{
    switch (error) {
    case EINTR: return 10004;
    case EACCES: return 10013;
    case EFAULT: return 10014;
    case EINVAL: return 10022;
    case EMFILE: return 10024;
    case EWOULDBLOCK: return 10035;
    case EMSGSIZE: return 10040;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return 10051;
    case ENOBUFS: return 10055;
    case EHOSTUNREACH: return 10065;
    default: return error > 0 ? error : 10000;
    }
}

SocketError lastError()
{
    const int e = errno;
    return SocketError{socketErrorNumber(e), std::strerror(e)};
}

sockaddr_in socketAddress(std::uint32_t address, std::uint16_t port)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = htonl(address);
    return sa;
}

} // namespace

std::string Endpoint::text() const
{
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 255) + "." +
        std::to_string((address >> 8) & 255) + "." + std::to_string(address & 255);
}

bool parseIPv4(const std::string& text, std::uint32_t& out)
{
    in_addr a{};
    if (::inet_pton(AF_INET, text.c_str(), &a) != 1)
        return false;
    out = ntohl(a.s_addr);
    return true;
}

SocketError resolveIPv4(const std::string& host, std::uint32_t& out)
{
    if (parseIPv4(host, out))
        return {};
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    const int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (rc != 0 || !found)
        return SocketError{11001, "Host not found: " + host};
    out = ntohl(reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
    ::freeaddrinfo(found);
    return {};
}

UdpSocket::~UdpSocket()
{
    close();
}

SocketError UdpSocket::open()
{
    if (fd_ >= 0)
        return {};
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        return lastError();
    return {};
}

SocketError UdpSocket::bind(std::uint16_t port, const std::string& address)
{
    std::uint32_t ip = INADDR_ANY;
    if (!address.empty()) {
        if (SocketError e = resolveIPv4(address, ip))
            return e;
    }
    if (SocketError e = open())
        return e;
    const sockaddr_in sa = socketAddress(ip, port);
    if (::bind(fd_, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
        SocketError e = lastError();
        // A socket whose bind failed is dropped so the next attempt starts afresh.
        close();
        return e;
    }
    return {};
}

SocketError UdpSocket::enableBroadcast()
{
    if (SocketError e = open())
        return e;
    const int on = 1;
    if (::setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0)
        return lastError();
    return {};
}

void UdpSocket::setReceiveBuffer(int bytes)
{
    if (open())
        return;
    // The forcing variant passes the system limit when the process is privileged.
    if (::setsockopt(fd_, SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes) != 0)
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
}

void UdpSocket::setSendBuffer(int bytes)
{
    if (open())
        return;
    if (::setsockopt(fd_, SOL_SOCKET, SO_SNDBUFFORCE, &bytes, sizeof bytes) != 0)
        ::setsockopt(fd_, SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes);
}

int UdpSocket::receiveBufferSize() const
{
    int size = 0;
    socklen_t len = sizeof size;
    if (fd_ < 0 || ::getsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &size, &len) != 0)
        return 0;
    return size;
}

SocketError UdpSocket::sendTo(const std::string& host, std::uint16_t port, std::string_view bytes)
{
    std::uint32_t ip = 0;
    if (SocketError e = resolveIPv4(host, ip))
        return e;
    if (SocketError e = open())
        return e;
    const sockaddr_in sa = socketAddress(ip, port);
    while (true) {
        const ssize_t n = ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
        if (n >= 0)
            return {};
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            // The send buffer is full for a moment: wait for room rather than lose the message.
            pollfd p{fd_, POLLOUT, 0};
            if (::poll(&p, 1, 1000) > 0)
                continue;
        }
        return lastError();
    }
}

bool UdpSocket::receive(std::string& out, Endpoint* from)
{
    if (fd_ < 0)
        return false;
    buffer_.resize(kMaxDatagram + 1);
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    ssize_t n;
    do {
        n = ::recvfrom(fd_, buffer_.data(), buffer_.size(), 0, reinterpret_cast<sockaddr*>(&sa), &len);
    } while (n < 0 && errno == EINTR);
    if (n < 0)
        return false;
    out.assign(buffer_.data(), static_cast<std::size_t>(n));
    if (from) {
        from->address = ntohl(sa.sin_addr.s_addr);
        from->port = ntohs(sa.sin_port);
    }
    return true;
}

bool UdpSocket::waitReadable(int milliseconds) const
{
    if (fd_ < 0)
        return false;
    pollfd p{fd_, POLLIN, 0};
    int rc;
    do {
        rc = ::poll(&p, 1, milliseconds);
    } while (rc < 0 && errno == EINTR);
    return rc > 0 && (p.revents & POLLIN);
}

void UdpSocket::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

std::uint16_t UdpSocket::localPort() const
{
    if (fd_ < 0)
        return 0;
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&sa), &len) != 0)
        return 0;
    return ntohs(sa.sin_port);
}

} // namespace platform
