// vbsrun's command line: options, then the script file, then the script's own
// arguments (taken as they stand, options or not).
#pragma once

#include "ExtraObjects.h"
#include "Runner.h"

#include <optional>
#include <vector>

namespace vbsrun {

// The script to run, or (help, version, a usage error: printed here) the exit status.
struct CommandLine {
    std::optional<RunOptions> run;
    int exitStatus = 0;
};

// Reads argv; the options of `extras` are read with the others, and each one given
// creates its object here.
CommandLine parseCommandLine(int argc, char** argv, const std::vector<ExtraObject>& extras);

// What both programs' main does: reads argv with `extras`, runs the script (messages on
// standard error) and returns the exit status, standard output flushed.
int runCommandLine(int argc, char** argv, const std::vector<ExtraObject>& extras);

} // namespace vbsrun
