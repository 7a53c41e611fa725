// The xAP texts the tool writes and reads: messages, heartbeats, header fields.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace xaptool {

struct Block {
    std::string name;
    std::vector<std::pair<std::string, std::string>> items;
};

struct Header {
    std::string uid;
    std::string cls;
    std::string source;
    std::string target; // empty: no target line
};

std::string composeMessage(const Header& header, const std::vector<Block>& blocks);
// A heartbeat of class "xap-hbeat.alive" (or the given class: "xap-hbeat.stopped" as
// the tool leaves).
std::string composeHeartbeat(const std::string& uid, const std::string& source, int intervalSeconds, int port,
                             std::string_view heartbeatClass = "xap-hbeat.alive");

// A field of the first block (header or heartbeat), "" when absent. Keys compare
// without regard to case; values are trimmed.
std::string headerField(std::string_view text, std::string_view key);
bool isHeartbeat(std::string_view text);
// The blocks after the first, with their items.
std::vector<Block> bodyBlocks(std::string_view text);

// One line: class, source, target and the body items.
std::string summary(std::string_view text);

} // namespace xaptool
