// Tunnel: xAP LANs at several sites joined through the broker. Every frame of the LAN
// that passes the source and class filters goes to <Base>/tunnel/<Site>/<class>; every
// frame another site published there is broadcast on this LAN.
//
// Loops are impossible by construction: a frame this bridge broadcast is remembered
// (its hash, for a while) and never published again when the hub hands it back, and
// each re-broadcast raises the header's hop, which must stay within the hop limit.
#pragma once

#include "XapFrame.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace xapmqtt {

struct Config;

class Tunnel {
public:
    static constexpr std::int64_t kRememberMs = 30000;
    static constexpr std::size_t kRememberMax = 65536;
    static constexpr std::size_t kMaxFrame = 65507; // what one UDP datagram carries

    explicit Tunnel(const Config& config);

    std::string subscription() const { return base_ + "/tunnel/+/#"; }
    // The topic a LAN frame goes to.
    std::string topicFor(const XapFrame& frame) const;
    // Whether this bridge broadcast this very text lately (the hub hands it back).
    bool isOwnBroadcast(std::string_view raw, std::int64_t nowMs);
    // Whether a frame seen on the LAN goes to the broker.
    bool shouldPublish(std::string_view raw, const XapFrame& frame, std::int64_t nowMs);
    // The text to broadcast for a frame from the broker, or nothing (with `why` when
    // the frame is refused rather than simply this site's own).
    std::optional<std::string> inbound(const std::string& topic, std::string_view payload, std::int64_t nowMs, std::string* why);

    bool sourceAllowed(const std::string& source) const;
    bool classAllowed(const std::string& cls) const;

private:
    void remember(std::uint64_t hash, std::int64_t nowMs);
    void forgetOld(std::int64_t nowMs);

    std::string base_;
    std::string site_;
    int hopLimit_;
    std::vector<std::string> allow_;
    std::vector<std::string> deny_;
    std::vector<std::string> classes_;
    std::deque<std::pair<std::uint64_t, std::int64_t>> order_;
    std::unordered_map<std::uint64_t, int> broadcast_; // hash -> times remembered
};

std::uint64_t frameHash(std::string_view text);

} // namespace xapmqtt
