// Handing the process over to another program: the same process (its id, its open
// files, its parent) goes on running `path` with the given arguments.
#pragma once

#include <string>

namespace platform {

// True when `path` names a file this process may execute.
bool isExecutableFile(const std::string& path);

// Runs the executable `path` in place of this program with `argv` (argv[0] first, null
// at the end); every output stream is flushed first. Returns only when it could not,
// with the reason as the system words it.
std::string runInstead(const std::string& path, char* const argv[]);

} // namespace platform
