// The xap tool's command line: which options each command takes, as a table.
#pragma once

#include "Commands.h"

#include <optional>
#include <string>

namespace xaptool {

// The commands an option applies to.
enum CommandBit : unsigned {
    kSend = 1,
    kListen = 2,
    kQueryEcho = 4,
    kQueryRole = 8,
    kQuery = kQueryEcho | kQueryRole,
    kEvery = kSend | kListen | kQuery,
};

struct CommandLine {
    std::string command; // "send", "listen" or "query"
    Options options;
};

// Parses argv into a command and its options. On --help or --version it prints to
// standard output and gives `exitStatus` 0; on an unknown or inapplicable option, a
// missing value or a bad number it prints the reason to standard error and gives 2.
struct ParseResult {
    std::optional<CommandLine> line;
    int exitStatus = 0;
};
ParseResult parseCommandLine(int argc, char** argv);

void printUsage(std::FILE* out);

} // namespace xaptool
