// The program's command line. The program is configured by its INI files; besides
// --help and --version it takes only --base DIR (or TALLIS_BASE), which names its base
// folder when the folder of the path it was started through should not be it (a
// service runs the installed program for an instance folder it does not own). It
// refuses anything else before it creates a folder or binds a socket.
#pragma once

#include <optional>
#include <string>

namespace shell {

struct CommandLine {
    std::optional<int> exitStatus; // set when the command line was handled (help, version or an error)
    std::string baseFolder;        // absolute; empty for the folder of the program
};

// Reads the arguments and TALLIS_BASE (`environmentBase`, null when unset).
CommandLine parseCommandLine(int argc, char** argv, const char* environmentBase);

} // namespace shell
