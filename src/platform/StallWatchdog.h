// StallWatchdog: notices when the event loop stops turning (a plug-in blocking in a
// call) and gets the program out of it.
//
// A timer on the event loop marks a turn four times a second. A thread of its own
// looks at the last mark: once the loop has not turned for `stallSeconds` it writes
// the emergency report "event loop stalled for N s in <activity>"; after a further
// `graceSeconds`, or at once when a stop request (SIGTERM) is pending, it gives up:
// by default it aborts the program, so that a service manager restarts it. The thread
// touches no state of the program: it reads atomics and writes the report with plain
// system calls.
#pragma once

#include "service/ServiceManager.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace platform {

class Timer;

// The end of the allowance of the bounded work running now (0 when none runs): marked by
// the work on the program's thread, read by the stall watchdog's thread. Its owner (the
// program's instance) hands it to both.
struct BoundedWorkAllowance {
    std::atomic<long long> untilMs{0};
};

class StallWatchdog {
public:
    struct Settings {
        int stallSeconds = 30;
        int graceSeconds = 60;
    };
    // `giveUp` runs on the watchdog thread; the default aborts the process. The bounded
    // work marked in `allowance` (when given; it outlives the watchdog) is left its time.
    explicit StallWatchdog(Settings settings, std::function<void()> giveUp = {},
                           const BoundedWorkAllowance* allowance = nullptr);
    ~StallWatchdog();
    StallWatchdog(const StallWatchdog&) = delete;
    StallWatchdog& operator=(const StallWatchdog&) = delete;

    // Marks a turn of the event loop (the watchdog's own timer calls it).
    void beat();

    // Work that bounds its own length (a script under its own time-out) and may keep the
    // loop from turning meanwhile: while one is alive, the stall is counted from the end
    // of its allowance, so the watchdog never ends work that would end by itself.
    class BoundedWork {
    public:
        BoundedWork(BoundedWorkAllowance& allowance, int seconds);
        ~BoundedWork();
        BoundedWork(const BoundedWork&) = delete;
        BoundedWork& operator=(const BoundedWork&) = delete;

    private:
        BoundedWorkAllowance& allowance_;
        long long previousUntilMs_;
    };

    // Notes that the system asked the program to stop (async-signal-safe).
    static void noteStopRequest();
    static void clearStopRequest();

private:
    void watch();

    Settings settings_;
    std::function<void()> giveUp_;
    const BoundedWorkAllowance* allowance_;
    std::atomic<long long> lastBeatMs_;
    WatchdogKeepAlive keepAlive_; // the service manager's watchdog
    std::unique_ptr<Timer> beatTimer_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace platform
