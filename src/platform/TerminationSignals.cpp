#include "TerminationSignals.h"

#include "ReadinessWatcher.h"

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

int gPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    // Nothing else is safe here; the event loop picks the byte up.
    [[maybe_unused]] const ssize_t n = ::write(gPipe[1], &byte, 1);
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
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGINT, SIG_DFL);
}

} // namespace platform
