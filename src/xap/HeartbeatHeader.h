// Reads what the node needs from a received heartbeat: its class, source, uid and
// interval. Only the first lines are looked at, so a hostile datagram of any size
// costs no more than a small one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace xap {

struct HeartbeatHeader {
    std::string cls;
    std::string source;
    std::string uid;
    std::int32_t intervalSeconds = 0;

    bool alive() const;
    // A hub's heartbeat: an alive heartbeat whose source names a hub in its device
    // part ("tallis.xaphub.pc1", "vendor.hub.pc1").
    bool fromHub() const;
};

// Nothing when `text` is not a heartbeat ("xap-hbeat" block first).
std::optional<HeartbeatHeader> readHeartbeatHeader(std::string_view text);

} // namespace xap
