// CPU cost per relayed datagram: the hub against a bare recvmmsg+sendmmsg relay loop
// on loopback (the physical limit on this machine), measured in one run under the
// same load: three clients, ~250-byte messages at a fixed rate. Runs in a private
// network.
//
//   bench_relay_cost [seconds per run, default 5] [messages per second, default 100000]
#include "BenchNetwork.h"

#include "Hub.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <time.h>

#include <array>
#include <atomic>
#include <functional>
#include <list>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::uint16_t kBarePort = 3700;
constexpr std::array<int, 3> kClientPorts{40201, 40202, 40203};

double threadCpuSeconds()
{
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The bare loop: every waiting datagram with one recvmmsg, all copies with one sendmmsg.
class BareRelay {
public:
    BareRelay()
    {
        fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        int bytes = 64 << 20;
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes);
        ::setsockopt(fd_, SOL_SOCKET, SO_SNDBUFFORCE, &bytes, sizeof bytes);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_port = htons(kBarePort);
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
        buffers_.resize(kBatch * kSize);
        for (int i = 0; i < kBatch; ++i) {
            inVectors_[i] = iovec{buffers_.data() + i * kSize, kSize};
            in_[i].msg_hdr.msg_iov = &inVectors_[i];
            in_[i].msg_hdr.msg_iovlen = 1;
        }
        for (std::size_t c = 0; c < kClientPorts.size(); ++c) {
            targets_[c].sin_family = AF_INET;
            targets_[c].sin_port = htons(static_cast<std::uint16_t>(kClientPorts[c]));
            targets_[c].sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        }
    }
    ~BareRelay() { ::close(fd_); }
    void run(const std::atomic<bool>& stop)
    {
        while (!stop) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 500) <= 0)
                continue;
            const int count = ::recvmmsg(fd_, in_.data(), kBatch, MSG_DONTWAIT, nullptr);
            if (count <= 0)
                continue;
            std::size_t n = 0;
            for (int i = 0; i < count; ++i)
                for (std::size_t c = 0; c < kClientPorts.size(); ++c, ++n) {
                    outVectors_[n] = iovec{buffers_.data() + i * kSize, in_[i].msg_len};
                    out_[n].msg_hdr = msghdr{};
                    out_[n].msg_hdr.msg_iov = &outVectors_[n];
                    out_[n].msg_hdr.msg_iovlen = 1;
                    out_[n].msg_hdr.msg_name = &targets_[c];
                    out_[n].msg_hdr.msg_namelen = sizeof targets_[c];
                }
            for (std::size_t sent = 0; sent < n;) {
                const int done = ::sendmmsg(fd_, out_.data() + sent, static_cast<unsigned>(n - sent), 0);
                sent += done > 0 ? static_cast<std::size_t>(done) : 1;
            }
            received_ += count;
        }
    }
    long received() const { return received_; }

private:
    static constexpr int kBatch = 64;
    static constexpr std::size_t kSize = 65536;
    int fd_ = -1;
    std::vector<char> buffers_;
    std::array<mmsghdr, kBatch> in_{};
    std::array<iovec, kBatch> inVectors_{};
    std::array<sockaddr_in, 3> targets_{};
    std::array<mmsghdr, kBatch * 3> out_{};
    std::array<iovec, kBatch * 3> outVectors_{};
    long received_ = 0;
};

struct Result {
    double cpuSeconds = 0;
    long relayed = 0;
    long sent = 0;
    long delivered = 0;
};

// Runs `relay` on a thread of its own (measuring that thread's CPU time) while one
// sender sends to `port` at `rate` for `seconds`.
Result measure(std::uint16_t port, long rate, int seconds, const std::function<void(const std::atomic<bool>&)>& relay,
               const std::function<long()>& relayed)
{
    std::list<bench_network::Client> clients;
    for (int p : kClientPorts)
        clients.emplace_back(p).start();
    std::atomic<bool> stop{false};
    std::atomic<double> cpu{0};
    std::thread worker([&] {
        const double start = threadCpuSeconds();
        relay(stop);
        cpu = threadCpuSeconds() - start;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));

    Result r;
    r.sent = bench_network::sendPaced(port, rate, rate * seconds);
    const long last = bench_network::waitUntilQuiet([&] {
        long sum = 0;
        for (const bench_network::Client& c : clients)
            sum += c.count();
        return sum;
    });
    for (bench_network::Client& c : clients)
        c.finish();
    stop = true;
    worker.join();
    r.cpuSeconds = cpu;
    r.relayed = relayed();
    r.delivered = last;
    return r;
}

void report(const char* name, const Result& r)
{
    std::printf("  %-9s relayed %ld of %ld, delivered %ld of %ld (lost %ld), %.3f s CPU, %.2f us per datagram\n", name,
                r.relayed, r.sent, r.delivered, r.sent * 3, r.sent * 3 - r.delivered, r.cpuSeconds,
                1e6 * r.cpuSeconds / static_cast<double>(std::max(1L, r.relayed)));
}

} // namespace

int main(int argc, char** argv)
{
    bench_network::enterOrExit();
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const long rate = argc > 2 ? std::max(1L, std::atol(argv[2])) : 100000;
    std::printf("relay cost to 3 clients, %d s at %ld msg/s, ~250-byte messages\n", seconds, rate);

    BareRelay bare;
    const Result b = measure(kBarePort, rate, seconds, [&](const std::atomic<bool>& stop) { bare.run(stop); },
                             [&] { return bare.received(); });
    report("bare loop", b);

    xaphub::HubOptions options;
    options.verbosity = 0;
    xaphub::Hub hub(options);
    std::string error;
    if (!hub.open(error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const Result h = measure(
        options.port, rate, seconds,
        [&](const std::atomic<bool>& stop) {
            // The clients announce themselves first, as nodes do.
            platform::UdpSocket beats;
            for (int p : kClientPorts)
                beats.sendTo("127.0.0.1", options.port, bench_network::heartbeat("bench.client." + std::to_string(p), p));
            std::thread stopper([&] {
                while (!stop)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                hub.stop();
            });
            hub.run();
            stopper.join();
        },
        [&] { return static_cast<long>(hub.relayedCount()); });
    report("xaphub", h);
    const double bareCost = b.cpuSeconds / static_cast<double>(std::max(1L, b.relayed));
    const double hubCost = h.cpuSeconds / static_cast<double>(std::max(1L, h.relayed));
    std::printf("ratio hub / bare loop: %.2f (target: at most 1.5)\n", hubCost / bareCost);
    return 0;
}
