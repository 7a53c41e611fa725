// SentWork: work that another thread hands to the program's thread, the way a message
// sent to one of its windows is delivered. It runs when the program's thread is back
// in its event loop, or sooner: a wait that lets sent messages through (CWaitNDispatch,
// so WaitSecs) runs it while it waits.
//
// Items run one at a time, in the order they were sent; an item that waits lets later
// items run inside its wait.
#pragma once

#include <chrono>
#include <functional>

namespace services {

// Any thread: queues `work` for the program's thread.
void sendWork(std::function<void()> work);

// Program thread: runs every queued item (also those queued meanwhile); returns how many.
std::size_t runSentWork();

// Program thread: blocks until `deadline` or until `done()` is true, running sent work
// as it arrives. `done` is read under the queue's lock; whoever makes it true calls
// wakeSentWorkWaiters().
void waitRunningSentWork(std::chrono::steady_clock::time_point deadline, const std::function<bool()>& done);

// Any thread: lets waiting threads look at their `done` again.
void wakeSentWorkWaiters();

} // namespace services
