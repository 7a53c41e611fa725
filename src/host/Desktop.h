// The desktop services of the host's Keys and Launch members.
#pragma once

#include <cstdint>
#include <string>

namespace host {

// Starts `program` directly (no shell) with `parameters` split as a command line
// (blanks separate arguments, double quotes group them) and returns its process id.
// Raises 53 "File not found" when the program cannot be started.
std::int64_t launchProgram(const std::string& program, const std::string& parameters);

// Brings the window titled `title` to the front and sends `keys` (send-keys notation)
// to it; each step is handed over synchronously, so the keys have been delivered when
// this returns. Does nothing where no desktop tool for it is available (no display, or no
// xdotool); raises 5 for keys it cannot read.
void sendKeys(const std::string& keys, const std::string& title);

} // namespace host
