// CWaitNDispatch: waiting on the calling thread while the program's queued work waits.
// Timing checks use generous bounds; the figures themselves are measured in bench/host.
#include "wait/CWaitNDispatch.h"
#include "wait/EventPump.h"
#include "wait/SentWork.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

using services::CWaitNDispatch;
using Clock = std::chrono::steady_clock;

TEST(WaitNDispatch, ZeroOrNegativePeriodsReturnAtOnceWithoutOnTimer)
{
    vb::Ref<CWaitNDispatch> wait = vb::make<CWaitNDispatch>();
    int timers = 0;
    wait->setOnTimer([&] { ++timers; });
    const auto start = Clock::now();
    vb::call(*wait, "Wait", 0);
    vb::call(*wait, "Wait", -1000);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_EQ(timers, 0);
}

TEST(WaitNDispatch, WaitsThePeriodAndRaisesOnTimerOnceWhileStillWaiting)
{
    vb::Ref<CWaitNDispatch> wait = vb::make<CWaitNDispatch>();
    int timers = 0;
    int nestedError = 0;
    wait->setOnTimer([&] {
        ++timers;
        EXPECT_TRUE(vb::getProperty(*wait, "IsWaiting").booleanValue());
        try {
            wait->Wait(10);
        } catch (const vb::Error& e) {
            nestedError = e.number();
            EXPECT_EQ(e.source(), "CWaitNDispatch");
            EXPECT_EQ(e.description(),
                      "This function is not reentrant. If you want to wait for a second period use a new object");
        }
    });
    const auto start = Clock::now();
    wait->Wait(200);
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(195));
    EXPECT_LT(waited, std::chrono::seconds(5));
    EXPECT_EQ(timers, 1);
    EXPECT_EQ(nestedError, -2147220503);
    EXPECT_FALSE(wait->IsWaiting());
    // The object can wait again afterwards.
    wait->setOnTimer(nullptr);
    wait->Wait(1);
}

TEST(WaitNDispatch, CancelFromAnotherThreadEndsTheWait)
{
    vb::Ref<CWaitNDispatch> wait = vb::make<CWaitNDispatch>();
    int timers = 0;
    wait->setOnTimer([&] { ++timers; });
    std::thread canceller([&] {
        while (!wait->IsWaiting())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        vb::call(*wait, "Cancel");
    });
    const auto start = Clock::now();
    wait->Wait(30000);
    canceller.join();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(timers, 1);
    // Cancel while idle does nothing.
    wait->Cancel();
    EXPECT_FALSE(wait->IsWaiting());
}

TEST(WaitNDispatch, QueuedWorkWaitsUntilAfterTheWaitAndWaitEventsRunsIt)
{
    int argc = 1;
    char name[] = "wait_tests";
    char* argv[] = {name};
    QCoreApplication application(argc, argv);
    int ran = 0;
    QTimer::singleShot(0, [&] { ++ran; });
    // This thread receives the work other threads send, as the program's thread does.
    services::SentWork mailbox;
    services::SentWork::Receiving receiving(mailbox);
    vb::Ref<CWaitNDispatch> wait = vb::make<CWaitNDispatch>();
    wait->Wait(50);
    EXPECT_EQ(ran, 0);
    services::processWaitingEvents();
    EXPECT_EQ(ran, 1);

    // Work sent from another thread runs inside a wait, on the waiting thread, in the
    // order it was sent; a sent item that waits itself lets later items run inside it.
    const std::thread::id self = std::this_thread::get_id();
    std::vector<int> order;
    bool onWaitingThread = true;
    std::thread sender([&] {
        while (!wait->IsWaiting())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        mailbox.send([&] {
            order.push_back(1);
            onWaitingThread = onWaitingThread && std::this_thread::get_id() == self;
            vb::make<CWaitNDispatch>()->Wait(300); // a nested wait, as a bus call's WaitSecs
            order.push_back(3);
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        mailbox.send([&] {
            order.push_back(2);
            onWaitingThread = onWaitingThread && std::this_thread::get_id() == self;
        });
    });
    const auto start = Clock::now();
    wait->Wait(150);
    sender.join();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(onWaitingThread);
    // The outer wait ends once the nested one has (it cannot return from under it).
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(300));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
    // Nothing is run twice by the event loop afterwards.
    services::processWaitingEvents();
    EXPECT_EQ(order.size(), 3u);
}

TEST(SentWork, RunsOnTheEventLoopWhenNobodyWaitsAndSurvivesAFailingItem)
{
    int argc = 1;
    char name[] = "sent_work_tests";
    char* argv[] = {name};
    QCoreApplication application(argc, argv);
    services::SentWork mailbox;
    int ran = 0;
    std::thread sender([&] {
        mailbox.send([] { throw vb::Error(vb::err::InvalidProcedureCall); });
        mailbox.send([&] { ++ran; });
    });
    sender.join();
    EXPECT_EQ(ran, 0); // nothing runs on the sender's thread
    services::processWaitingEvents();
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(mailbox.runAll(), 0u);
}

TEST(SentWork, EachMailboxRunsOnlyItsOwnWorkAndOneThatHasGoneRunsNothing)
{
    int argc = 1;
    char name[] = "sent_work_tests";
    char* argv[] = {name};
    QCoreApplication application(argc, argv);
    int lost = 0;
    {
        // Goes with work queued and its run posted to the event loop.
        services::SentWork gone;
        gone.send([&] { ++lost; });
    }
    services::SentWork first;
    services::SentWork second;
    int ranFirst = 0;
    int ranSecond = 0;
    std::thread sender([&] {
        first.send([&] { ++ranFirst; });
        second.send([&] { ++ranSecond; });
    });
    sender.join();

    // A wait on one mailbox runs that mailbox's work only.
    vb::make<CWaitNDispatch>(second)->Wait(20);
    EXPECT_EQ(ranFirst, 0);
    EXPECT_EQ(ranSecond, 1);
    {
        services::SentWork::Receiving receiving(first);
        EXPECT_EQ(services::SentWork::ofThisThread(), &first);
        vb::make<CWaitNDispatch>()->Wait(20);
    }
    EXPECT_EQ(services::SentWork::ofThisThread(), nullptr);
    EXPECT_EQ(ranFirst, 1);
    EXPECT_EQ(ranSecond, 1);

    // The event loop runs nothing twice, and nothing of the mailbox that has gone.
    services::processWaitingEvents();
    EXPECT_EQ(ranFirst, 1);
    EXPECT_EQ(ranSecond, 1);
    EXPECT_EQ(lost, 0);
}
