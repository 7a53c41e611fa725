// Runs one script file the way vbsrun does: reads it, adds WScript and the extra
// named objects, runs it, and prints each error as one line
// "file.vbs(line, column) runtime error N: Description".
#pragma once

#include "automation/Object.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace vbsrun {

struct RunOptions {
    std::string scriptPath;
    std::vector<std::string> arguments;
    std::int32_t timeoutMs = -1; // no limit
    std::vector<std::pair<std::string, std::pair<vb::Ref<vb::Object>, bool>>> namedObjects;
};

// Returns the exit code: 0, the code given to WScript.Quit, or 1 after an error.
int runScript(const RunOptions& options, std::ostream& errors);

} // namespace vbsrun
