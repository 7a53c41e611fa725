#include "Bsc.h"

#include "Text.h"

#include <algorithm>
#include <charconv>
#include <tuple>
#include <cmath>

namespace xapmqtt::bsc {

namespace {

bool equalsIgnoreCase(std::string_view a, std::string_view b)
{
    return lower(a) == lower(b);
}

std::optional<long> number(std::string_view text)
{
    long value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty())
        return std::nullopt;
    return value;
}

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

std::string header(const Sender& from, std::string_view cls, const std::string& target)
{
    std::string text = "xap-header\n{\nv=13\nhop=1\nuid=" + from.uid + "\nclass=" + std::string(cls) + "\nsource=" + from.source + "\n";
    if (!target.empty())
        text += "target=" + target + "\n";
    return text + "}\n";
}

} // namespace

const char* platformOf(Kind kind)
{
    switch (kind) {
    case Kind::Switch: return "switch";
    case Kind::Light: return "light";
    case Kind::Text: return "text";
    case Kind::BinarySensor: return "binary_sensor";
    case Kind::Sensor: return "sensor";
    }
    return "sensor";
}

bool settable(Kind kind)
{
    return kind == Kind::Switch || kind == Kind::Light || kind == Kind::Text;
}

Kind Report::kind() const
{
    if (output)
        return text ? Kind::Text : level ? Kind::Light : Kind::Switch;
    return (text || level) ? Kind::Sensor : Kind::BinarySensor;
}

std::optional<Report> readReport(const XapFrame& frame, std::string* why)
{
    if (frame.isHeartbeat())
        return std::nullopt;
    const std::string cls = frame.cls();
    Report report;
    if (equalsIgnoreCase(cls, "xAPBSC.event"))
        report.isEvent = true;
    else if (!equalsIgnoreCase(cls, "xAPBSC.info"))
        return std::nullopt;
    auto refuse = [&](const char* text) -> std::optional<Report> {
        if (why)
            *why = text;
        return std::nullopt;
    };
    const XapBlock* block = nullptr;
    for (std::size_t i = 1; i < frame.blocks.size() && !block; ++i) {
        const std::string& name = frame.blocks[i].name;
        if (startsWith(name, "output.state") || startsWith(name, "input.state")) {
            block = &frame.blocks[i];
            report.output = startsWith(name, "output.");
        }
    }
    if (!block)
        return refuse("no input.state or output.state block");
    std::tie(report.device, report.subAddress) = splitSubAddress(frame.source());
    if (report.device.empty())
        return refuse("no source");
    std::tie(report.uid, report.subUid) = splitSubAddress(frame.header("uid"));
    if (const std::string* state = block->find("state")) {
        report.state = lower(*state);
        if (report.state != "on" && report.state != "off" && report.state != "?")
            return refuse("a state other than on, off or ?");
    }
    if (const std::string* level = block->find("level")) {
        if (!brightnessOf(*level) && *level != "?")
            return refuse("a level that is neither N/M nor N%");
        report.level = *level;
    }
    if (const std::string* text = block->find("text"))
        report.text = *text;
    if (const std::string* display = block->find("displaytext"))
        report.displayText = *display;
    if (report.state.empty() && !report.level && !report.text)
        return refuse("a block without state, level or text");
    return report;
}

std::optional<int> percentOf(std::string_view level)
{
    const std::optional<int> b = brightnessOf(level);
    if (!b)
        return std::nullopt;
    if (!level.empty() && level.back() == '%')
        return static_cast<int>(*number(level.substr(0, level.size() - 1)));
    return static_cast<int>(std::lround(*b * 100.0 / 255.0));
}

std::optional<int> brightnessOf(std::string_view level)
{
    if (!level.empty() && level.back() == '%') {
        const auto n = number(level.substr(0, level.size() - 1));
        if (!n || *n < 0 || *n > 100)
            return std::nullopt;
        return static_cast<int>(std::lround(*n * 255.0 / 100.0));
    }
    const std::size_t slash = level.find('/');
    if (slash == std::string_view::npos)
        return std::nullopt;
    const auto n = number(level.substr(0, slash));
    const auto m = number(level.substr(slash + 1));
    if (!n || !m || *m <= 0 || *n < 0 || *n > *m)
        return std::nullopt;
    return static_cast<int>(std::lround(*n * 255.0 / static_cast<double>(*m)));
}

std::string levelFor(int brightness, std::string_view lastLevel)
{
    brightness = std::clamp(brightness, 0, 255);
    const std::size_t slash = lastLevel.find('/');
    if (slash != std::string_view::npos) {
        const auto m = number(lastLevel.substr(slash + 1));
        if (m && *m > 0)
            return std::to_string(std::lround(brightness * static_cast<double>(*m) / 255.0)) + "/" + std::to_string(*m);
    }
    return std::to_string(std::lround(brightness * 100.0 / 255.0)) + "%";
}

std::string composeCommand(const Sender& from, const std::string& target, const std::string& subUid, const Command& command)
{
    std::string text = header(from, "xAPBSC.cmd", target);
    text += "output.state.1\n{\nid=" + (subUid.empty() ? std::string("*") : subUid) + "\n";
    if (!command.state.empty())
        text += "state=" + command.state + "\n";
    if (!command.level.empty())
        text += "level=" + command.level + "\n";
    if (command.text)
        text += "text=" + *command.text + "\n";
    return text + "}\n";
}

std::string composeQuery(const Sender& from, const std::string& target)
{
    return header(from, "xAPBSC.query", target) + "request\n{\n}\n";
}

std::string composeHeartbeat(const Sender& from, int intervalSeconds, int port)
{
    return "xap-hbeat\n{\nv=13\nhop=1\nuid=" + from.uid + "\nclass=xap-hbeat.alive\nsource=" + from.source +
        "\ninterval=" + std::to_string(intervalSeconds) + "\nport=" + std::to_string(port) + "\n}\n";
}

} // namespace xapmqtt::bsc
