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

RunResult run(std::list<bench_network::Client>& clients, long rate, int seconds)
{
    for (bench_network::Client& c : clients)
        c.start();
    RunResult result;
    result.sent = bench_network::sendPaced(3639, rate, rate * seconds);
    bench_network::waitUntilQuiet([&] {
        long sum = 0;
        for (const bench_network::Client& c : clients)
            sum += c.count();
        return sum;
    });
    for (bench_network::Client& c : clients)
        result.received += c.finish();
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    bench_network::enterOrExit();
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    bench_network::HubProcess hub(XAPHUB_PATH);

    std::list<bench_network::Client> clients;
    for (int port : {40001, 40002, 40003})
        clients.emplace_back(port);
    for (bench_network::Client& c : clients)
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
