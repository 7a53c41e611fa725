#include "InterfaceForAddress.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace platform {

std::optional<std::string> interfaceAddressFor(const std::string& destination)
{
    in_addr wanted{};
    if (::inet_pton(AF_INET, destination.c_str(), &wanted) != 1)
        return std::nullopt;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return std::nullopt;
    std::optional<std::string> found;
    for (ifaddrs* i = list; i && !found; i = i->ifa_next) {
        if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || !i->ifa_netmask || !(i->ifa_flags & IFF_UP))
            continue;
        const in_addr address = reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr;
        const in_addr mask = reinterpret_cast<const sockaddr_in*>(i->ifa_netmask)->sin_addr;
        if (mask.s_addr == 0 || (address.s_addr & mask.s_addr) != (wanted.s_addr & mask.s_addr))
            continue;
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &address, text, sizeof text);
        found = std::string(text);
    }
    ::freeifaddrs(list);
    return found;
}

} // namespace platform
