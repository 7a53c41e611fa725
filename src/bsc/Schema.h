// The xAP Basic Status and Control schema (BSC) as text: its classes, the blocks a
// controller sends (xAPBSC.cmd, xAPBSC.query) and those an endpoint reports
// (xAPBSC.event, xAPBSC.info), levels ("N/M", "N%"), endpoint numbers and the address
// matching BSC targets use.
//
// Plain values in, plain values out: nothing here knows the node or the host, so any
// xAP program of the project (the endpoints of the node, a bridge reading them) can use
// it. Every parser takes hostile text: it never throws and says what was wrong.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace bsc {

inline constexpr std::string_view kCmdClass = "xAPBSC.cmd";
inline constexpr std::string_view kQueryClass = "xAPBSC.query";
inline constexpr std::string_view kEventClass = "xAPBSC.event";
inline constexpr std::string_view kInfoClass = "xAPBSC.info";
inline constexpr std::string_view kQueryBlock = "request";

// The items of one block, keys and values as they stood (keys compare without regard
// to case).
using Item = std::pair<std::string, std::string>;
using Items = std::vector<Item>;

// The value of the first item named `key` (case ignored), or nothing.
std::optional<std::string> itemValue(const Items& items, std::string_view key);

// ---- state ----

// Toggle appears in commands only; Unknown ("?") in reports only.
enum class State { Off, On, Toggle, Unknown };
std::string_view stateText(State state); // "off", "on", "toggle", "?"
// "on", "off", "toggle" (when allowed) or "?" (when allowed), any letter case, blanks
// around ignored.
std::optional<State> parseState(std::string_view text, bool commandForm);

// ---- level ----

// A level as BSC writes it: value out of range ("40/100"), or unknown ("?/255").
struct Level {
    std::uint32_t value = 0;
    std::uint32_t range = 100;
    bool known = true;
    bool operator==(const Level&) const = default;
};
// Largest range accepted; larger ones are refused as malformed.
inline constexpr std::uint32_t kMaxLevelRange = 1000000;
// "N/M" (0 <= N <= M, 0 < M), "N%" (0 to 100, decimals allowed) or "?/M". "N%" reads
// as N/100 rounded half up. Anything else, and values beyond the range, give nothing.
std::optional<Level> parseLevel(std::string_view text);
// "N/M", or "?/M" for an unknown level.
std::string formatLevel(const Level& level);
// The level in percent, rounded half up (0 for an unknown level).
int percentOf(const Level& level);
// A percentage (clamped to 0..100) as N/100.
Level levelFromPercent(long percent);

// ---- endpoint numbers (the part after the colon of a sub-UID) ----

inline constexpr int kFirstEndpoint = 0x01;
inline constexpr int kLastEndpoint = 0xFE;
// Two upper-case hex digits: 5 -> "05".
std::string endpointNumberText(int number);
// One or two hex digits naming 01..FE; nothing otherwise.
std::optional<int> parseEndpointNumber(std::string_view text);
// The UID of an endpoint: the node's UID with its last two characters replaced by the
// number ("FF.0097:00", 5 -> "FF.0097:05").
std::string endpointUid(std::string_view nodeUid, int number);

// ---- commands ----

// "output.state" or "output.state.N" (N digits), any letter case: a block a command
// acts on. Other blocks of a cmd are not for BSC endpoints and are passed over.
bool isCommandBlock(std::string_view blockName);

// One command block: which endpoints ("*" or a number) and what to change. A block with
// nothing to change is valid: the endpoints answer with their state.
struct Command {
    bool allEndpoints = false;
    int endpoint = 0; // when not allEndpoints
    std::optional<State> state; // On, Off or Toggle
    std::optional<Level> level;
    std::optional<std::string> text;
    bool selects(int endpointNumber) const { return allEndpoints || endpoint == endpointNumber; }
    bool operator==(const Command&) const = default;
};
struct CommandParse {
    std::optional<Command> command;
    std::string error; // why the block is malformed, when there is no command
};
CommandParse parseCommand(const Items& items);
// The items of a command block as a controller sends them: id, then state, level and
// text when set (a text on one line).
Items commandItems(const Command& command);
// The name of the n-th command block of a cmd (from 1): "output.state.n".
std::string commandBlockName(int n);

// ---- reports (event and info) ----

struct Status {
    bool input = false; // a sensor: "input.state"; else "output.state"
    State state = State::Unknown;
    std::optional<Level> level;            // level endpoints
    std::optional<std::string> text;       // text endpoints
    std::optional<std::string> displayText;
    bool operator==(const Status&) const = default;
};
// Texts longer than this are cut (at a character boundary) in reports, so that a report
// with both texts stays within the 1500 bytes every xAP program reads.
inline constexpr std::size_t kMaxReportText = 500;
std::string_view statusBlockName(const Status& status);
// The report's items in the order state, level, text, displaytext. Line breaks in texts
// become blanks, so no text can add lines to the message.
Items statusItems(const Status& status);
// Reads an event or info block (for programs that follow endpoints): nothing when the
// block is not a state block or its state or level is malformed.
std::optional<Status> parseStatus(std::string_view blockName, const Items& items);

// ---- addresses ----

// Whether a BSC target addresses an endpoint's address ("vendor.device.instance:sub").
// Parts are "."-separated and compared without regard to case; "*" matches one part,
// ">" the rest (in the main part, the sub-address too). A target without a sub-address
// addresses every endpoint of the node it names.
bool targetMatches(std::string_view target, std::string_view endpointAddress);

// Whether a text may stand as a sub-address: printable ASCII without the characters
// that structure addresses and messages (". : * > = ; { }" and blanks).
bool isSubAddressText(std::string_view text);

} // namespace bsc
