// udp_echo PORT: a loopback service that answers every datagram with the same bytes,
// to its sender (as the classic echo service does). Scenes use it to check that the
// hub does not loop through a service that answers it. Prints the count on SIGTERM.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
volatile std::sig_atomic_t gStop = 0;
void onStop(int) { gStop = 1; }
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: udp_echo PORT\n");
        return 2;
    }
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<std::uint16_t>(std::atoi(argv[1])));
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
        std::perror("udp_echo");
        return 1;
    }
    struct sigaction action {};
    action.sa_handler = onStop;
    ::sigaction(SIGTERM, &action, nullptr);
    std::printf("echoing on 127.0.0.1:%s\n", argv[1]);
    std::fflush(stdout);
    static char buffer[65536];
    unsigned long echoed = 0;
    while (!gStop) {
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t n = ::recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
        if (n < 0)
            continue;
        ::sendto(fd, buffer, static_cast<std::size_t>(n), 0, reinterpret_cast<sockaddr*>(&from), length);
        ++echoed;
    }
    std::printf("echoed %lu\n", echoed);
    return 0;
}
