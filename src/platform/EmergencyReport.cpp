#include "EmergencyReport.h"

#include <atomic>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

// Two prepared framings; the active one is switched atomically so that a report
// never reads one that is being written. Process-wide, as the activity below: the fatal
// signal handler and the stall watchdog's thread write the report from them alone.
struct Framing {
    char logPath[4096];
    char prefix[256];
    char suffix[64];
    char stderrPrefix[64];
};
Framing gFramings[2];
std::atomic<Framing*> gFraming{nullptr};
std::atomic<const char*> gActivity{nullptr};

void copyInto(char* to, std::size_t size, const std::string& from)
{
    const std::size_t n = from.size() < size - 1 ? from.size() : size - 1;
    std::memcpy(to, from.data(), n);
    to[n] = '\0';
}

void writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t w = ::write(fd, data, size);
        if (w <= 0)
            return;
        data += w;
        size -= static_cast<std::size_t>(w);
    }
}

} // namespace

void prepareEmergencyReports(const std::string& logPath, const std::string& prefix, const std::string& suffix,
                             const std::string& stderrPrefix)
{
    Framing* next = gFraming.load() == &gFramings[0] ? &gFramings[1] : &gFramings[0];
    copyInto(next->logPath, sizeof next->logPath, logPath);
    copyInto(next->prefix, sizeof next->prefix, prefix);
    copyInto(next->suffix, sizeof next->suffix, suffix);
    copyInto(next->stderrPrefix, sizeof next->stderrPrefix, stderrPrefix);
    gFraming.store(next);
}

char* appendText(char* out, char* end, const char* text)
{
    while (out < end && text && *text)
        *out++ = *text++;
    return out;
}

char* appendNumber(char* out, char* end, unsigned long value)
{
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    while (n > 0 && out < end)
        *out++ = digits[--n];
    return out;
}

void writeEmergencyReport(const char* text)
{
    const Framing* f = gFraming.load();
    if (!f)
        return;
    char line[1024];
    char* const end = line + sizeof line;
    char* p = appendText(line, end, f->prefix);
    p = appendText(p, end, text);
    p = appendText(p, end, f->suffix);
    const int fd = ::open(f->logPath, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd >= 0) {
        writeAll(fd, line, static_cast<std::size_t>(p - line));
        ::close(fd);
    }
    p = appendText(line, end, f->stderrPrefix);
    p = appendText(p, end - 1, text);
    *p++ = '\n';
    writeAll(STDERR_FILENO, line, static_cast<std::size_t>(p - line));
}

void setActivity(const char* what)
{
    gActivity.store(what);
}

const char* activity()
{
    return gActivity.load();
}

const char* activityForReport()
{
    const char* what = gActivity.load();
    return what ? what : "the program";
}

ActivityScope::ActivityScope(const char* what)
    : previous_(gActivity.exchange(what))
{
}

ActivityScope::~ActivityScope()
{
    gActivity.store(previous_);
}

} // namespace platform
