// The program's last words and its way out: emergency reports as the log file frames
// its lines, a report on a fatal signal before the signal ends the program, the stall
// watchdog (report, then give up; at once on a stop request), and the instance lock.
#include "platform/EmergencyReport.h"
#include "platform/FatalSignals.h"
#include "platform/InstanceLock.h"
#include "platform/StallWatchdog.h"

#include "support/TempFolder.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using testing_support::TempFolder;

namespace {

// A real segmentation fault (the undefined-behaviour sanitizer would stop it first).
__attribute__((no_sanitize("undefined"))) void writeNowhere()
{
    volatile int* nowhere = nullptr;
    *nowhere = 1;
}

class Safeguards : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::prepareEmergencyReports(dir / "log.txt", "src ", " 0 \r\n", "prog: ");
        platform::StallWatchdog::clearStopRequest();
    }
    std::string log() { return dir.exists("log.txt") ? dir.read("log.txt") : std::string(); }

    // Waits up to `seconds` for `done`, turning the event loop when `turnLoop` says so.
    static bool waitFor(double seconds, const std::function<bool()>& done, bool turnLoop)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < seconds * 1000) {
            if (done())
                return true;
            if (turnLoop)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            std::this_thread::sleep_for(std::chrono::milliseconds(turnLoop ? 5 : 50));
        }
        return done();
    }

    TempFolder dir;
};

} // namespace

TEST_F(Safeguards, AnEmergencyReportIsALogLineAndALineOnStandardError)
{
    platform::writeEmergencyReport("something broke");
    EXPECT_EQ(log(), "src something broke 0 \r\n");
    char text[32];
    char* end = platform::appendNumber(platform::appendText(text, text + sizeof text, "n="), text + sizeof text, 4096);
    EXPECT_EQ(std::string(text, end), "n=4096");
}

TEST_F(Safeguards, AFatalSignalIsReportedWithWhatRanAndStillEndsTheProgram)
{
    for (int signal : {SIGSEGV, SIGABRT, SIGFPE}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            platform::installFatalSignalReports();
            platform::ActivityScope running("AudreyOnXapMessage");
            if (signal == SIGSEGV)
                writeNowhere();
            ::raise(signal);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
        EXPECT_EQ(WTERMSIG(status), signal);
        EXPECT_NE(log().find("src fatal signal " + std::to_string(signal) + " in AudreyOnXapMessage 0 \r\n"), std::string::npos)
            << log();
    }
    // Outside any plug-in call the report names the program.
    EXPECT_STREQ(platform::activityForReport(), "the program");
}

TEST_F(Safeguards, AStalledLoopIsReportedThenGivenUpOn)
{
    std::atomic<bool> gaveUp{false};
    platform::StallWatchdog watchdog({1, 1}, [&] { gaveUp = true; });
    platform::ActivityScope running("InitIO");
    // The loop does not turn: the stall is reported after a second, the watchdog gives
    // up a second later.
    ASSERT_TRUE(waitFor(5, [&] { return log().find("stalled") != std::string::npos; }, false));
    EXPECT_NE(log().find("src event loop stalled for 1 s in InitIO 0 \r\n"), std::string::npos) << log();
    EXPECT_FALSE(gaveUp);
    EXPECT_TRUE(waitFor(5, [&] { return gaveUp.load(); }, false));
}

TEST_F(Safeguards, ATurningLoopIsLeftAlone)
{
    std::atomic<bool> gaveUp{false};
    platform::StallWatchdog watchdog({1, 1}, [&] { gaveUp = true; });
    EXPECT_FALSE(waitFor(3, [&] { return gaveUp.load(); }, true));
    EXPECT_EQ(log(), "");
}

TEST_F(Safeguards, AStopRequestInAStallEndsItWithoutTheGracePeriod)
{
    std::atomic<bool> gaveUp{false};
    platform::StallWatchdog watchdog({1, 600}, [&] { gaveUp = true; });
    platform::StallWatchdog::noteStopRequest();
    EXPECT_TRUE(waitFor(5, [&] { return gaveUp.load(); }, false));
    EXPECT_NE(log().find("event loop stalled for 1 s in the program"), std::string::npos) << log();
    platform::StallWatchdog::clearStopRequest();
}

TEST_F(Safeguards, OneInstanceLockPerFileUntilItIsLetGo)
{
    bool busy = false;
    std::string error;
    auto first = platform::InstanceLock::acquire(dir / "tallis.lock", busy, error);
    ASSERT_TRUE(first) << error;
    EXPECT_FALSE(busy);
    EXPECT_FALSE(platform::InstanceLock::acquire(dir / "tallis.lock", busy, error));
    EXPECT_TRUE(busy);
    // Another process is refused as well.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        bool childBusy = false;
        std::string childError;
        const bool got = platform::InstanceLock::acquire(dir / "tallis.lock", childBusy, childError) != nullptr;
        ::_exit(!got && childBusy ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    first.reset();
    EXPECT_TRUE(platform::InstanceLock::acquire(dir / "tallis.lock", busy, error));
    // A folder that cannot hold the file is an error, not "busy".
    EXPECT_FALSE(platform::InstanceLock::acquire(dir / "missing/tallis.lock", busy, error));
    EXPECT_FALSE(busy);
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

TEST_F(Safeguards, WorkThatEndsItselfIsLeftItsTime)
{
    std::atomic<bool> gaveUp{false};
    platform::BoundedWorkAllowance allowance;
    platform::StallWatchdog watchdog({1, 1}, [&] { gaveUp = true; }, &allowance);
    {
        // A script under a 1 s time-out keeps the loop away. Without the allowance the
        // stall would be reported after 1 s; with it, the first report comes only once
        // the allowance is over and the stall has lasted 1 s beyond it.
        platform::StallWatchdog::BoundedWork script(allowance, 1);
        QElapsedTimer clock;
        clock.start();
        ASSERT_TRUE(waitFor(5, [&] { return log().find("event loop stalled for ") != std::string::npos; }, false));
        EXPECT_GE(clock.elapsed(), 1900);
    }
    // Past its allowance the count starts again from the last turn of the loop, which
    // is more than stall and grace ago: the watchdog gives up at once.
    EXPECT_TRUE(waitFor(1, [&] { return gaveUp.load(); }, false));
}
