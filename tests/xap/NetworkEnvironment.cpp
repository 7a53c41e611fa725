#include "NetworkEnvironment.h"

#include "platform/PrivateNetwork.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

namespace testing_support {

namespace {

bool gReady = false;
std::string gProblem;

class PrivateNetworkEnvironment final : public ::testing::Environment {
public:
    void SetUp() override
    {
        // Before Qt starts any thread: a process with threads cannot change its network.
        gReady = platform::enterPrivateNetwork(&gProblem);
        static int argc = 1;
        static char name[] = "tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
    }
};

[[maybe_unused]] ::testing::Environment* const gEnvironment = ::testing::AddGlobalTestEnvironment(new PrivateNetworkEnvironment);

} // namespace

bool privateNetworkReady()
{
    return gReady;
}

const std::string& privateNetworkProblem()
{
    return gProblem;
}

bool processEventsUntil(const std::function<bool()>& done, int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > milliseconds)
            return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::msleep(1);
    }
    return true;
}

void processEventsFor(int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::msleep(1);
    }
}

} // namespace testing_support
