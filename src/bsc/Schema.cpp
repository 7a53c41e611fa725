#include "Schema.h"

#include "base/AsciiText.h"

#include <algorithm>
#include <charconv>

namespace bsc {

namespace {

using ascii::equalsIgnoreCase;

std::string_view trimmed(std::string_view text)
{
    return ascii::trim(text, ascii::kBlanksAndCr);
}

bool allDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<std::uint32_t> unsignedNumber(std::string_view text)
{
    if (!allDigits(text) || text.size() > 9)
        return std::nullopt;
    std::uint32_t n = 0;
    std::from_chars(text.data(), text.data() + text.size(), n);
    return n;
}

// A report text on one line and within the size every reader takes.
std::string reportText(std::string_view text)
{
    std::string out(text.substr(0, kMaxReportText));
    if (text.size() > kMaxReportText) {
        // Do not end inside a UTF-8 sequence.
        std::size_t end = out.size();
        std::size_t back = 0;
        while (end > 0 && back < 4 && (static_cast<unsigned char>(out[end - 1]) & 0xC0) == 0x80) {
            --end;
            ++back;
        }
        if (end > 0 && static_cast<unsigned char>(out[end - 1]) >= 0xC0)
            out.resize(end - 1);
    }
    std::replace_if(out.begin(), out.end(), [](char c) { return c == '\n' || c == '\r' || c == '\0'; }, ' ');
    return out;
}

enum class PartMatch { No, Yes, Rest };

// Part-wise match of two dotted texts: ">" on either side matches the rest.
PartMatch matchParts(std::string_view pattern, std::string_view address)
{
    const std::vector<std::string_view> p = ascii::split(pattern, '.');
    const std::vector<std::string_view> a = ascii::split(address, '.');
    const std::size_t n = std::min(p.size(), a.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (p[i] == ">" || a[i] == ">")
            return PartMatch::Rest;
        if (p[i] != "*" && a[i] != "*" && !equalsIgnoreCase(p[i], a[i]))
            return PartMatch::No;
    }
    return p.size() == a.size() ? PartMatch::Yes : PartMatch::No;
}

} // namespace

std::optional<std::string> itemValue(const Items& items, std::string_view key)
{
    for (const Item& item : items)
        if (equalsIgnoreCase(trimmed(item.first), key))
            return item.second;
    return std::nullopt;
}

// ---- state ----

std::string_view stateText(State state)
{
    switch (state) {
    case State::Off:
        return "off";
    case State::On:
        return "on";
    case State::Toggle:
        return "toggle";
    case State::Unknown:
        break;
    }
    return "?";
}

std::optional<State> parseState(std::string_view text, bool commandForm)
{
    text = trimmed(text);
    if (equalsIgnoreCase(text, "on"))
        return State::On;
    if (equalsIgnoreCase(text, "off"))
        return State::Off;
    if (commandForm && equalsIgnoreCase(text, "toggle"))
        return State::Toggle;
    if (!commandForm && text == "?")
        return State::Unknown;
    return std::nullopt;
}

// ---- level ----

std::optional<Level> parseLevel(std::string_view text)
{
    text = trimmed(text);
    if (!text.empty() && text.back() == '%') {
        std::string_view number = trimmed(text.substr(0, text.size() - 1));
        const std::size_t point = number.find('.');
        const std::string_view whole = number.substr(0, point);
        const std::string_view fraction = point == std::string_view::npos ? std::string_view() : number.substr(point + 1);
        if (!allDigits(whole) || (point != std::string_view::npos && !allDigits(fraction)))
            return std::nullopt;
        const std::optional<std::uint32_t> percent = whole.size() <= 3 ? unsignedNumber(whole) : std::nullopt;
        if (!percent || *percent > 100)
            return std::nullopt;
        std::uint32_t value = *percent;
        if (!fraction.empty() && fraction[0] >= '5' && value < 100)
            ++value; // half up
        if (*percent == 100 && fraction.find_first_not_of('0') != std::string_view::npos)
            return std::nullopt; // above 100%
        return Level{value, 100, true};
    }
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos)
        return std::nullopt;
    const std::optional<std::uint32_t> range = unsignedNumber(trimmed(text.substr(slash + 1)));
    if (!range || *range == 0 || *range > kMaxLevelRange)
        return std::nullopt;
    const std::string_view numerator = trimmed(text.substr(0, slash));
    if (numerator == "?")
        return Level{0, *range, false};
    const std::optional<std::uint32_t> value = unsignedNumber(numerator);
    if (!value || *value > *range)
        return std::nullopt;
    return Level{*value, *range, true};
}

std::string formatLevel(const Level& level)
{
    return (level.known ? std::to_string(level.value) : std::string("?")) + "/" + std::to_string(level.range);
}

int percentOf(const Level& level)
{
    if (!level.known || level.range == 0)
        return 0;
    const std::uint64_t scaled = static_cast<std::uint64_t>(level.value) * 200 + level.range;
    return static_cast<int>(std::min<std::uint64_t>(scaled / (2ull * level.range), 100));
}

Level levelFromPercent(long percent)
{
    return Level{static_cast<std::uint32_t>(std::clamp(percent, 0L, 100L)), 100, true};
}

// ---- endpoint numbers ----

