// XapFrame: one received xAP text read into its blocks, heartbeats included (the
// program's message class reads only "xap-header" messages and reports into the
// program's own log file; the bridge needs every frame and its hop count).
//
// Reading is linear in the text and bounded: at most kMaxBlocks blocks of at most
// kMaxItems items; a text beyond that, or not made of blocks, is refused.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace xapmqtt {

struct XapBlock {
    std::string name; // lowercased, trimmed
    std::vector<std::pair<std::string, std::string>> items; // key lowercased and trimmed, value trimmed

    // The value of `key` (lowercase), nothing when absent.
    const std::string* find(std::string_view key) const;
};

struct XapFrame {
    static constexpr std::size_t kMaxBlocks = 64;
    static constexpr std::size_t kMaxItems = 256;

    std::vector<XapBlock> blocks; // the first is the header ("xap-header" or "xap-hbeat")

    bool isHeartbeat() const { return !blocks.empty() && blocks.front().name == "xap-hbeat"; }
    // A header field ("" when absent).
    std::string header(std::string_view key) const;
    std::string source() const { return header("source"); }
    std::string cls() const { return header("class"); }
};

// Nothing when the text is not an xAP frame; `why` then says what is wrong.
std::optional<XapFrame> readFrame(std::string_view text, std::string* why = nullptr);

// The text with the header's hop item set to `hop` (added after the first "{" when the
// header has none).
std::string withHop(std::string_view text, int hop);

// "vendor.device.instance" from "vendor.device.instance:sub"; the part after ":" apart.
std::pair<std::string, std::string> splitSubAddress(std::string_view address);

} // namespace xapmqtt
