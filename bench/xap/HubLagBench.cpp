// How late the hub answers under load: the longest time a registered client waited
// for a datagram sent to the hub, in two runs.
//
// - flood: 256 registered clients (255 of them never read), 20,000 messages a second
//   for 5 s; a probe client receives a time-stamped probe every 20 ms throughout and
//   for 3 s after.
// - churn: 1,000 local clients joining and leaving (alive and stop heartbeats from
//   their own ports) as fast as they can for 5 s, the probe client as above.
//
// The hub runs as a separate process with a state file, at its default log level
// (its output discarded). Target: under 2 s in both runs. Runs in a private network.
//
//   bench_hub_lag [path of xaphub, default the built one]
#include "BenchNetwork.h"

#include <atomic>
#include <list>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kProbePort = 40999;

// The hub with a state file in a folder of its own, removed after the hub has ended.
class Hub {
public:
    Hub(const char* path, const std::vector<std::string>& extra) : process_(path, args(extra), true) { }

private:
    struct Folder {
        Folder()
        {
            char name[] = "/tmp/bench-hub-lag-XXXXXX";
            path = ::mkdtemp(name);
        }
        ~Folder() { std::system(("rm -rf '" + path + "'").c_str()); }
        std::string path;
    };
    std::vector<std::string> args(const std::vector<std::string>& extra) const
    {
        std::vector<std::string> all{"--state", folder_.path + "/hub.clients"};
        all.insert(all.end(), extra.begin(), extra.end());
        return all;
    }
    Folder folder_; // declared first: outlives the hub process
    bench_network::HubProcess process_;
};

long long nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

// Sends a probe every 20 ms until stopped; the probe client notes the longest delay.
class Probe {
public:
    Probe()
    {
        client_.bind(kProbePort, "127.0.0.1");
        client_.setReceiveBuffer(4 << 20);
        client_.sendTo("127.0.0.1", 3639, bench_network::heartbeat("bench.probe.client", kProbePort));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        while (client_.waitReadable(0)) {
            std::string text;
            client_.receive(text);
        }
    }
    void start()
    {
        receiver_ = std::thread([this] {
            std::string text;
            while (!done_) {
                if (!client_.waitReadable(20))
                    continue;
                while (client_.receive(text)) {
                    const std::size_t at = text.find("\nprobe=");
                    if (at == std::string::npos)
                        continue;
                    const long long sent = std::atoll(text.c_str() + at + 7);
                    const long long waited = nowNs() - sent;
                    if (waited > longest_)
                        longest_ = waited;
                    ++received_;
                }
            }
        });
        sender_ = std::thread([this] {
            platform::UdpSocket out;
            while (!stop_) {
                out.sendTo("127.0.0.1", 3639,
                           "xap-header\n{\nv=13\nhop=1\nuid=FF.0099:00\nclass=bench.probe\nsource=bench.probe.sender\n}\n"
                           "bench.probe\n{\nprobe=" + std::to_string(nowNs()) + "\n}\n");
                ++sent_;
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
    }
    void finish(int drainSeconds)
    {
        stop_ = true;
        sender_.join();
        // Late probes still count: wait until none has come for the drain time.
        long last = -1;
        auto quietSince = Clock::now();
        while (Clock::now() - quietSince < std::chrono::seconds(drainSeconds)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (received_ != last) {
                last = received_;
                quietSince = Clock::now();
            }
        }
        done_ = true;
        receiver_.join();
    }
    void print(const char* run) const
    {
        std::printf("%-6s longest time a registered client waited for a datagram: %.3f s "
                    "(%ld of %ld probes arrived)\n",
                    run, static_cast<double>(longest_) * 1e-9, received_.load(), sent_.load());
        std::fflush(stdout);
    }

private:
    platform::UdpSocket client_;
    std::thread sender_;
    std::thread receiver_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> done_{false};
    std::atomic<long long> longest_{0};
    std::atomic<long> received_{0};
    std::atomic<long> sent_{0};
};

void floodRun(const char* hubPath)
{
    Hub hub(hubPath, {});
    // 255 clients that never read.
    std::list<platform::UdpSocket> silent;
    for (int i = 0; i < 255; ++i) {
        platform::UdpSocket& s = silent.emplace_back();
        const int port = 41000 + i;
        s.bind(static_cast<std::uint16_t>(port), "127.0.0.1");
        s.sendTo("127.0.0.1", 3639, bench_network::heartbeat("bench.silent." + std::to_string(port), port));
    }
    Probe probe;
    probe.start();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    bench_network::sendPaced(3639, 20000, 100000);
    probe.finish(3);
    probe.print("flood");
}

void churnRun(const char* hubPath)
{
    Hub hub(hubPath, {"--max-clients", "1024"});
    Probe probe;
    std::list<platform::UdpSocket> clients;
    for (int i = 0; i < 1000; ++i)
        clients.emplace_back().bind(static_cast<std::uint16_t>(43000 + i), "127.0.0.1");
    probe.start();
    const auto end = Clock::now() + std::chrono::seconds(5);
    long beats = 0;
    while (Clock::now() < end) {
        int port = 43000;
        for (platform::UdpSocket& s : clients) {
            const std::string alive = bench_network::heartbeat("bench.churn." + std::to_string(port), port);
            std::string stop = alive;
            stop.replace(stop.find("xap-hbeat.alive"), 15, "xap-hbeat.stopped");
            s.sendTo("127.0.0.1", 3639, alive);
            s.sendTo("127.0.0.1", 3639, stop);
            beats += 2;
            ++port;
        }
    }
    probe.finish(3);
    probe.print("churn");
    std::printf("       (%ld heartbeats from 1,000 clients in 5 s)\n", beats);
}

} // namespace

int main(int argc, char** argv)
{
    bench_network::enterOrExit();
    const char* hubPath = argc > 1 ? argv[1] : XAPHUB_PATH;
    floodRun(hubPath);
    churnRun(hubPath);
    return 0;
}
