#include "Wire.h"

#include "base/AsciiText.h"

namespace xaptool {

namespace {

using ascii::lower;

// The wire's lines lose spaces and the CR of a CRLF end (tabs are content).
std::string_view trim(std::string_view s)
{
    return ascii::trim(s, ascii::kSpacesAndCr);
}

std::vector<std::string_view> lines(std::string_view text)
{
    std::vector<std::string_view> out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

} // namespace

std::string composeMessage(const Header& header, const std::vector<Block>& blocks)
{
    std::string text = "xap-header\n{\nv=13\nhop=1\nuid=" + header.uid + "\nclass=" + header.cls + "\nsource=" + header.source + "\n";
    if (!header.target.empty())
        text += "target=" + header.target + "\n";
    text += "}\n";
    for (const Block& b : blocks) {
        text += b.name + "\n{\n";
        for (const auto& [key, value] : b.items)
            text += key + "=" + value + "\n";
        text += "}\n";
    }
    return text;
}

std::string composeHeartbeat(const std::string& uid, const std::string& source, int intervalSeconds, int port,
                             std::string_view heartbeatClass)
{
    return "xap-hbeat\n{\nv=13\nhop=1\nuid=" + uid + "\nclass=" + std::string(heartbeatClass) + "\nsource=" + source +
        "\ninterval=" + std::to_string(intervalSeconds) + "\nport=" + std::to_string(port) + "\n}\n";
}

std::string headerField(std::string_view text, std::string_view key)
{
    const std::string wanted = lower(key);
    for (std::string_view line : lines(text)) {
        if (trim(line) == "}")
            break;
        const std::size_t eq = line.find('=');
        if (eq != std::string_view::npos && lower(trim(line.substr(0, eq))) == wanted)
            return std::string(trim(line.substr(eq + 1)));
    }
    return {};
}

bool isHeartbeat(std::string_view text)
{
    return lower(text.substr(0, 9)) == "xap-hbeat";
}

std::vector<Block> bodyBlocks(std::string_view text)
{
    std::vector<Block> blocks;
    const std::vector<std::string_view> all = lines(text);
    bool inHeader = true;
    bool inBlock = false;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const std::string_view line = trim(all[i]);
        if (line == "}") {
            inHeader = false;
            inBlock = false;
            continue;
        }
        if (inHeader)
            continue;
        if (line == "{") {
            inBlock = true;
            continue;
        }
        if (!inBlock) {
            if (!line.empty())
                blocks.push_back(Block{std::string(line), {}});
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq != std::string_view::npos && !blocks.empty())
            blocks.back().items.emplace_back(std::string(line.substr(0, eq)), std::string(line.substr(eq + 1)));
    }
    return blocks;
}

std::string summary(std::string_view text)
{
    std::string out = headerField(text, "class") + " from " + headerField(text, "source");
    const std::string target = headerField(text, "target");
    if (!target.empty())
        out += " to " + target;
    if (isHeartbeat(text)) {
        out += " (interval " + headerField(text, "interval") + ", port " + headerField(text, "port") + ")";
        return out;
    }
    for (const Block& b : bodyBlocks(text)) {
        out += " | " + b.name + ":";
        for (const auto& [key, value] : b.items)
            out += " " + key + "=" + value;
    }
    return out;
}

} // namespace xaptool
