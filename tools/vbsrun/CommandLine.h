// vbsrun's command line: options, then the script file, then the script's own
// arguments (taken as they stand, options or not).
#pragma once

#include "Runner.h"

#include <optional>

namespace vbsrun {

// The script to run, or (help, version, a usage error: printed here) the exit status.
struct CommandLine {
    std::optional<RunOptions> run;
    int exitStatus = 0;
};

// Reads argv; the extra objects must be registered before (their options are read
// with the others, and each given one is created here).
CommandLine parseCommandLine(int argc, char** argv);

} // namespace vbsrun
