// CWaitNDispatch: blocks the calling thread for a number of milliseconds or until
// Cancel, then raises OnTimer once.
//
// The program's own queued work (timers, socket notifications, clicks) is not run
// during the wait: it stays in the event queue and is handled after Wait returns.
// Work sent from other threads (SentWork: calls of outside clients) is run during the
// wait, as messages sent to a window are: the work sent to the mailbox given, or else to
// the creating thread's mailbox (none: the wait runs nothing). Cancel may be called from
// any thread; a wait ends as soon as it is.
#pragma once

#include "SentWork.h"

#include "automation/MemberTable.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace services {

class CWaitNDispatch final : public vb::Dispatch<CWaitNDispatch> {
public:
    static const vb::MemberTable<CWaitNDispatch>& members();

    // The error of a second Wait on an object that is still waiting.
    static constexpr std::int32_t kNotReentrant = static_cast<std::int32_t>(0x800403E9u);
    static constexpr const char* kNotReentrantText =
        "This function is not reentrant. If you want to wait for a second period use a new object";

    CWaitNDispatch();
    explicit CWaitNDispatch(SentWork& sentWork);
    ~CWaitNDispatch() override;

    bool IsWaiting() const { return waiting_.load(); }
    // Returns at once for 0 or a negative period (no OnTimer); otherwise waits until the
    // deadline or Cancel and raises OnTimer while still counted as waiting.
    void Wait(std::int32_t waitMilliseconds);
    void Cancel();

    // The OnTimer event: called once at the end of every wait.
    void setOnTimer(std::function<void()> handler) { onTimer_ = std::move(handler); }

private:
    std::unique_ptr<SentWork> own_; // the mailbox of a wait that receives nothing
    SentWork* sentWork_;
    std::atomic<bool> waiting_ = false;
    std::mutex mutex_; // makes the waiting check and its setting one step
    std::atomic<bool> signalled_ = false;
    std::function<void()> onTimer_;
};

} // namespace services
