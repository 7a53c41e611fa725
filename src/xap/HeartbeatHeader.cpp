#include "HeartbeatHeader.h"

#include "automation/TextCompare.h"
#include "base/AsciiText.h"

namespace xap {

namespace {

constexpr std::size_t kLinesRead = 16;
constexpr std::size_t kBytesRead = 2048;

} // namespace

bool HeartbeatHeader::alive() const
{
    return vb::equalsIgnoreCase(cls, "xap-hbeat.alive");
}

bool HeartbeatHeader::fromHub() const
{
    if (!alive())
        return false;
    const std::size_t first = source.find('.');
    if (first == std::string::npos)
        return false;
    const std::size_t second = source.find('.', first + 1);
    const std::string device = vb::lowerCase(source.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1));
    return device.find("hub") != std::string::npos;
}

std::optional<HeartbeatHeader> readHeartbeatHeader(std::string_view text)
{
    if (text.size() < 9 || !vb::equalsIgnoreCase(text.substr(0, 9), "xap-hbeat"))
        return std::nullopt;
    text = text.substr(0, kBytesRead);
    HeartbeatHeader header;
    std::size_t start = 0;
    for (std::size_t line = 0; line < kLinesRead && start < text.size(); ++line) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view item = text.substr(start, end - start);
        start = end + 1;
        if (item == "}")
            break;
        const std::size_t eq = item.find('=');
        if (eq == std::string_view::npos)
            continue;
        const std::string key = vb::lowerCase(std::string(ascii::trimLine(item.substr(0, eq))));
        const std::string_view value = ascii::trimLine(item.substr(eq + 1));
        if (key == "class") {
            header.cls = value;
        } else if (key == "source") {
            header.source = value;
        } else if (key == "uid") {
            header.uid = value;
        } else if (key == "interval") {
            std::int32_t n = 0;
            for (char c : value.substr(0, 6)) {
                if (c < '0' || c > '9')
                    break;
                n = n * 10 + (c - '0');
            }
            header.intervalSeconds = n;
        }
    }
    return header;
}

} // namespace xap