std::string endpointNumberText(int number)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text(2, '0');
    text[0] = kHex[(number >> 4) & 0xF];
    text[1] = kHex[number & 0xF];
    return text;
}

std::optional<int> parseEndpointNumber(std::string_view text)
{
    text = trimmed(text);
    if (text.empty() || text.size() > 2)
        return std::nullopt;
    int n = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n, 16);
    if (error != std::errc() || end != text.data() + text.size() || n < kFirstEndpoint || n > kLastEndpoint)
        return std::nullopt;
    return n;
}

std::string endpointUid(std::string_view nodeUid, int number)
{
    const std::string_view stem = nodeUid.size() >= 2 ? nodeUid.substr(0, nodeUid.size() - 2) : std::string_view();
    return std::string(stem) + endpointNumberText(number);
}

// ---- commands ----

bool isCommandBlock(std::string_view blockName)
{
    constexpr std::string_view kStem = "output.state";
    if (blockName.size() < kStem.size() || !equalsIgnoreCase(blockName.substr(0, kStem.size()), kStem))
        return false;
    const std::string_view rest = blockName.substr(kStem.size());
    return rest.empty() || (rest[0] == '.' && allDigits(rest.substr(1)));
}

CommandParse parseCommand(const Items& items)
{
    CommandParse out;
    Command command;
    const std::optional<std::string> id = itemValue(items, "id");
    if (!id) {
        out.error = "no id";
        return out;
    }
    if (trimmed(*id) == "*") {
        command.allEndpoints = true;
    } else if (const std::optional<int> number = parseEndpointNumber(*id)) {
        command.endpoint = *number;
    } else {
        out.error = "id=" + reportText(trimmed(*id).substr(0, 16)) + " is neither * nor an endpoint number 01 to FE";
        return out;
    }
    if (const std::optional<std::string> state = itemValue(items, "state")) {
        command.state = parseState(*state, true);
        if (!command.state) {
            out.error = "state=" + reportText(trimmed(*state).substr(0, 16)) + " is not on, off or toggle";
            return out;
        }
    }
    if (const std::optional<std::string> level = itemValue(items, "level")) {
        command.level = parseLevel(*level);
        if (!command.level || !command.level->known) {
            out.error = "level=" + reportText(trimmed(*level).substr(0, 16)) + " is neither N/M nor N%";
            return out;
        }
    }
    if (const std::optional<std::string> text = itemValue(items, "text"))
        command.text = *text;
    out.command = std::move(command);
    return out;
}

Items commandItems(const Command& command)
{
    Items items;
    items.emplace_back("id", command.allEndpoints ? std::string("*") : endpointNumberText(command.endpoint));
    if (command.state)
        items.emplace_back("state", std::string(stateText(*command.state)));
    if (command.level)
        items.emplace_back("level", formatLevel(*command.level));
    if (command.text) {
        std::string text = *command.text;
        std::replace_if(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r' || c == '\0'; }, ' ');
        items.emplace_back("text", std::move(text));
    }
    return items;
}

std::string commandBlockName(int n)
{
    return "output.state." + std::to_string(n);
}

// ---- reports ----

std::string_view statusBlockName(const Status& status)
{
    return status.input ? "input.state" : "output.state";
}

Items statusItems(const Status& status)
{
    Items items;
    items.emplace_back("state", std::string(stateText(status.state == State::Toggle ? State::Unknown : status.state)));
    if (status.level)
        items.emplace_back("level", formatLevel(*status.level));
    if (status.text)
        items.emplace_back("text", reportText(*status.text));
    if (status.displayText)
        items.emplace_back("displaytext", reportText(*status.displayText));
    return items;
}

std::optional<Status> parseStatus(std::string_view blockName, const Items& items)
{
    Status status;
    if (equalsIgnoreCase(blockName, "input.state"))
        status.input = true;
    else if (!equalsIgnoreCase(blockName, "output.state"))
        return std::nullopt;
    if (const std::optional<std::string> state = itemValue(items, "state")) {
        const std::optional<State> parsed = parseState(*state, false);
        if (!parsed)
            return std::nullopt;
        status.state = *parsed;
    }
    if (const std::optional<std::string> level = itemValue(items, "level")) {
        status.level = parseLevel(*level);
        if (!status.level)
            return std::nullopt;
    }
    status.text = itemValue(items, "text");
    status.displayText = itemValue(items, "displaytext");
    return status;
}

// ---- addresses ----

bool targetMatches(std::string_view target, std::string_view endpointAddress)
{
    if (target.empty() || endpointAddress.empty())
        return false;
    const std::size_t targetColon = target.find(':');
    const std::size_t addressColon = endpointAddress.find(':');
    const PartMatch main = matchParts(target.substr(0, targetColon), endpointAddress.substr(0, addressColon));
    if (main != PartMatch::Yes)
        return main == PartMatch::Rest;
    if (targetColon == std::string_view::npos)
        return true; // the node as a whole: every endpoint
    if (addressColon == std::string_view::npos)
        return false;
    return matchParts(target.substr(targetColon + 1), endpointAddress.substr(addressColon + 1)) != PartMatch::No;
}

bool isSubAddressText(std::string_view text)
{
    if (text.empty())
        return false;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u >= 0x7F)
            return false;
        if (std::string_view(".:*>=;{}").find(c) != std::string_view::npos)
            return false;
    }
    return true;
}

} // namespace bsc
