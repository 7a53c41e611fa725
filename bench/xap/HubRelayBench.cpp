// Hub relay: the highest rate the hub relays to three clients for a whole run with no
// message lost, and the loss at twice that rate. Runs in a private network.
//
//   bench_hub_relay [seconds per run, default 10]
#include "BenchNetwork.h"

#include <atomic>
#include <fstream>
#include <list>
#include <map>
#include <sstream>

namespace {

using Clock = std::chrono::steady_clock;

struct RunResult {
    long sent = 0;
    long received = 0; // over the three clients
};

class Client {
public:
    explicit Client(int port) : port_(port)
    {
        socket_.bind(static_cast<std::uint16_t>(port), "127.0.0.1");
        socket_.setReceiveBuffer(32 << 20);
    }
    void registerWithHub()
    {
        socket_.sendTo("127.0.0.1", 3639, bench_network::heartbeat("bench.client." + std::to_string(port_), port_));
    }
    void start()
    {
        stop_ = false;
        count_ = 0;
        thread_ = std::thread([this] {
            std::string text;
            while (!stop_) {
                if (!socket_.waitReadable(50))
                    continue;
                while (socket_.receive(text))
                    if (text.compare(0, 10, "xap-header") == 0)
                        ++count_;
            }
        });
    }
    long count() const { return count_; }
    long finish()
    {
        stop_ = true;
        thread_.join();
        return count_;
    }

private:
    int port_;
    platform::UdpSocket socket_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<long> count_{0};
};

// Datagrams each local UDP port has dropped for want of buffer room, from /proc/net/udp.
std::map<int, long> dropsByPort()
{
    std::map<int, long> drops;
    std::ifstream in("/proc/net/udp");
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string slot, local, field;
        fields >> slot >> local;
        std::string last;
        while (fields >> field)
            last = field;
        drops[std::stoi(local.substr(local.find(':') + 1), nullptr, 16)] += std::atol(last.c_str());
    }
    return drops;
}

std::string dropReport()
{
    std::string out;
    for (const auto& [port, count] : dropsByPort())
        if (count)
            out += " port " + std::to_string(port) + " dropped " + std::to_string(count) + ";";
    return out.empty() ? " no socket dropped anything" : out;
}

RunResult run(std::list<Client>& clients, long rate, int seconds)
{
    for (Client& c : clients)
        c.start();
    platform::UdpSocket sender;
    sender.setSendBuffer(8 << 20);
    RunResult result;
    const Clock::time_point start = Clock::now();
    const long total = rate * seconds;
    // Paced in 1 ms steps: each step sends what the rate allows up to that moment.
    while (result.sent < total) {
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        const long due = std::min(total, static_cast<long>(elapsed * static_cast<double>(rate)) + 1);
        while (result.sent < due)
            sender.sendTo("127.0.0.1", 3639, bench_network::benchMessage(result.sent++));
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    // Whatever is still in the buffers counts once it arrives: wait until nothing more comes.
    auto delivered = [&] {
        long sum = 0;
        for (const Client& c : clients)
            sum += c.count();
        return sum;
    };
    long last = -1;
    for (int quiet = 0; quiet < 5;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const long now = delivered();
        quiet = now == last ? quiet + 1 : 0;
        last = now;
    }
    for (Client& c : clients)
        result.received += c.finish();
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    bench_network::enterOrExit();
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    bench_network::HubProcess hub(XAPHUB_PATH);

    std::list<Client> clients;
    for (int port : {40001, 40002, 40003})
        clients.emplace_back(port);
    for (Client& c : clients)
        c.registerWithHub();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));

    std::printf("hub relay to 3 clients, %d s per run, ~250-byte messages\n", seconds);
    long best = 0;
    for (long rate : {25000L, 50000L, 75000L, 100000L, 150000L, 200000L}) {
        const RunResult r = run(clients, rate, seconds);
        const long lost = r.sent * 3 - r.received;
        std::printf("  %7ld msg/s: sent %ld, delivered %ld of %ld, lost %ld (%.3f%%); so far:%s\n", rate, r.sent, r.received,
                    r.sent * 3, lost, 100.0 * static_cast<double>(lost) / static_cast<double>(r.sent * 3), dropReport().c_str());
        std::fflush(stdout);
        if (lost != 0)
            break;
        best = rate;
    }
    std::printf("highest rate with zero loss: %ld msg/s\n", best);
    if (best > 0) {
        const RunResult r = run(clients, best * 2, seconds);
        const long lost = r.sent * 3 - r.received;
        std::printf("at twice that (%ld msg/s): lost %ld of %ld (%.3f%%)\n", best * 2, lost, r.sent * 3,
                    100.0 * static_cast<double>(lost) / static_cast<double>(r.sent * 3));
    }
    return 0;
}
