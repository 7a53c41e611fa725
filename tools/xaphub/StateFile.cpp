#include "StateFile.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace xaphub {

namespace {

constexpr const char* kFirstLine = "xaphub clients 1";
constexpr std::size_t kMaxLine = 1024; // a port, two numbers and a source

} // namespace

bool saveClients(const std::string& path, const ClientTable& table, Clock::time_point now, WallClock::time_point wallNow)
{
    const std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        if (!out)
            return false;
        out << kFirstLine << '\n';
        for (const Client& c : table.clients()) {
            const auto left = std::chrono::duration_cast<std::chrono::seconds>(ClientTable::dueTime(c) - now);
            const auto expiry = std::chrono::duration_cast<std::chrono::seconds>(wallNow.time_since_epoch()) + left;
            out << c.port << ' ' << c.intervalSeconds << ' ' << expiry.count() << ' ' << c.source << '\n';
        }
        out.flush();
        if (!out)
            return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

std::size_t loadClients(const std::string& path, ClientTable& table, Clock::time_point now, WallClock::time_point wallNow)
{
    std::ifstream in(path);
    std::string line;
    if (!in || !std::getline(in, line) || line != kFirstLine)
        return 0;
    const long long wallSeconds = std::chrono::duration_cast<std::chrono::seconds>(wallNow.time_since_epoch()).count();
    std::size_t taken = 0;
    while (std::getline(in, line)) {
        if (line.size() > kMaxLine)
            continue;
        std::istringstream fields(line);
        long port = 0, interval = 0;
        long long expiry = 0;
        if (!(fields >> port >> interval >> expiry) || port < 1 || port > 65535 || interval < 1)
            continue;
        const long long left = expiry - wallSeconds;
        if (left <= 0)
            continue; // its time has passed
        std::string source;
        fields.get(); // the separating blank
        std::getline(fields, source);
        Client c;
        c.port = static_cast<std::uint16_t>(port);
        c.intervalSeconds = table.believedInterval(static_cast<int>(std::min<long>(interval, 1L << 30)));
        c.source = source;
        // The client falls silent when the file said, but never later than a fresh
        // heartbeat now would allow.
        const long long due = std::min<long long>(left, 2LL * c.intervalSeconds);
        c.lastHeard = now + std::chrono::seconds(due) - std::chrono::seconds(2 * c.intervalSeconds);
        if (table.restore(c))
            ++taken;
    }
    return taken;
}

} // namespace xaphub
