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
    kBsc = 16,
    kBscQuery = 32,
    kBscAny = kBsc | kBscQuery,
    kEvery = kSend | kListen | kQuery | kBscAny,
};

struct CommandLine {
    std::string command; // "send", "listen", "query", "bsc" or "bsc-query"
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
