// ReadinessWatcher: calls back on the event loop whenever a descriptor (a socket, a
// pipe) has data to read.
#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace platform {

class ReadinessWatcher {
public:
    ReadinessWatcher(int descriptor, std::function<void()> onReadable);
    ~ReadinessWatcher();
    ReadinessWatcher(const ReadinessWatcher&) = delete;
    ReadinessWatcher& operator=(const ReadinessWatcher&) = delete;

private:
    std::unique_ptr<QSocketNotifier> notifier_;
    std::function<void()> onReadable_;
};

} // namespace platform
