// The Audrey commands: one row per command member of the plug-in.
//
// A command goes to each selected Audrey as an "Audrey.Cmd" message with the items
// "Command" (the member name without its "Audrey" prefix) and "Value" (the further
// argument as text, absent when the command takes none).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace audrey {

enum class ValueKind {
    None,         // no further argument
    Word,         // one of the words in `allowed` ("on|off|blink"), compared without case
    Number,       // a whole number from `minimum` to `maximum`
    Text,         // any text
    OptionalText, // any text, or none
};

struct Command {
    std::string_view member;  // "AudreyTopLed"
    std::string_view command; // "TopLed"
    ValueKind kind;
    std::string_view allowed = {};
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;
};

inline constexpr std::size_t kCommandCount = 17;
std::span<const Command> commands();
const Command* findCommand(std::string_view commandName); // by "TopLed", case ignored

// Checks a value against the command's rule; returns the text to send, nothing when
// the value is not acceptable. `present` is false when no value was given.
std::optional<std::string> acceptValue(const Command& command, bool present, const std::string& value);

} // namespace audrey
