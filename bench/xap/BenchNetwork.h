// For the network benchmarks: a private network for the whole process and a hub
// started as a child process in it.
#pragma once

#include "platform/PrivateNetwork.h"
#include "platform/UdpSocket.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
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
    explicit HubProcess(const char* path)
    {
        pid_ = ::fork();
        if (pid_ == 0) {
            ::execl(path, path, "-q", "--state", "none", static_cast<char*>(nullptr));
            std::_Exit(127);
        }
        // Up once port 3639 is taken.
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

} // namespace bench_network
