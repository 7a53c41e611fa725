#include "ClientTable.h"

#include <algorithm>

namespace xaphub {

namespace {

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
        if (c != prefix[i])
            return false;
    }
    return true;
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::optional<long> number(std::string_view s)
{
    if (s.empty() || s.size() > 9)
        return std::nullopt;
    long value = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

std::optional<Heartbeat> readHeartbeat(std::string_view datagram)
{
    if (!startsWithIgnoringCase(datagram, "xap-hbeat"))
        return std::nullopt;
    Heartbeat beat;
    bool havePort = false;
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
        std::string key(trim(line.substr(0, eq)));
        for (char& c : key)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c + ('a' - 'A'));
        const std::string_view value = trim(line.substr(eq + 1));
        if (key == "port") {
            const auto port = number(value);
            if (!port || *port < 1 || *port > 65535)
                return std::nullopt;
            beat.port = static_cast<std::uint16_t>(*port);
            havePort = true;
        } else if (key == "interval") {
            beat.intervalSeconds = static_cast<int>(number(value).value_or(0));
        } else if (key == "source") {
            beat.source = std::string(value);
        }
    }
    if (!havePort)
        return std::nullopt;
    return beat;
}

bool ClientTable::heard(const Heartbeat& heartbeat, Clock::time_point now)
{
    const int interval = heartbeat.intervalSeconds > 0 ? heartbeat.intervalSeconds : kDefaultIntervalSeconds;
    for (Client& c : clients_) {
        if (c.port == heartbeat.port) {
            c.intervalSeconds = interval;
            c.source = heartbeat.source;
            c.lastHeard = now;
            return false;
        }
    }
    clients_.push_back(Client{heartbeat.port, interval, heartbeat.source, now});
    return true;
}

std::vector<Client> ClientTable::expire(Clock::time_point now)
{
    std::vector<Client> gone;
    auto silent = [&](const Client& c) { return now - c.lastHeard > std::chrono::seconds(2 * c.intervalSeconds); };
    for (const Client& c : clients_)
        if (silent(c))
            gone.push_back(c);
    clients_.erase(std::remove_if(clients_.begin(), clients_.end(), silent), clients_.end());
    return gone;
}

} // namespace xaphub
