// TerminationSignals: turns the requests to stop the program that the system sends
// (a service manager stopping it, Ctrl+C in a terminal, SIGHUP when its terminal
// closes) into one call on the event loop, so shutdown runs as ordinary code and not
// inside a signal handler.
#pragma once

#include <functional>
#include <memory>

namespace platform {

class ReadinessWatcher;

class TerminationSignals {
public:
    explicit TerminationSignals(std::function<void()> onRequest);
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

private:
    std::function<void()> onRequest_;
    std::unique_ptr<ReadinessWatcher> watcher_;
};

} // namespace platform
