// Notices about the program's saved state that a person must see even when nobody
// listens to xAP: a device file that could not be read, a file that could not be
// saved and when it is saved again. The program sends them to its log file and to
// standard error; until a writer is set they go to standard error alone.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace services {

struct IniState;

// Where a program's notices go (its INI state's noticeWriter; null: standard error).
using NoticeWriter = std::function<void(std::string_view text)>;
// Writes one notice of the program whose INI state is given.
void stateNotice(const IniState& state, std::string_view text);

// A failure's reason without the path that ends it: ("/a/b", "Disk full: /a/b") gives
// "Disk full"; a reason that does not end so is returned whole.
std::string reasonWithoutPath(const std::string& path, const std::string& reason);

} // namespace services
