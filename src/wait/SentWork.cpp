#include "SentWork.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <condition_variable>
#include <deque>
#include <mutex>

namespace services {

namespace {

struct Mailbox {
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<std::function<void()>> queue;
    bool drainPosted = false; // a runSentWork is queued in the event loop
};

Mailbox& mailbox()
{
    static Mailbox box;
    return box;
}

void runOne(std::function<void()>& work)
{
    // An item reports its own failures; one that throws must not end the others.
    try {
        work();
    } catch (...) {
    }
}

} // namespace

void sendWork(std::function<void()> work)
{
    Mailbox& box = mailbox();
    bool post = false;
    {
        std::lock_guard lock(box.mutex);
        box.queue.push_back(std::move(work));
        post = !box.drainPosted;
        box.drainPosted = true;
    }
    box.arrived.notify_all();
    if (post) {
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, [] { runSentWork(); }, Qt::QueuedConnection);
    }
}

std::size_t runSentWork()
{
    Mailbox& box = mailbox();
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

void waitRunningSentWork(std::chrono::steady_clock::time_point deadline, const std::function<bool()>& done)
{
    Mailbox& box = mailbox();
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

void wakeSentWorkWaiters()
{
    Mailbox& box = mailbox();
    { std::lock_guard lock(box.mutex); }
    box.arrived.notify_all();
}

} // namespace services
