#include "StallWatchdog.h"

#include "EmergencyReport.h"
#include "Timer.h"
#include "service/ServiceManager.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>

namespace platform {

namespace {

// Set from the stop signal's handler, which can reach nothing but a process-wide flag.
std::atomic<bool> gStopRequested{false};

long long monotonicMs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// Well under the shortest stall (one second), so a late tick is never taken for a stall.
constexpr int kBeatMs = 250;
constexpr auto kLookEvery = std::chrono::milliseconds(200);

} // namespace

StallWatchdog::StallWatchdog(Settings settings, std::function<void()> giveUp, const BoundedWorkAllowance* allowance)
    : settings_(settings)
    , giveUp_(giveUp ? std::move(giveUp) : std::function<void()>([] { std::abort(); }))
    , allowance_(allowance)
    , lastBeatMs_(monotonicMs())
    , beatTimer_(std::make_unique<Timer>([this] { beat(); }))
{
    beatTimer_->setInterval(kBeatMs);
    beatTimer_->setEnabled(true);
    thread_ = std::thread([this] { watch(); });
}

StallWatchdog::~StallWatchdog()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void StallWatchdog::beat()
{
    lastBeatMs_.store(monotonicMs());
}

StallWatchdog::BoundedWork::BoundedWork(BoundedWorkAllowance& allowance, int seconds)
    : allowance_(allowance)
    , previousUntilMs_(allowance.untilMs.load())
{
    allowance_.untilMs.store(std::max(previousUntilMs_, monotonicMs() + static_cast<long long>(seconds) * 1000));
}

StallWatchdog::BoundedWork::~BoundedWork()
{
    allowance_.untilMs.store(previousUntilMs_);
}

void StallWatchdog::noteStopRequest()
{
    gStopRequested.store(true);
}

void StallWatchdog::clearStopRequest()
{
    gStopRequested.store(false);
}

void StallWatchdog::watch()
{
    const long long stallMs = static_cast<long long>(settings_.stallSeconds) * 1000;
    const long long giveUpMs = stallMs + static_cast<long long>(settings_.graceSeconds) * 1000;
    bool reported = false;
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, kLookEvery, [this] { return stopping_; })) {
        const long long now = monotonicMs();
        const long long lastBeat = lastBeatMs_.load();
        const long long quietMs = now - lastBeat;
        // Bounded work running now is left its allowance before the stall is counted.
        const long long boundedUntil = allowance_ ? allowance_->untilMs.load() : 0;
        const long long stalledMs = now - std::max(lastBeat, boundedUntil);
        if (stalledMs < stallMs) {
            reported = false;
            // The service manager's watchdog hears from healthy ticks only: a stalled
            // loop falls silent, and the manager restarts the program should this
            // watchdog fail to end it.
            keepAlive_.notify();
            continue;
        }
        if (!reported) {
            reported = true;
            char text[256];
            char* const end = text + sizeof text - 1;
            char* p = appendText(text, end, "event loop stalled for ");
            p = appendNumber(p, end, static_cast<unsigned long>(quietMs / 1000));
            p = appendText(p, end, " s in ");
            p = appendText(p, end, activityForReport());
            *p = '\0';
            writeEmergencyReport(text);
        }
        if (stalledMs >= giveUpMs || gStopRequested.load()) {
            giveUp_();
            return;
        }
    }
}

} // namespace platform
