#include "TerminationSignals.h"

#include "ReadinessWatcher.h"
#include "StallWatchdog.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

// Process-wide: the signal handler can reach nothing else.
int gPipe[2] = {-1, -1};

// A service manager's stop, Ctrl+C, and the hang-up of the terminal the program runs in
// (or a service manager's reload): each ends the program the orderly way.
constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};

void onSignal(int)
{
    // The interrupted code may be about to read errno: the write below must not change it.
    const int savedErrno = errno;
    const char byte = 1;
    // Nothing else is safe here; the event loop picks the byte up. Should the loop be
    // stalled, the stall watchdog sees the request and ends the program instead.
    StallWatchdog::noteStopRequest();
    [[maybe_unused]] const ssize_t n = ::write(gPipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(std::function<void()> onRequest)
    : onRequest_(std::move(onRequest))
{
    if (gPipe[0] < 0 && ::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    watcher_ = std::make_unique<ReadinessWatcher>(gPipe[0], [this] {
        char buffer[64];
        while (::read(gPipe[0], buffer, sizeof buffer) > 0) { }
        if (onRequest_)
            onRequest_();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kStopSignals)
        ::sigaction(signal, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    for (int signal : kStopSignals)
        std::signal(signal, SIG_DFL);
}

} // namespace platform
