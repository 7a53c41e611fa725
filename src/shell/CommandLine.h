// The program's command line. The program is configured by its INI files and takes no
// arguments; it answers --help and --version and refuses anything else before it
// creates a folder or binds a socket.
#pragma once

#include <optional>

namespace shell {

// The exit status when the command line was handled (help, version or an error),
// nothing when the program should run.
std::optional<int> handleCommandLine(int argc, char** argv);

} // namespace shell
