// Which of the machine's interfaces reaches an address.
#pragma once

#include <optional>
#include <string>

namespace platform {

// The dotted IPv4 address of the first interface that is up and whose subnet holds
// `destination` (a subnet broadcast address such as 10.203.0.255, or a host on it);
// the loopback interface counts (127.255.255.255 gives 127.0.0.1). Nothing when no
// interface's subnet holds it (the limited broadcast 255.255.255.255, or an address
// beyond a router), or when `destination` is not a dotted IPv4 address.
std::optional<std::string> interfaceAddressFor(const std::string& destination);

} // namespace platform
