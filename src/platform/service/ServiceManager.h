// Talks to the service manager that started the program (systemd's notify protocol):
// readiness, stopping and watchdog keep-alives. Every call does nothing when the
// program was not started as a notify service (NOTIFY_SOCKET unset), so the same
// binary runs unchanged from a shell, a desktop session or a test.
#pragma once

#include <atomic>
#include <chrono>
#include <string_view>

namespace platform {

// True when a service manager listens for notifications.
bool serviceManagerListens();

// "READY=1": the program serves (sockets bound, plug-in up). `status` is shown by
// `systemctl status` when not empty.
void notifyReady(std::string_view status = {});
// "STOPPING=1": the program has begun its shutdown.
void notifyStopping();
// "STATUS=...": a one-line state for `systemctl status`.
void notifyStatus(std::string_view status);
// The watchdog interval the service manager asked for (WATCHDOG_USEC for this
// process), zero when none.
std::chrono::microseconds watchdogInterval();

// "WATCHDOG=1": the program is healthy. Its owner (the stall watchdog) may call notify
// on every healthy tick: a keep-alive goes at most once per third of the watchdog
// interval, and never when the service manager asked for none.
class WatchdogKeepAlive {
public:
    WatchdogKeepAlive();
    // Any thread.
    void notify();

private:
    const long long intervalThirdUs_;
    std::atomic<long long> lastSentUs_{0};
};

} // namespace platform
