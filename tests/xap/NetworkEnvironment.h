// Test programs that open sockets run in a network of their own (only an active
// loopback interface), entered before the first test, and with a Qt event loop for
// the timers and socket notifications. Tests call requirePrivateNetwork() first; they
// are skipped where the process may not create a network namespace.
#pragma once

#include <functional>
#include <string>

namespace testing_support {

bool privateNetworkReady();
const std::string& privateNetworkProblem();

// Runs the event loop until `done` holds or `milliseconds` have passed; returns `done()`.
bool processEventsUntil(const std::function<bool()>& done, int milliseconds = 3000);
// Runs the event loop for a while.
void processEventsFor(int milliseconds);

} // namespace testing_support

#define REQUIRE_PRIVATE_NETWORK()                                                                         \
    do {                                                                                                  \
        if (!testing_support::privateNetworkReady())                                                      \
            GTEST_SKIP() << "no private network: " << testing_support::privateNetworkProblem();          \
    } while (0)
