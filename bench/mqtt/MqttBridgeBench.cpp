// The MQTT bridge measured end to end, in one run:
//   (a) baseline: a publisher to a subscriber through mosquitto, direct;
//   (b) an xAP BSC event on the LAN -> its state message at a subscriber, through the
//       hub and the bridge: a steady rate, then a burst;
//   (c) a command published -> the xAPBSC.cmd datagram on the LAN;
//   (d) 500 endpoints: discovery and states all delivered again after a Home
//       Assistant birth message;
//   (e) the bridge's CPU use while idle (one heartbeating device).
// Prints p50/p99 latencies, losses and the bridge's added latency over the baseline.
//
// bench_mqtt_bridge [--rate N] [--seconds S] [--burst-rate N] [--burst-seconds S]
// (defaults: 1000/s for 60 s, then 5000/s for 10 s).
#include "platform/PrivateNetwork.h"
#include "platform/UdpSocket.h"

#include <mosquitto.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <map>
#include <netinet/in.h>
#include <poll.h>
#include <set>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kBrokerPort = 18850;
constexpr int kDevicePort = 41500;

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

pid_t spawn(std::vector<std::string> argv, const char* output)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<char*> args;
    for (std::string& a : argv)
        args.push_back(a.data());
    args.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", args[0]);
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void stop(pid_t pid)
{
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
}

bool accepts(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

struct Stats {
    std::vector<double> latencies; // ms
    std::size_t sent = 0;
    void print(const char* what) const
    {
        std::vector<double> l = latencies;
        std::sort(l.begin(), l.end());
        auto pct = [&](double p) { return l.empty() ? 0.0 : l[std::min(l.size() - 1, static_cast<std::size_t>(p * l.size()))]; };
        std::printf("%-44s sent %7zu  received %7zu  lost %5zu  p50 %7.3f ms  p99 %7.3f ms  max %7.3f ms\n", what, sent, l.size(),
                    sent - std::min(sent, l.size()), pct(0.50), pct(0.99), l.empty() ? 0.0 : l.back());
    }
    double p50() const
    {
        std::vector<double> l = latencies;
        std::sort(l.begin(), l.end());
        return l.empty() ? 0 : l[l.size() / 2];
    }
};

// A libmosquitto client served by pump(); messages go to `onMessage`.
class Client {
public:
    explicit Client(const char* id)
    {
        mosq_ = mosquitto_new(id, true, this);
        mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V5);
        mosquitto_message_callback_set(mosq_, [](mosquitto*, void* self, const mosquitto_message* m) {
            auto* c = static_cast<Client*>(self);
            if (c->onMessage)
                c->onMessage(m->topic, std::string(static_cast<const char*>(m->payload), static_cast<std::size_t>(m->payloadlen)));
        });
        if (mosquitto_connect(mosq_, "127.0.0.1", kBrokerPort, 60) != MOSQ_ERR_SUCCESS) {
            std::fprintf(stderr, "cannot connect to the broker\n");
            std::exit(1);
        }
    }
    ~Client() { mosquitto_destroy(mosq_); }
    void subscribe(const char* pattern) { mosquitto_subscribe(mosq_, nullptr, pattern, 0); }
    void publish(const std::string& topic, const std::string& payload, int qos = 0)
    {
        mosquitto_publish(mosq_, nullptr, topic.c_str(), static_cast<int>(payload.size()), payload.data(), qos, false);
    }
    void pump()
    {
        for (int i = 0; i < 256; ++i) {
            mosquitto_loop_read(mosq_, 1);
            pollfd more{mosquitto_socket(mosq_), POLLIN, 0};
            if (more.fd < 0 || ::poll(&more, 1, 0) <= 0)
                break;
        }
        if (mosquitto_want_write(mosq_))
            mosquitto_loop_write(mosq_, 1);
        mosquitto_loop_misc(mosq_);
    }
    int socket() const { return mosquitto_socket(mosq_); }
    std::function<void(const std::string&, const std::string&)> onMessage;

private:
    mosquitto* mosq_;
};

