// Tells the service manager about the bridge (READY=1, STATUS=...) through the socket
// systemd names in NOTIFY_SOCKET; does nothing when it names none.
#pragma once

#include <string>

namespace xapmqtt {

void notifyServiceManager(const std::string& state);

} // namespace xapmqtt
