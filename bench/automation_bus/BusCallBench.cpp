// Member calls over the automation bus against the bus's own round trip: 10,000
// SetDeviceStatus calls on /org/tallis/Application and 10,000
// org.freedesktop.DBus.Peer.Ping calls on the same connection, one after another
// (each waits for its reply). Prints both rates and the ratio; the target is a member
// call costing at most twice a ping.
//
// Run it through run_bus_bench.sh, which starts a private bus and tallis in a private
// network namespace. Usage: bench_bus_calls BUS_ADDRESS [CALLS]
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* kService = "org.tallis.Tallis";
constexpr const char* kPath = "/org/tallis/Application";

using Clock = std::chrono::steady_clock;

bool callOnce(QDBusConnection& bus, const QDBusMessage& message)
{
    const QDBusMessage reply = bus.call(message, QDBus::Block);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        std::fprintf(stderr, "bench_bus_calls: %s: %s\n", qPrintable(reply.errorName()), qPrintable(reply.errorMessage()));
        return false;
    }
    return true;
}

// Calls per second of `make(i)` for i in [0, calls).
template <class Make>
double rate(QDBusConnection& bus, int calls, Make make)
{
    const auto start = Clock::now();
    for (int i = 0; i < calls; ++i)
        if (!callOnce(bus, make(i)))
            std::exit(1);
    const std::chrono::duration<double> took = Clock::now() - start;
    return calls / took.count();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_bus_calls BUS_ADDRESS [CALLS]\n");
        return 2;
    }
    const int calls = argc > 2 ? std::atoi(argv[2]) : 10000;
    QDBusConnection bus = QDBusConnection::connectToBus(QString::fromLocal8Bit(argv[1]), QStringLiteral("bench"));
    if (!bus.isConnected()) {
        std::fprintf(stderr, "bench_bus_calls: cannot connect to %s\n", argv[1]);
        return 1;
    }
    auto ping = [](int) {
        return QDBusMessage::createMethodCall(kService, kPath, QStringLiteral("org.freedesktop.DBus.Peer"),
                                              QStringLiteral("Ping"));
    };
    auto setStatus = [](int i) {
        QDBusMessage m = QDBusMessage::createMethodCall(kService, kPath, QStringLiteral("org.tallis.Application"),
                                                        QStringLiteral("SetDeviceStatus"));
        // Alternating on and off, so that every call changes the status and notifies.
        m << QStringLiteral("A1") << QVariant::fromValue(static_cast<short>(i % 2 ? 3 : 2));
        return m;
    };
    rate(bus, 200, ping); // warm-up: connection, name lookup, first call paths
    rate(bus, 200, setStatus);
    const double pings = rate(bus, calls, ping);
    const double members = rate(bus, calls, setStatus);
    const double pingsAgain = rate(bus, calls, ping);
    const double pingRate = (pings + pingsAgain) / 2;
    std::printf("Peer.Ping:        %9.0f calls/s (%.1f us each)\n", pingRate, 1e6 / pingRate);
    std::printf("SetDeviceStatus:  %9.0f calls/s (%.1f us each)\n", members, 1e6 / members);
    std::printf("member call / ping: %.2f (target at most 2.00)\n", pingRate / members);
    return 0;
}
