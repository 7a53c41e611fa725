#include "SentWork.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <condition_variable>
#include <deque>
#include <mutex>

namespace services {

struct SentWork::Mailbox {
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<std::function<void()>> queue;
    bool drainPosted = false; // a runAll is queued in the event loop
};

namespace {

// The receiving thread's mailbox: a thread receives for one owner at a time.
thread_local SentWork* tReceiving = nullptr;

void runOne(std::function<void()>& work)
{
    // An item reports its own failures; one that throws must not end the others.
    try {
        work();
    } catch (...) {
    }
}

} // namespace

SentWork::SentWork() : box_(std::make_shared<Mailbox>()) { }

SentWork::~SentWork() = default;

void SentWork::send(std::function<void()> work)
{
    Mailbox& box = *box_;
    bool post = false;
    {
        std::lock_guard lock(box.mutex);
        box.queue.push_back(std::move(work));
        post = !box.drainPosted;
        box.drainPosted = true;
    }
    box.arrived.notify_all();
    if (post) {
        if (QCoreApplication* app = QCoreApplication::instance()) {
            std::weak_ptr<Mailbox> weak = box_;
            QMetaObject::invokeMethod(
                app,
                [this, weak] {
                    if (const std::shared_ptr<Mailbox> alive = weak.lock())
                        runAll();
                },
                Qt::QueuedConnection);
        }
    }
}

std::size_t SentWork::runAll()
{
    Mailbox& box = *box_;
    std::size_t ran = 0;
    std::unique_lock lock(box.mutex);
    box.drainPosted = false;
    while (!box.queue.empty()) {
        std::function<void()> work = std::move(box.queue.front());
        box.queue.pop_front();
        lock.unlock();
        runOne(work);
        ++ran;
        lock.lock();
    }
    return ran;
}

void SentWork::waitRunning(std::chrono::steady_clock::time_point deadline, const std::function<bool()>& done)
{
    Mailbox& box = *box_;
    std::unique_lock lock(box.mutex);
    while (!done()) {
        if (!box.queue.empty()) {
            std::function<void()> work = std::move(box.queue.front());
            box.queue.pop_front();
            lock.unlock();
            runOne(work);
            lock.lock();
            continue;
        }
        if (box.arrived.wait_until(lock, deadline) == std::cv_status::timeout)
            return;
    }
}

void SentWork::wakeWaiters()
{
    Mailbox& box = *box_;
    { std::lock_guard lock(box.mutex); }
    box.arrived.notify_all();
}

SentWork* SentWork::ofThisThread()
{
    return tReceiving;
}

SentWork::Receiving::Receiving(SentWork& work) : previous_(tReceiving)
{
    tReceiving = &work;
}

SentWork::Receiving::~Receiving()
{
    tReceiving = previous_;
}

} // namespace services
