#include "ServiceManager.h"

#include <systemd/sd-daemon.h>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <string>

namespace platform {

namespace {

long long monotonicUs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

void send(const std::string& state)
{
    if (serviceManagerListens())
        ::sd_notify(0, state.c_str());
}

// A status goes on one line: a line break would start another assignment.
std::string oneLine(std::string_view text)
{
    std::string line(text.substr(0, 200));
    for (char& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    return line;
}

} // namespace

bool serviceManagerListens()
{
    const char* socket = std::getenv("NOTIFY_SOCKET");
    return socket && *socket;
}

void notifyReady(std::string_view status)
{
    send(status.empty() ? std::string("READY=1") : "READY=1\nSTATUS=" + oneLine(status));
}

void notifyStopping()
{
    send("STOPPING=1");
}

void notifyStatus(std::string_view status)
{
    send("STATUS=" + oneLine(status));
}

std::chrono::microseconds watchdogInterval()
{
    std::uint64_t usec = 0;
    if (::sd_watchdog_enabled(0, &usec) <= 0)
        return std::chrono::microseconds(0);
    return std::chrono::microseconds(static_cast<long long>(usec));
}

WatchdogKeepAlive::WatchdogKeepAlive() : intervalThirdUs_(watchdogInterval().count() / 3) { }

void WatchdogKeepAlive::notify()
{
    // Called from the stall watchdog's thread only, but kept safe for any thread.
    if (intervalThirdUs_ <= 0)
        return;
    const long long now = monotonicUs();
    long long last = lastSentUs_.load();
    if (last != 0 && now - last < intervalThirdUs_)
        return;
    if (!lastSentUs_.compare_exchange_strong(last, now))
        return;
    send("WATCHDOG=1");
}

} // namespace platform
