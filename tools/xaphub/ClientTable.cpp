#include "ClientTable.h"

#include "base/AsciiText.h"

#include <algorithm>
#include <charconv>

namespace xaphub {

namespace {

using ascii::equalsIgnoreCase;

std::optional<long> number(std::string_view s)
{
    // Digits only (no sign, no blanks), at most nine of them.
    unsigned long value = 0;
    if (s.empty() || s.size() > 9)
        return std::nullopt;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (error != std::errc() || end != s.data() + s.size())
        return std::nullopt;
    return static_cast<long>(value);
}

} // namespace

std::optional<Heartbeat> readHeartbeat(std::string_view datagram)
{
    if (!ascii::startsWithIgnoreCase(datagram, "xap-hbeat"))
        return std::nullopt;
    Heartbeat beat;
    bool badPort = false;
    std::size_t start = 0;
    while (start < datagram.size()) {
        std::size_t end = datagram.find('\n', start);
        if (end == std::string_view::npos)
            end = datagram.size();
        const std::string_view line = datagram.substr(start, end - start);
        start = end + 1;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            continue;
        const std::string_view key = ascii::trimLine(line.substr(0, eq));
        const std::string_view value = ascii::trimLine(line.substr(eq + 1));
        if (equalsIgnoreCase(key, "port")) {
            const auto port = number(value);
            badPort = !port || *port < 1 || *port > 65535;
            beat.port = badPort ? 0 : static_cast<std::uint16_t>(*port);
        } else if (equalsIgnoreCase(key, "interval")) {
            beat.intervalSeconds = static_cast<int>(number(value).value_or(0));
        } else if (equalsIgnoreCase(key, "source")) {
            beat.source = std::string(value);
        } else if (equalsIgnoreCase(key, "class")) {
            // "xap-hbeat.stop" is what some peers send, "xap-hbeat.stopped" the xAP 1.2 form.
            beat.stopping = equalsIgnoreCase(value, "xap-hbeat.stop") || equalsIgnoreCase(value, "xap-hbeat.stopped");
        }
    }
    if (badPort)
        return std::nullopt;
    // A client names its port; a stop may name its source instead, and a hub's own
    // heartbeat names no port at all.
    if (beat.port == 0 && !(beat.stopping && !beat.source.empty()) && !beat.fromHub())
        return std::nullopt;
    return beat;
}

bool Heartbeat::fromHub() const
{
    const std::size_t first = source.find('.');
    if (first == std::string::npos)
        return false;
    const std::size_t second = source.find('.', first + 1);
    std::string_view device(source);
    device = device.substr(first + 1, second == std::string::npos ? std::string_view::npos : second - first - 1);
    return ascii::containsIgnoreCase(device, "hub");
}

bool ClientTable::isReserved(std::uint16_t port) const
{
    const auto& reserved = limits_.reservedPorts;
    return port < kFirstClientPort || std::find(reserved.begin(), reserved.end(), port) != reserved.end();
}

bool ClientTable::reserve(std::uint16_t port, std::vector<Client>& removed)
{
    if (isReserved(port))
        return false;
    if (limits_.reservedPorts.size() < kMaxReservedPorts + 1) // the hub's own plus the others
        limits_.reservedPorts.push_back(port);
    auto on = [&](const Client& c) { return c.port == port; };
    for (const Client& c : clients_)
        if (on(c))
            removed.push_back(c);
    clients_.erase(std::remove_if(clients_.begin(), clients_.end(), on), clients_.end());
    return true;
}

int ClientTable::believedInterval(int announced) const
{
    if (announced <= 0)
        return kDefaultIntervalSeconds;
    return std::min(announced, limits_.maxIntervalSeconds);
}

ClientTable::Heard ClientTable::heard(const Heartbeat& heartbeat, Clock::time_point now)
{
    if (isReserved(heartbeat.port))
        return Heard::Reserved;
    const int interval = believedInterval(heartbeat.intervalSeconds);
    for (Client& c : clients_) {
        if (c.port == heartbeat.port) {
            c.intervalSeconds = interval;
            c.source = heartbeat.source;
            c.lastHeard = now;
            return Heard::Refreshed;
        }
    }
    if (clients_.size() >= limits_.maxClients)
        return Heard::Full;
    clients_.push_back(Client{heartbeat.port, interval, heartbeat.source, now});
    return Heard::Joined;
}

bool ClientTable::restore(const Client& client)
{
    Heartbeat beat{client.port, client.intervalSeconds, client.source, false};
    if (client.port == 0 || heard(beat, client.lastHeard) != Heard::Joined)
        return false;
    return true;
}

std::vector<Client> ClientTable::forget(const Heartbeat& heartbeat, std::uint16_t senderPort)
{
    std::vector<Client> gone;
    auto named = [&](const Client& c) {
        if (c.port == senderPort)
            return heartbeat.port == 0 || heartbeat.port == c.port;
        return heartbeat.port == c.port && equalsIgnoreCase(c.source, heartbeat.source);
    };
    for (const Client& c : clients_)
        if (named(c))
            gone.push_back(c);
    clients_.erase(std::remove_if(clients_.begin(), clients_.end(), named), clients_.end());
    return gone;
}

Clock::time_point ClientTable::dueTime(const Client& client)
{
    return client.lastHeard + std::chrono::seconds(2 * client.intervalSeconds);
}

std::vector<Client> ClientTable::expire(Clock::time_point now)
{
    std::vector<Client> gone;
    auto silent = [&](const Client& c) { return now > dueTime(c); };
    for (const Client& c : clients_)
        if (silent(c))
            gone.push_back(c);
    clients_.erase(std::remove_if(clients_.begin(), clients_.end(), silent), clients_.end());
    return gone;
}

} // namespace xaphub
