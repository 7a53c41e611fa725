// The bus service as an object of its program: it holds the name while it lives, leaves
// the bus and its observers when it goes, and log records written on another thread
// while it stops or after it has gone reach nothing that has gone.
#include "shell/AutomationService.h"
#include "shell/ShellState.h"

#include "host/HostRegistry.h"
#include "services/ServicesState.h"

#include "xap/ProgramState.h"
#include "wait/SentWork.h"
#include "xap/ReportObservers.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

constexpr const char* kName = "org.tallis.Tallis";

// Polls `done` for up to five seconds.
template <typename Done>
bool waitFor(Done done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > 5000)
            return false;
        QThread::msleep(10);
    }
    return true;
}

class BusService : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        const QString socket = dir_.path() + "/bus";
        address_ = "unix:path=" + socket;
        daemon_.start("dbus-daemon", {"--session", "--address=" + address_, "--nofork", "--nopidfile"});
        ASSERT_TRUE(daemon_.waitForStarted()) << "dbus-daemon is not installed (scripts/install-deps.sh)";
        ASSERT_TRUE(waitFor([&] { return QFileInfo(socket).exists(); })) << "the private bus did not start";
        qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8());
        qunsetenv("TALLIS_BUS");
        ASSERT_TRUE(QDir(dir_.path()).mkpath("Data"));
        state_.baseFolder = dir_.path().toStdString();
    }

    void TearDown() override
    {
        QDBusConnection::disconnectFromBus("observer");
        daemon_.terminate();
        daemon_.waitForFinished();
    }

    bool nameOnBus()
    {
        QDBusConnection client = QDBusConnection::connectToBus(address_, "observer");
        return client.isConnected() && client.interface()->isServiceRegistered(kName).value();
    }

    int argc_ = 1;
    char name_[6] = "tests";
    char* argv_[1] = {name_};
    QCoreApplication app_{argc_, argv_};
    QTemporaryDir dir_;
    QString address_;
    QProcess daemon_;
    xap::ProgramState state_;
    host::HostRegistry hostRegistry_;
    services::ServicesState services_{state_, hostRegistry_};
    shell::ShellState shell_{services_};
    services::SentWork sentWork_;
};

TEST_F(BusService, ServesWhileItLivesAndLeavesTheBusAndItsObserversWhenItGoes)
{
    {
        shell::AutomationService service(state_, shell_, sentWork_);
        service.start();
        ASSERT_TRUE(nameOnBus());
        EXPECT_TRUE(bool(shell_.inboundObserver));
        EXPECT_EQ(state_.reportObservers.recordObserverCount(), 1u);
        service.start(); // a second start while it serves adds nothing
        EXPECT_EQ(state_.reportObservers.recordObserverCount(), 1u);

        // Records written on another thread go out as signals while the service stops.
        std::atomic<bool> stop{false};
        std::atomic<int> written{0};
        std::thread writer([&] {
            while (!stop.load()) {
                xap::notifyLogRecord(state_, "Test", "a record from another thread");
                ++written;
            }
        });
        ASSERT_TRUE(waitFor([&] { return written.load() > 100; }));
        service.stop();
        // Both log observers are out of the program state.
        EXPECT_EQ(state_.reportObservers.recordObserverCount(), 0u);
        EXPECT_EQ(state_.reportObservers.eventObserverCount(), 0u);
        const int atStop = written.load();
        ASSERT_TRUE(waitFor([&] { return written.load() > atStop + 100; }));
        stop = true;
        writer.join();
        EXPECT_FALSE(bool(shell_.inboundObserver));
    }
    EXPECT_TRUE(waitFor([&] { return !nameOnBus(); }));
    // Nothing is left to reach the service that has gone.
    xap::notifyLogRecord(state_, "Test", "after the service has gone");

    // A new service of the same program serves again.
    shell::AutomationService again(state_, shell_, sentWork_);
    again.start();
    EXPECT_TRUE(nameOnBus());
    EXPECT_EQ(state_.reportObservers.recordObserverCount(), 1u);
    EXPECT_EQ(state_.reportObservers.eventObserverCount(), 1u);
}

TEST_F(BusService, OffOrWithoutABusItStaysOffAndTheProgramRunsOn)
{
    qputenv("TALLIS_BUS", "off");
    {
        shell::AutomationService service(state_, shell_, sentWork_);
        service.start();
        EXPECT_FALSE(nameOnBus());
        EXPECT_FALSE(bool(shell_.inboundObserver));
    }
    qunsetenv("TALLIS_BUS");
    qputenv("DBUS_SESSION_BUS_ADDRESS", QByteArray("unix:path=") + dir_.path().toUtf8() + "/no-bus");
    shell::AutomationService service(state_, shell_, sentWork_);
    service.start();
    EXPECT_FALSE(bool(shell_.inboundObserver));
    EXPECT_EQ(state_.reportObservers.recordObserverCount(), 0u);
}

} // namespace
