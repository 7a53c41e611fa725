// End to end through the hub: an xAP controller sends "Audrey.Cmd" messages to a
// running tallis at a fixed rate; every one must come back out of the Audrey plug-in
// as an "Audrey.Cmd" to the Audrey's address. Runs in a private network with the hub
// and tallis as child processes.
//
//   bench_end_to_end [rate msg/s, default 20000] [seconds, default 10]
#include "../xap/BenchNetwork.h"

#include <atomic>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

pid_t startTallis(const fs::path& base)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(base.c_str()) != 0)
            std::_Exit(127);
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        const std::string exe = (base / "tallis").string();
        ::execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
        std::_Exit(127);
    }
    return pid;
}

} // namespace

int main(int argc, char** argv)
{
    bench_network::enterOrExit();
    const long rate = argc > 1 ? std::atol(argv[1]) : 20000;
    const long seconds = argc > 2 ? std::atol(argv[2]) : 10;
    const long total = rate * seconds;

    const fs::path base = fs::temp_directory_path() / ("tallis-bench-e2e-" + std::to_string(::getpid()));
    fs::create_directories(base / "Config");
    fs::copy_file(TALLIS_PATH, base / "tallis");
    fs::copy_file(PLUGIN_PATH, base / "hspi_Audrey.so");
    std::ofstream(base / "Config/vynXap.ini") << "[Interface]\r\nBroadcastAddress=127.255.255.255\r\n";
    std::ofstream(base / "Config/vynAudreyUtilities.ini") << "[Audrey Utilities]\r\nAudreyNames=Kitchen\r\n";

    bench_network::HubProcess hub(XAPHUB_PATH);

    // The listener: a client of the hub counting the plug-in's commands.
    platform::UdpSocket listener;
    listener.setReceiveBuffer(64 << 20);
    const int listenPort = 50500;
    if (listener.bind(listenPort, "127.0.0.1")) {
        std::fprintf(stderr, "cannot bind the listener\n");
        return 1;
    }
    platform::UdpSocket sender;
    sender.setSendBuffer(8 << 20);
    sender.sendTo("127.0.0.1", 3639, bench_network::heartbeat("bench.listener.host", listenPort));

    const pid_t tallis = startTallis(base);
    // Ready once the node's heartbeat comes through the hub.
    bool ready = false;
    for (int i = 0; i < 200 && !ready; ++i) {
        std::string text;
        if (!listener.waitReadable(50))
            continue;
        while (listener.receive(text)) {
            if (text.find("source=vyn.Audrey.") != std::string::npos && text.rfind("xap-hbeat", 0) == 0)
                ready = true;
        }
    }
    if (!ready) {
        std::fprintf(stderr, "tallis did not come up\n");
        ::kill(tallis, SIGKILL);
        return 1;
    }
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    std::string node = std::string("vyn.Audrey.") + host;
    node = node.substr(0, node.find('.', 11) == std::string::npos ? node.size() : node.find('.', 11));

    std::atomic<long> received{0};
    std::atomic<bool> done{false};
    std::thread counter([&] {
        std::string text;
        auto last = std::chrono::steady_clock::now();
        while (!done) {
            if (listener.waitReadable(100)) {
                while (listener.receive(text)) {
                    if (text.find("target=vyn.AudreyUnit.Kitchen") != std::string::npos)
                        ++received;
                }
                last = std::chrono::steady_clock::now();
            } else if (std::chrono::steady_clock::now() - last > std::chrono::seconds(3)) {
                break;
            }
        }
    });

    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    auto lastBeat = start;
    long n = 0;
    while (n < total) {
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        const long due = std::min(total, static_cast<long>(elapsed * static_cast<double>(rate)) + 1);
        while (n < due) {
            const std::string message = "xap-header\n{\nv=13\nhop=1\nuid=FF.0099:00\nclass=Audrey.Cmd\nsource=bench.ctl.host\ntarget=" +
                node + "\n}\nAudrey.Cmd\n{\nAudrey=Kitchen\nCommand=Text\nValue=" + std::to_string(n++) + "\n}\n";
            sender.sendTo("127.0.0.1", 3639, message);
        }
        if (Clock::now() - lastBeat > std::chrono::seconds(20)) {
            sender.sendTo("127.0.0.1", 3639, bench_network::heartbeat("bench.listener.host", listenPort));
            lastBeat = Clock::now();
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    const double sendSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    // Wait for the tail, then stop.
    for (int i = 0; i < 100 && received < total; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    done = true;
    counter.join();
    ::kill(tallis, SIGTERM);
    ::waitpid(tallis, nullptr, 0);
    fs::remove_all(base);

    std::printf("end to end: %ld Audrey.Cmd sent to %s at %ld msg/s over %.1f s; %ld came out of the plug-in (%ld lost)\n",
                total, node.c_str(), rate, sendSeconds, received.load(), total - received.load());
    return received == total ? 0 : 1;
}
