// For the network benchmarks: a private network for the whole process and a hub
// started as a child process in it.
#pragma once

#include "platform/PrivateNetwork.h"
#include "platform/UdpSocket.h"

#include <chrono>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace bench_network {

inline void enterOrExit()
{
    std::string why;
    if (!platform::enterPrivateNetwork(&why)) {
        std::fprintf(stderr, "needs a private network (run as root): %s\n", why.c_str());
        std::exit(1);
    }
}

class HubProcess {
public:
    // Starts the hub at `path` with `args` (by default quiet and without a state file),
    // its standard output discarded when `discardOutput`; returns once port 3639 is taken.
    explicit HubProcess(const char* path, std::vector<std::string> args = {"-q", "--state", "none"},
                        bool discardOutput = false)
    {
        pid_ = ::fork();
        if (pid_ == 0) {
            if (discardOutput)
                ::dup2(::open("/dev/null", O_WRONLY), 1);
            std::vector<char*> argv{const_cast<char*>(path)};
            for (std::string& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(path, argv.data());
            std::_Exit(127);
        }
        for (int i = 0; i < 200; ++i) {
            platform::UdpSocket probe;
            if (probe.bind(3639, ""))
                return;
            probe.close();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::fprintf(stderr, "the hub did not start\n");
        std::exit(1);
    }
    ~HubProcess()
    {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }

private:
    pid_t pid_ = -1;
};

inline std::string heartbeat(const std::string& source, int port)
{
    return "xap-hbeat\n{\nv=13\nhop=1\nuid=FF.0099:00\nclass=xap-hbeat.alive\nsource=" + source +
        "\ninterval=60\nport=" + std::to_string(port) + "\n}\n";
}

// A typical message of about 250 bytes carrying a sequence number.
inline std::string benchMessage(long sequence)
{
    return "xap-header\n{\nv=13\nhop=1\nuid=FF.0099:00\nclass=bench.load\nsource=bench.sender.host\n}\nbench.load\n{\n"
           "seq=" + std::to_string(sequence) +
        "\nitem1=value one\nitem2=value two\nitem3=value three\nitem4=value four\nitem5=value five\n}\n";
}

// A client of the hub on its own port, counting the messages that reach it on a
// thread of its own between start() and finish().
class Client {
public:
    explicit Client(int port) : port_(port)
    {
        socket_.bind(static_cast<std::uint16_t>(port), "127.0.0.1");
        socket_.setReceiveBuffer(32 << 20);
    }
    void registerWithHub()
    {
        socket_.sendTo("127.0.0.1", 3639, heartbeat("bench.client." + std::to_string(port_), port_));
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

// Sends `total` bench messages to 127.0.0.1:`port` at `rate` per second, paced in
// half-millisecond steps (each sends what the rate allows up to that moment).
inline long sendPaced(std::uint16_t port, long rate, long total)
{
    platform::UdpSocket sender;
    sender.setSendBuffer(8 << 20);
    const auto start = std::chrono::steady_clock::now();
    long sent = 0;
    while (sent < total) {
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const long due = std::min(total, static_cast<long>(elapsed * static_cast<double>(rate)) + 1);
        while (sent < due)
            sender.sendTo("127.0.0.1", port, benchMessage(sent++));
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return sent;
}

// Whatever is still in the buffers counts once it arrives: waits until `delivered`
// stops changing for half a second and returns its last value.
inline long waitUntilQuiet(const std::function<long()>& delivered)
{
    long last = -1;
    for (int quiet = 0; quiet < 5;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const long now = delivered();
        quiet = now == last ? quiet + 1 : 0;
        last = now;
    }
    return last;
}

} // namespace bench_network
