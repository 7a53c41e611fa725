#include "StateFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <fstream>
#include <sstream>

namespace xaphub {

namespace {

constexpr const char* kFirstLine = "xaphub clients 1";
constexpr std::size_t kMaxLine = 1024; // a port, two numbers and a source

} // namespace

bool saveClients(const std::string& path, const ClientTable& table, Clock::time_point now, WallClock::time_point wallNow)
{
    std::string text = std::string(kFirstLine) + "\n";
    for (const Client& c : table.clients()) {
        const auto left = std::chrono::duration_cast<std::chrono::seconds>(ClientTable::dueTime(c) - now);
        const auto expiry = std::chrono::duration_cast<std::chrono::seconds>(wallNow.time_since_epoch()) + left;
        text += std::to_string(c.port) + ' ' + std::to_string(c.intervalSeconds) + ' ' + std::to_string(expiry.count()) +
            ' ' + c.source + '\n';
    }
    // The temporary file is made afresh and never through a link: in a shared folder
    // a link planted at its name would otherwise have a hub run as root overwrite the
    // link's target. A stale one (a link included) is removed, not followed.
    const std::string temporary = path + ".new";
    if (::unlink(temporary.c_str()) != 0 && errno != ENOENT)
        return false;
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::close(fd);
            ::unlink(temporary.c_str());
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0 || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    // The rename itself survives a power cut once the folder is on disk.
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
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
