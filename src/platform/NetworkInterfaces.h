// The machine's own IPv4 addresses.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// Dotted IPv4 addresses of the interfaces that are up and not loopback, in the order
// the system lists them. Nothing when the list cannot be read.
std::optional<std::vector<std::string>> interfaceAddresses();

// True when `address` (dotted) is one of this machine's addresses, loopback included.
bool isLocalAddress(const std::string& address);

} // namespace platform
