#include "Tunnel.h"

#include "Config.h"
#include "TopicId.h"

#include "xap/XapMessage.h"

#include <charconv>
#include <fnmatch.h>

namespace xapmqtt {

std::uint64_t frameHash(std::string_view text)
{
    std::uint64_t h = 1469598103934665603ull; // FNV-1a
    for (char c : text) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    return h;
}

Tunnel::Tunnel(const Config& config)
    : base_(config.base), site_(config.site), hopLimit_(config.hopLimit), allow_(config.allowSources)
    , deny_(config.denySources), classes_(config.tunnelClasses)
{
}

std::string Tunnel::topicFor(const XapFrame& frame) const
{
    const std::string cls = frame.cls();
    return base_ + "/tunnel/" + site_ + "/" + (cls.empty() ? std::string("_") : topicId(cls));
}

bool Tunnel::sourceAllowed(const std::string& source) const
{
    for (const std::string& pattern : deny_)
        if (xap::XapMessage::compareAddress(pattern, source))
            return false;
    if (allow_.empty())
        return true;
    for (const std::string& pattern : allow_)
        if (xap::XapMessage::compareAddress(pattern, source))
            return true;
    return false;
}

bool Tunnel::classAllowed(const std::string& cls) const
{
    if (classes_.empty())
        return true;
    for (const std::string& glob : classes_)
        if (::fnmatch(glob.c_str(), cls.c_str(), FNM_CASEFOLD) == 0)
            return true;
    return false;
}

bool Tunnel::isOwnBroadcast(std::string_view raw, std::int64_t nowMs)
{
    forgetOld(nowMs);
    return broadcast_.count(frameHash(raw)) != 0;
}

bool Tunnel::shouldPublish(std::string_view raw, const XapFrame& frame, std::int64_t nowMs)
{
    if (isOwnBroadcast(raw, nowMs))
        return false; // our own re-broadcast, handed back by the hub
    return sourceAllowed(frame.source()) && classAllowed(frame.cls());
}

std::optional<std::string> Tunnel::inbound(const std::string& topic, std::string_view payload, std::int64_t nowMs, std::string* why)
{
    const std::string prefix = base_ + "/tunnel/";
    if (topic.compare(0, prefix.size(), prefix) != 0)
        return std::nullopt;
    const std::string site = topic.substr(prefix.size(), topic.find('/', prefix.size()) - prefix.size());
    if (site == site_)
        return std::nullopt; // this bridge's own publication
    if (payload.size() > kMaxFrame) {
        if (why)
            *why = "it is larger than one datagram";
        return std::nullopt;
    }
    std::string problem;
    const std::optional<XapFrame> frame = readFrame(payload, &problem);
    if (!frame) {
        if (why)
            *why = "not an xAP frame (" + problem + ")";
        return std::nullopt;
    }
    int hop = 1;
    const std::string hopText = frame->header("hop");
    if (!hopText.empty()) {
        auto [ptr, ec] = std::from_chars(hopText.data(), hopText.data() + hopText.size(), hop);
        if (ec != std::errc() || ptr != hopText.data() + hopText.size() || hop < 0) {
            if (why)
                *why = "its hop is not a number";
            return std::nullopt;
        }
    }
    if (hop + 1 > hopLimit_) {
        if (why)
            *why = "its hop count " + std::to_string(hop) + " would pass the limit of " + std::to_string(hopLimit_);
        return std::nullopt;
    }
    if (!sourceAllowed(frame->source()) || !classAllowed(frame->cls())) {
        if (why)
            *why = "its source or class is filtered out";
        return std::nullopt;
    }
    std::string text = withHop(payload, hop + 1);
    if (frame->isHeartbeat()) {
        // The port a node announces means something only on its own machine: without
        // it, this site's hub does not relay to a port that belongs to nobody here.
        const std::size_t at = text.find("\nport=");
        if (at != std::string::npos) {
            const std::size_t end = text.find('\n', at + 1);
            text.erase(at, end == std::string::npos ? std::string::npos : end - at);
        }
    }
    forgetOld(nowMs);
    remember(frameHash(text), nowMs);
    return text;
}

void Tunnel::remember(std::uint64_t hash, std::int64_t nowMs)
{
    order_.emplace_back(hash, nowMs);
    ++broadcast_[hash];
    while (order_.size() > kRememberMax) {
        auto it = broadcast_.find(order_.front().first);
        if (it != broadcast_.end() && --it->second == 0)
            broadcast_.erase(it);
        order_.pop_front();
    }
}

void Tunnel::forgetOld(std::int64_t nowMs)
{
    while (!order_.empty() && nowMs - order_.front().second > kRememberMs) {
        auto it = broadcast_.find(order_.front().first);
        if (it != broadcast_.end() && --it->second == 0)
            broadcast_.erase(it);
        order_.pop_front();
    }
}

} // namespace xapmqtt
