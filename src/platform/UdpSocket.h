// UdpSocket: one IPv4 UDP socket, as the node and the tools use it.
//
// Binding never asks for address reuse, so a port another program holds is refused
// and the caller moves on to the next one. Failures come back as an error number and
// text (the numbers follow the Windows Sockets numbering the program's log texts have
// always carried, e.g. 10048 for an address in use).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

struct SocketError {
    int number = 0; // 0 when there was no failure
    std::string description;
    explicit operator bool() const { return number != 0; }
};

// Where a datagram came from.
struct Endpoint {
    std::uint32_t address = 0; // IPv4 address, host byte order
    std::uint16_t port = 0;
    std::string text() const; // dotted decimal
    bool isLoopback() const { return (address >> 24) == 127; }
};

class UdpSocket {
public:
    // The largest payload one UDP datagram over IPv4 can carry.
    static constexpr std::size_t kMaxDatagram = 65507;

    UdpSocket() = default;
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    // Creates the socket (when not yet open) and binds it to `address`:`port`; an empty
    // address binds to every local address. Port 0 lets the system choose.
    SocketError bind(std::uint16_t port, const std::string& address);
    // Allows sending to broadcast addresses.
    SocketError enableBroadcast();
    // Asks for a receive buffer of at least `bytes` (beyond the system's usual limit
    // when the process may).
    void setReceiveBuffer(int bytes);
    void setSendBuffer(int bytes);
    int receiveBufferSize() const;

    // Sends one datagram; `host` is a dotted IPv4 address or a host name.
    SocketError sendTo(const std::string& host, std::uint16_t port, std::string_view bytes);

    // Reads one waiting datagram whole into `out` without waiting; false when none waits.
    bool receive(std::string& out, Endpoint* from = nullptr);
    // Waits up to `milliseconds` for a datagram to become readable.
    bool waitReadable(int milliseconds) const;

    void close();
    bool isOpen() const { return fd_ >= 0; }
    int descriptor() const { return fd_; }
    // The local port bound (0 when not bound).
    std::uint16_t localPort() const;

private:
    SocketError open();

    int fd_ = -1;
    std::string buffer_;
};

// Reads a dotted IPv4 address; false when the text is not one.
bool parseIPv4(const std::string& text, std::uint32_t& out);
// Resolves a dotted address or host name to an IPv4 address.
SocketError resolveIPv4(const std::string& host, std::uint32_t& out);

} // namespace platform
