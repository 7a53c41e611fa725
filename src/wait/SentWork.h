// SentWork: work that other threads hand to the program's thread, the way a message
// sent to one of its windows is delivered. It runs when the program's thread is back
// in its event loop, or sooner: a wait that lets sent messages through (CWaitNDispatch,
// so WaitSecs) runs it while it waits.
//
// Items run one at a time, in the order they were sent; an item that waits lets later
// items run inside its wait.
//
// Its owner (the program's instance) hands a reference to the senders, and makes it the
// mailbox of the thread that receives (Receiving), where the waits find it.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>

namespace services {

class SentWork {
public:
    SentWork();
    ~SentWork();
    SentWork(const SentWork&) = delete;
    SentWork& operator=(const SentWork&) = delete;

    // Any thread: queues `work` for the receiving thread.
    void send(std::function<void()> work);

    // Receiving thread: runs every queued item (also those queued meanwhile); returns how many.
    std::size_t runAll();

    // Receiving thread: blocks until `deadline` or until `done()` is true, running sent
    // work as it arrives. `done` is read under the queue's lock; whoever makes it true
    // calls wakeWaiters().
    void waitRunning(std::chrono::steady_clock::time_point deadline, const std::function<bool()>& done);

    // Any thread: lets waiting threads look at their `done` again.
    void wakeWaiters();

    // The mailbox of the calling thread while one is made so (null otherwise).
    static SentWork* ofThisThread();

    // Makes `work` the calling thread's mailbox for its lifetime, then the previous one again.
    class Receiving {
    public:
        explicit Receiving(SentWork& work);
        ~Receiving();
        Receiving(const Receiving&) = delete;
        Receiving& operator=(const Receiving&) = delete;

    private:
        SentWork* previous_;
    };

private:
    struct Mailbox;
    // Shared with the event loop's queued drain, which finds nothing once this has gone.
    std::shared_ptr<Mailbox> box_;
};

} // namespace services
