// Ids that go into MQTT topics and Home Assistant object ids: only [a-zA-Z0-9_-].
//
// The mapping is reversible: letters and digits stay, "." (the xAP address separator)
// becomes "-", and every other byte (including "-", "_", "+", "#", "/", blanks and any
// byte of a non-UTF-8 text) becomes "_" and two lowercase hex digits.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace xapmqtt {

std::string topicId(std::string_view text);
// The text a topicId came from; nothing when the id is not one topicId could write.
std::optional<std::string> fromTopicId(std::string_view id);

} // namespace xapmqtt
