// Node inbound: messages sent through the hub as fast as it relays them all reach the
// node's GetMessage. Runs in a private network.
//
//   bench_node_inbound [messages, default 100000] [rate msg/s, default 50000]
#include "BenchNetwork.h"

#include "xap/ProgramState.h"
#include "xap/XapNode.h"

#include <QCoreApplication>
#include <QTimer>

#include <atomic>

namespace {

class Counter final : public vb::Dispatch<Counter> {
public:
    static const vb::MemberTable<Counter>& members()
    {
        static const vb::MemberTable<Counter> table("Counter", {vb::method<&Counter::onMessage>("onMessage")});
        return table;
    }
    void onMessage()
    {
        ++calls;
        for (std::string text = node->GetMessage(); !text.empty(); text = node->GetMessage())
            if (text.find("class=bench.load") != std::string::npos)
                ++received;
    }
    xap::XapNode* node = nullptr;
    long received = 0;
    long calls = 0;
};

} // namespace

int main(int argc, char** argv)
{
    bench_network::enterOrExit();
    const long total = argc > 1 ? std::atol(argv[1]) : 100000;
    const long rate = argc > 2 ? std::atol(argv[2]) : 50000;
    bench_network::HubProcess hub(XAPHUB_PATH);
    QCoreApplication app(argc, argv);

    xap::ProgramState program; // the node's program; its log is flushed when main returns
    vb::Ref<xap::XapNode> node = vb::make<xap::XapNode>(program);
    node->letXapSource("vyn.Audrey.bench");
    node->letXapUID("FF.0097:00");
    node->letBroadcastAddress("127.255.255.255");
    const std::int32_t port = node->Init();
    if (port <= 0) {
        std::fprintf(stderr, "node init failed: %d\n", port);
        return 1;
    }
    vb::Ref<Counter> counter = vb::make<Counter>();
    counter->node = node.get();
    node->RegisterNewMessageCallback(vb::Ref<vb::Object>(counter));
    node->SendHeartbeat(60);

    std::atomic<bool> sent{false};
    using Clock = std::chrono::steady_clock;
    Clock::time_point start;
    std::thread sender([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        platform::UdpSocket socket;
        socket.setSendBuffer(8 << 20);
        start = Clock::now();
        long n = 0;
        while (n < total) {
            const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
            const long due = std::min(total, static_cast<long>(elapsed * static_cast<double>(rate)) + 1);
            while (n < due)
                socket.sendTo("127.0.0.1", 3639, bench_network::benchMessage(n++));
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        sent = true;
    });

    Clock::time_point lastArrival = Clock::now();
    long lastCount = -1;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (counter->received != lastCount) {
            lastCount = counter->received;
            lastArrival = Clock::now();
        }
        if (counter->received >= total || (sent && Clock::now() - lastArrival > std::chrono::seconds(2)))
            app.quit();
    });
    watch.start(20);
    app.exec();
    sender.join();
    const double seconds = std::chrono::duration<double>(lastArrival - start).count();
    std::printf("node inbound: sent %ld at %ld msg/s through the hub; %ld reached GetMessage (%ld lost) in %.2f s "
                "(%.0f msg/s), %ld onMessage calls\n",
                total, rate, counter->received, total - counter->received, seconds,
                static_cast<double>(counter->received) / seconds, counter->calls);
    node->unload();
    return counter->received == total ? 0 : 1;
}