// Runs `each` (which sends) at `rate` per second for `seconds`, serving `pump` in between;
// then serves `pump` for `drainMs` more.
void paced(int rate, double seconds, const std::function<void(std::size_t)>& each, const std::function<void()>& pump, int drainMs = 1000)
{
    const auto start = Clock::now();
    const std::size_t total = static_cast<std::size_t>(rate * seconds);
    std::size_t n = 0;
    while (n < total) {
        const auto due = start + std::chrono::nanoseconds(static_cast<long long>(1e9 * static_cast<double>(n) / rate));
        while (n < total && Clock::now() >= due + std::chrono::nanoseconds(0)) {
            each(n++);
            break;
        }
        pump();
        if (Clock::now() < due)
            std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    const auto end = Clock::now() + std::chrono::milliseconds(drainMs);
    while (Clock::now() < end) {
        pump();
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
}

std::string event(int endpoint, std::size_t seq)
{
    return "xap-header\n{\nv=13\nhop=1\nuid=FF.BE" + std::to_string(100 + endpoint / 100) + ":" + std::to_string(10 + endpoint % 100) +
        "\nclass=xAPBSC.event\nsource=bench.dev.d" + std::to_string(endpoint / 100) + ":e" + std::to_string(endpoint % 100) +
        "\n}\ninput.state\n{\nstate=on\ntext=" + std::to_string(seq) + "\n}\n";
}

double cpuSeconds(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
    std::vector<std::string> fields;
    std::size_t start = close + 2;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        fields.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    // utime and stime are fields 14 and 15 (1-based), 12 and 13 after the name.
    return (std::stod(fields[11]) + std::stod(fields[12])) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

} // namespace

int main(int argc, char** argv)
{
    int rate = 1000, burstRate = 5000;
    double seconds = 60, burstSeconds = 10;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--rate") rate = std::atoi(argv[i + 1]);
        else if (a == "--seconds") seconds = std::atof(argv[i + 1]);
        else if (a == "--burst-rate") burstRate = std::atoi(argv[i + 1]);
        else if (a == "--burst-seconds") burstSeconds = std::atof(argv[i + 1]);
    }
    std::string why;
    if (!platform::enterPrivateNetwork(&why)) {
        std::fprintf(stderr, "needs a private network (run as root): %s\n", why.c_str());
        return 1;
    }
    mosquitto_lib_init();
    char folder[] = "/tmp/bench-mqtt-XXXXXX";
    ::mkdtemp(folder);
    const std::string dir = folder;
    std::ofstream(dir + "/broker.conf") << "listener " << kBrokerPort << " 127.0.0.1\nallow_anonymous true\npersistence false\n"
                                           "user root\nmax_queued_messages 100000\n";
    const pid_t broker = spawn({"mosquitto", "-c", dir + "/broker.conf"}, (dir + "/broker.log").c_str());
    while (!accepts(kBrokerPort))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const pid_t hub = spawn({XAPHUB_PATH, "-q", "--state", "none"}, (dir + "/hub.log").c_str());
    std::this_thread::sleep_for(std::chrono::milliseconds(200));

    // The device's socket: registered with the hub, it hears the bridge's commands.
    platform::UdpSocket device;
    device.bind(kDevicePort, "127.0.0.1");
    device.setReceiveBuffer(8 << 20);
    platform::UdpSocket out;
    out.bind(0, "");
    out.enableBroadcast();
    out.setSendBuffer(8 << 20);
    auto lan = [&](const std::string& text) { out.sendTo("127.255.255.255", 3639, text); };
    lan("xap-hbeat\n{\nv=13\nhop=1\nuid=FF.BE10:00\nclass=xap-hbeat.alive\nsource=bench.dev.d0\ninterval=60\nport=" +
        std::to_string(kDevicePort) + "\n}\n");

    const pid_t bridge = spawn({XAP_MQTT_PATH, "--port", std::to_string(kBrokerPort), "--broadcast", "127.255.255.255", "--min-interval",
                                "0", "--source", "bench.xap-mqtt.host"},
                               (dir + "/bridge.log").c_str());
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    std::printf("MQTT bridge, %d/s for %.0f s then %d/s for %.0f s (mosquitto %s on 127.0.0.1, private network)\n", rate, seconds,
                burstRate, burstSeconds, "from Debian");

    // (a) Baseline: publisher -> subscriber, direct.
    Stats baseline;
    {
        Client sub("bench-sub"), pub("bench-pub");
        std::vector<Clock::time_point> sentAt;
        sub.onMessage = [&](const std::string&, const std::string& payload) {
            const std::size_t seq = std::stoul(payload);
            if (seq < sentAt.size())
                baseline.latencies.push_back(ms(Clock::now() - sentAt[seq]));
        };
        sub.subscribe("bench/direct");
        for (int i = 0; i < 50; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(2)))
            sub.pump();
        paced(rate, std::min(seconds, 10.0), [&](std::size_t n) {
            sentAt.push_back(Clock::now());
            pub.publish("bench/direct", std::to_string(n));
            pub.pump();
        }, [&] { sub.pump(); pub.pump(); });
        baseline.sent = sentAt.size();
    }
    baseline.print("(a) baseline: publisher -> subscriber");

    // (b) xAP event -> state message through the bridge, 100 endpoints in turn.
    Client ha("bench-ha");
    std::vector<Clock::time_point> eventAt;
    std::set<std::size_t> seen;
    Stats steady, burst;
    Stats* current = &steady;
    ha.onMessage = [&](const std::string& topic, const std::string& payload) {
        if (topic.size() < 6 || topic.compare(topic.size() - 6, 6, "/state") != 0 || payload.empty() ||
            payload.find_first_not_of("0123456789") != std::string::npos)
            return;
        const std::size_t seq = std::stoul(payload);
        if (seq < eventAt.size() && seen.insert(seq).second)
            current->latencies.push_back(ms(Clock::now() - eventAt[seq]));
    };
    ha.subscribe("xap/+/+/state");
    // Warm-up: every endpoint known (discovery sent) before measuring.
    for (int e = 0; e < 100; ++e)
        lan(event(e, 1000000000 + e));
    paced(1, 1, [](std::size_t) { }, [&] { ha.pump(); });
    auto sendEvent = [&](std::size_t) {
        const std::size_t seq = eventAt.size();
        eventAt.push_back(Clock::now());
        lan(event(static_cast<int>(seq % 100), seq));
    };
    paced(rate, seconds, sendEvent, [&] { ha.pump(); });
    steady.sent = eventAt.size();
    const std::size_t before = eventAt.size();
    current = &burst;
    paced(burstRate, burstSeconds, sendEvent, [&] { ha.pump(); }, 2000);
    burst.sent = eventAt.size() - before;
    char label[96];
    std::snprintf(label, sizeof label, "(b) xAP event -> state, %d/s", rate);
    steady.print(label);
    std::snprintf(label, sizeof label, "(b) xAP event -> state, burst %d/s", burstRate);
    burst.print(label);
    std::printf("    bridge adds %.3f ms at p50 over the baseline\n", steady.p50() - baseline.p50());

    // (c) command published -> xAPBSC.cmd datagram on the LAN.
    Stats commands;
    {
        std::vector<Clock::time_point> commandAt;
        std::string text;
        auto drain = [&] {
            ha.pump();
            while (device.receive(text)) {
                const std::size_t at = text.find("\ntext=");
                if (text.find("class=xAPBSC.cmd") == std::string::npos || at == std::string::npos)
                    continue;
                const std::size_t seq = std::stoul(text.substr(at + 6));
                if (seq < commandAt.size())
                    commands.latencies.push_back(ms(Clock::now() - commandAt[seq]));
            }
        };
        // A text endpoint to command.
        lan("xap-header\n{\nv=13\nhop=1\nuid=FF.BE99:01\nclass=xAPBSC.info\nsource=bench.dev.cmd:sign\n}\noutput.state\n{\nstate=on\ntext=x\n}\n");
        paced(1, 0.5, [](std::size_t) { }, drain);
        while (device.receive(text)) { }
        paced(500, std::min(seconds, 4.0), [&](std::size_t n) {
            commandAt.push_back(Clock::now());
            ha.publish("xap/bench-dev-cmd/sign/set", std::to_string(n));
            ha.pump();
        }, drain);
        commands.sent = commandAt.size();
    }
    commands.print("(c) command -> xAPBSC.cmd on the LAN, 500/s");

    // (d) 500 endpoints (5 devices of 100): discovery and states after a birth message.
    {
        for (int e = 0; e < 500; ++e)
            lan(event(e, 2000000000 + e));
        paced(1, 1.5, [](std::size_t) { }, [&] { ha.pump(); });
        std::set<std::string> configs, states;
        Client watcher("bench-watch");
        bool counting = false;
        Clock::time_point first{};
        watcher.onMessage = [&](const std::string& topic, const std::string&) {
            if (!counting)
                return;
            if (first == Clock::time_point{})
                first = Clock::now();
            if (topic.find("/config") != std::string::npos && topic.find("bench-dev-d") != std::string::npos)
                configs.insert(topic);
            else if (topic.find("xap/bench-dev-d") == 0)
                states.insert(topic);
        };
        watcher.subscribe("homeassistant/device/+/config");
        watcher.subscribe("xap/+/+/state");
        paced(1, 0, [](std::size_t) { }, [&] { watcher.pump(); }, 1000); // the retained copies pass first
        counting = true;
        const auto birth = Clock::now();
        watcher.publish("homeassistant/status", "online");
        Clock::time_point done{};
        while (Clock::now() - birth < std::chrono::seconds(15)) {
            watcher.pump();
            ha.pump();
            if (configs.size() >= 5 && states.size() >= 500) {
                done = Clock::now();
                break;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        if (done == Clock::time_point{})
            std::printf("(d) birth: only %zu of 5 discovery messages and %zu of 500 states within 15 s\n", configs.size(), states.size());
        else
            std::printf("(d) birth -> 5 discovery messages and 500 states delivered %.0f ms after it (%.0f ms after the bridge's "
                        "random wait of 0-5 s)\n",
                        ms(done - birth), ms(done - first));
    }

    // (e) idle: one device heartbeating every second, nothing else.
    {
        const double before = cpuSeconds(bridge);
        const auto start = Clock::now();
        for (int i = 0; i < 10; ++i) {
            lan("xap-hbeat\n{\nv=13\nhop=1\nuid=FF.BE10:00\nclass=xap-hbeat.alive\nsource=bench.dev.d0\ninterval=1\nport=" +
                std::to_string(kDevicePort) + "\n}\n");
            const auto next = start + std::chrono::seconds(i + 1);
            while (Clock::now() < next) {
                ha.pump();
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        }
        const double used = cpuSeconds(bridge) - before;
        std::printf("(e) idle CPU of the bridge: %.2f%% of one core over %.0f s\n", 100.0 * used / (ms(Clock::now() - start) / 1000),
                    ms(Clock::now() - start) / 1000);
    }

    stop(bridge);
    stop(hub);
    stop(broker);
    std::system(("rm -rf " + dir).c_str());
    return 0;
}
