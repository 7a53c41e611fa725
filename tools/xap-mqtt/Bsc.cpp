#include "Bsc.h"

#include "Text.h"

#include "bsc/Schema.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace xapmqtt::bsc {

namespace schema = ::bsc;

namespace {

std::string header(const Sender& from, std::string_view cls, const std::string& target)
{
    std::string text = "xap-header\n{\nv=13\nhop=1\nuid=" + from.uid + "\nclass=" + std::string(cls) + "\nsource=" + from.source + "\n";
    if (!target.empty())
        text += "target=" + target + "\n";
    return text + "}\n";
}

std::string blockText(std::string_view name, const schema::Items& items)
{
    std::string text = std::string(name) + "\n{\n";
    for (const schema::Item& item : items)
        text += item.first + "=" + item.second + "\n";
    return text + "}\n";
}

// A level that is known, or nothing.
std::optional<schema::Level> knownLevel(std::string_view text)
{
    const std::optional<schema::Level> level = schema::parseLevel(text);
    if (!level || !level->known)
        return std::nullopt;
    return level;
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
    const std::string cls = lower(frame.cls());
    Report report;
    if (cls == lower(schema::kEventClass))
        report.isEvent = true;
    else if (cls != lower(schema::kInfoClass))
        return std::nullopt;
    auto refuse = [&](const char* text) -> std::optional<Report> {
        if (why)
            *why = text;
        return std::nullopt;
    };
    // Block names are read in lower case; the report's block is the first state block.
    const XapBlock* block = nullptr;
    for (std::size_t i = 1; i < frame.blocks.size() && !block; ++i) {
        const std::string& name = frame.blocks[i].name;
        for (const bool input : {false, true}) {
            schema::Status kind;
            kind.input = input;
            if (name == schema::statusBlockName(kind)) {
                block = &frame.blocks[i];
                report.output = !input;
            }
        }
    }
    if (!block)
        return refuse("no input.state or output.state block");
    std::tie(report.device, report.subAddress) = splitSubAddress(frame.source());
    if (report.device.empty())
        return refuse("no source");
    std::tie(report.uid, report.subUid) = splitSubAddress(frame.header("uid"));
    const std::optional<schema::Status> status = schema::parseStatus(block->name, block->items);
    if (!status) {
        const std::optional<std::string> state = schema::itemValue(block->items, "state");
        if (state && !schema::parseState(*state, false))
            return refuse("a state other than on, off or ?");
        return refuse("a level that is neither N/M, N% nor ?/M");
    }
    if (schema::itemValue(block->items, "state"))
        report.state = schema::stateText(status->state);
    if (status->level)
        report.level = *schema::itemValue(block->items, "level");
    report.text = status->text;
    report.displayText = status->displayText.value_or("");
    if (report.state.empty() && !report.level && !report.text)
        return refuse("a block without state, level or text");
    return report;
}

std::optional<int> brightnessOf(std::string_view level)
{
    const std::optional<schema::Level> parsed = knownLevel(level);
    if (!parsed)
        return std::nullopt;
    return static_cast<int>(std::lround(parsed->value * 255.0 / parsed->range));
}

std::optional<int> percentOf(std::string_view level)
{
    const std::optional<schema::Level> parsed = knownLevel(level);
    if (!parsed)
        return std::nullopt;
    return schema::percentOf(*parsed);
}

std::string levelFor(int brightness, std::string_view lastLevel)
{
    brightness = std::clamp(brightness, 0, 255);
    const std::string_view last = trim(lastLevel);
    const std::optional<schema::Level> parsed = schema::parseLevel(last);
    if (parsed && !last.empty() && last.back() != '%') {
        schema::Level level = *parsed;
        level.value = static_cast<std::uint32_t>(std::lround(brightness * static_cast<double>(level.range) / 255.0));
        level.known = true;
        return schema::formatLevel(level);
    }
    return std::to_string(std::lround(brightness * 100.0 / 255.0)) + "%";
}

std::string composeCommand(const Sender& from, const std::string& target, const std::string& subUid, const Command& command)
{
    schema::Command cmd;
    if (const std::optional<int> number = schema::parseEndpointNumber(subUid))
        cmd.endpoint = *number;
    else
        cmd.allEndpoints = true;
    if (!command.state.empty())
        cmd.state = schema::parseState(command.state, true);
    if (!command.level.empty())
        cmd.level = knownLevel(command.level);
    cmd.text = command.text;
    return header(from, schema::kCmdClass, target) + blockText(schema::commandBlockName(1), schema::commandItems(cmd));
}

std::string composeQuery(const Sender& from, const std::string& target)
{
    return header(from, schema::kQueryClass, target) + blockText(schema::kQueryBlock, {});
}

std::string composeHeartbeat(const Sender& from, int intervalSeconds, int port)
{
    return "xap-hbeat\n{\nv=13\nhop=1\nuid=" + from.uid + "\nclass=xap-hbeat.alive\nsource=" + from.source +
        "\ninterval=" + std::to_string(intervalSeconds) + "\nport=" + std::to_string(port) + "\n}\n";
}

} // namespace xapmqtt::bsc
