// Reading keystrokes written in the send-keys notation that the host's Keys member takes:
// plain characters, "+" Shift, "^" Ctrl and "%" Alt for the next key or a group in
// parentheses, "~" for Enter, and braces for named keys and literal characters
// ({ENTER}, {F5}, {LEFT 3}, {+}, {{}).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace host {

// One step of a key sequence: text to type as it stands, or one key chord in X keysym
// names joined by "+" ("ctrl+shift+Home", "Return").
struct KeyStep {
    enum Kind { Type, Chord } kind = Type;
    std::string text;
    friend bool operator==(const KeyStep&, const KeyStep&) = default;
};

// Translates a send-keys text. Raises 5 "Invalid procedure call or argument" for text it
// cannot read (an unknown key name, an unclosed brace or parenthesis).
std::vector<KeyStep> parseSendKeys(std::string_view keys);

} // namespace host
