#include "NetworkInterfaces.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace platform {

namespace {

template <class Visit>
bool forEachIPv4(Visit visit)
{
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return false;
    for (ifaddrs* i = list; i; i = i->ifa_next) {
        if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET)
            continue;
        char text[INET_ADDRSTRLEN] = {};
        const auto* sa = reinterpret_cast<const sockaddr_in*>(i->ifa_addr);
        ::inet_ntop(AF_INET, &sa->sin_addr, text, sizeof text);
        visit(std::string(text), i->ifa_flags);
    }
    ::freeifaddrs(list);
    return true;
}

} // namespace

std::optional<std::vector<std::string>> interfaceAddresses()
{
    std::vector<std::string> out;
    const bool ok = forEachIPv4([&](const std::string& address, unsigned flags) {
        if ((flags & IFF_UP) && !(flags & IFF_LOOPBACK))
            out.push_back(address);
    });
    if (!ok)
        return std::nullopt;
    return out;
}

bool isLocalAddress(const std::string& address)
{
    if (address.rfind("127.", 0) == 0)
        return true;
    bool found = false;
    forEachIPv4([&](const std::string& a, unsigned) { found = found || a == address; });
    return found;
}

} // namespace platform
