#include "xap/ProgramState.h"
#include "xap/ReportObservers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

// Waits up to five seconds for `done`.
template <class Done>
bool waitFor(Done done)
{
    for (int i = 0; i < 5000 && !done(); ++i)
        std::this_thread::sleep_for(1ms);
    return done();
}

class ReportObserverTest : public ::testing::Test {
protected:
    // Handed to every call; none is made current.
    xap::ProgramState program_;
};

TEST_F(ReportObserverTest, ObserversAreToldInOrderUntilRemovedAndHandlesStayTheirs)
{
    std::vector<std::string> told;
    const xap::ObserverHandle first = xap::addLogRecordObserver(program_, 
        [&](std::string_view source, std::string_view text) { told.push_back("1 " + std::string(source) + " " + std::string(text)); });
    const xap::ObserverHandle second = xap::addLogRecordObserver(program_, 
        [&](std::string_view, std::string_view text) { told.push_back("2 " + std::string(text)); });
    const xap::ObserverHandle event = xap::addLogEventObserver(program_, 
        [&](std::string_view type, std::string_view text, const vb::Failure& failure) {
            told.push_back("E " + std::string(type) + " " + std::string(text) + " " + std::to_string(failure.number));
        });
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    EXPECT_NE(second, event);

    xap::notifyLogRecord(program_, "Src", "one");
    vb::Failure failure;
    failure.number = 13;
    xap::notifyLogEvent(program_, "Type", "two", failure);
    EXPECT_EQ(told, (std::vector<std::string>{"1 Src one", "2 one", "E Type two 13"}));

    // A record handle given to the event list (and 0, and one already gone) removes nothing.
    told.clear();
    xap::removeLogEventObserver(program_, first);
    xap::removeLogEventObserver(program_, 0);
    xap::removeLogRecordObserver(program_, first);
    xap::removeLogRecordObserver(program_, first);
    EXPECT_EQ(program_.reportObservers.recordObserverCount(), 1u);
    EXPECT_EQ(program_.reportObservers.eventObserverCount(), 1u);
    xap::notifyLogRecord(program_, "Src", "three");
    xap::notifyLogEvent(program_, "Type", "four", vb::Failure{});
    EXPECT_EQ(told, (std::vector<std::string>{"2 three", "E Type four 0"}));

    told.clear();
    xap::removeLogRecordObserver(program_, second);
    xap::removeLogEventObserver(program_, event);
    xap::notifyLogRecord(program_, "Src", "five");
    xap::notifyLogEvent(program_, "Type", "six", vb::Failure{});
    EXPECT_TRUE(told.empty());

    // Handles are not given out again.
    const xap::ObserverHandle again = xap::addLogRecordObserver(program_, [](std::string_view, std::string_view) { });
    EXPECT_NE(again, first);
    EXPECT_NE(again, second);
    EXPECT_NE(again, event);
}

TEST_F(ReportObserverTest, ObserversBelongToTheirProgramAndANestedReportIsNotPassedOn)
{
    int calls = 0;
    xap::addLogRecordObserver(program_, [&](std::string_view, std::string_view) {
        ++calls;
        // Reporting from inside an observer neither comes back nor waits for the lock.
        xap::notifyLogRecord(program_, "Nested", "report");
    });
    xap::notifyLogRecord(program_, "Src", "text");
    EXPECT_EQ(calls, 1);

    // Another program's reports reach only its own observers.
    {
        xap::ProgramState other;
        xap::notifyLogRecord(other, "Src", "elsewhere");
        EXPECT_EQ(other.reportObservers.recordObserverCount(), 0u);
    }
    EXPECT_EQ(calls, 1);
    xap::notifyLogRecord(program_, "Src", "again");
    EXPECT_EQ(calls, 2);
}

// Records written on other threads while an observer is removed: none reaches it once
// removal has returned, and no call of it is still running then. The threads go on
// reporting after the removal without waiting on anything.
TEST_F(ReportObserverTest, RemovalWaitsForCallsUnderWayAndNothingReachesARemovedObserver)
{
    xap::ReportObservers& observers = program_.reportObservers;
    for (int round = 0; round < 20; ++round) {
        std::atomic<bool> removed{false};
        std::atomic<bool> lateCall{false};
        std::atomic<int> calls{0};
        std::atomic<int> events{0};
        const xap::ObserverHandle record = observers.addRecordObserver([&](std::string_view, std::string_view) {
            if (removed.load())
                lateCall = true;
            ++calls;
            std::this_thread::sleep_for(20us); // a call that is often under way at removal
            if (removed.load())
                lateCall = true;
        });
        const xap::ObserverHandle event = observers.addEventObserver(
            [&](std::string_view, std::string_view, const vb::Failure&) {
                if (removed.load())
                    lateCall = true;
                ++events;
            });
        // A second observer stays: the writers keep reaching it.
        std::atomic<int> kept{0};
        const xap::ObserverHandle keeper = observers.addRecordObserver([&](std::string_view, std::string_view) { ++kept; });

        std::atomic<bool> stop{false};
        std::atomic<int> written{0};
        std::vector<std::thread> writers;
        for (int w = 0; w < 2; ++w) {
            writers.emplace_back([&] {
                while (!stop.load()) {
                    observers.notifyRecord("Test", "from another thread");
                    observers.notifyEvent("Test", "event", vb::Failure{});
                    ++written;
                }
            });
        }
        ASSERT_TRUE(waitFor([&] { return calls.load() > 20 && events.load() > 20; }));
        observers.removeRecordObserver(record);
        observers.removeEventObserver(event);
        removed = true;
        const int keptAtRemoval = kept.load();
        const int writtenAtRemoval = written.load();
        ASSERT_TRUE(waitFor([&] { return written.load() > writtenAtRemoval + 50; }));
        stop = true;
        for (std::thread& writer : writers)
            writer.join();
        EXPECT_FALSE(lateCall.load()) << "round " << round;
        EXPECT_GT(kept.load(), keptAtRemoval);
        observers.removeRecordObserver(keeper);
        EXPECT_EQ(observers.recordObserverCount(), 0u);
        EXPECT_EQ(observers.eventObserverCount(), 0u);
    }
}

} // namespace
