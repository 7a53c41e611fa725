#include "CWaitNDispatch.h"

#include <chrono>

namespace services {

const vb::MemberTable<CWaitNDispatch>& CWaitNDispatch::members()
{
    static const vb::MemberTable<CWaitNDispatch> table("CWaitNDispatch", {
        vb::get<&CWaitNDispatch::IsWaiting>("IsWaiting"),
        vb::method<&CWaitNDispatch::Wait>("Wait"),
        vb::method<&CWaitNDispatch::Cancel>("Cancel"),
    });
    return table;
}

CWaitNDispatch::CWaitNDispatch() : sentWork_(SentWork::ofThisThread())
{
    if (!sentWork_) {
        own_ = std::make_unique<SentWork>();
        sentWork_ = own_.get();
    }
}

CWaitNDispatch::CWaitNDispatch(SentWork& sentWork) : sentWork_(&sentWork) { }

CWaitNDispatch::~CWaitNDispatch()
{
    Cancel();
}

void CWaitNDispatch::Wait(std::int32_t waitMilliseconds)
{
    // A negative period would otherwise be read as an endless wait.
    if (waitMilliseconds <= 0)
        return;
    {
        std::lock_guard lock(mutex_);
        if (waiting_)
            throw vb::Error(kNotReentrant, kNotReentrantText, "CWaitNDispatch");
        waiting_ = true;
        signalled_ = false;
    }

    // Whatever happens from here on (an OnTimer handler may fail), the object is idle again afterwards.
    struct Idle {
        std::atomic<bool>& waiting;
        ~Idle() { waiting = false; }
    } idle{waiting_};

    // A steady clock: changing the system time neither shortens nor stretches the wait.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMilliseconds);
    sentWork_->waitRunning(deadline, [this] { return signalled_.load(); });
    signalled_ = true;
    if (onTimer_)
        onTimer_();
}

void CWaitNDispatch::Cancel()
{
    {
        std::lock_guard lock(mutex_);
        if (!waiting_)
            return;
        signalled_ = true;
    }
    sentWork_->wakeWaiters();
}

} // namespace services
