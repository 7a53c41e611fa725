// Moves the calling process into a network of its own that holds only an active
// loopback interface, so that whatever it sends cannot leave the machine and its ports
// cannot clash with other programs. Used by tests and benchmarks that open sockets;
// needs the privilege to create namespaces and must run before any thread starts.
#pragma once

#include <string>

namespace platform {

// True when the process now runs in its own network; otherwise `why` tells why not.
bool enterPrivateNetwork(std::string* why = nullptr);

} // namespace platform
