#include "PrivateNetwork.h"

#include <cerrno>
#include <cstring>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

bool enterPrivateNetwork(std::string* why)
{
    auto fail = [&](const char* step) {
        if (why)
            *why = std::string(step) + ": " + std::strerror(errno);
        return false;
    };
    if (::unshare(CLONE_NEWNET) != 0)
        return fail("unshare(CLONE_NEWNET)");
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return fail("socket");
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool ok = ::ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    if (ok) {
        request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP);
        ok = ::ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    }
    if (!ok) {
        fail("bring up lo");
        ::close(fd);
        return false;
    }
    ::close(fd);
    return true;
}

} // namespace platform
