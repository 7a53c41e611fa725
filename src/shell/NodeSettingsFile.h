// The node's settings file, Config/vynXap.ini under the base folder: the program reads
// it at start-up and hands the values to the node and the log.
#pragma once

#include "xap/ProgramState.h"

#include <string>

namespace shell {

// The settings in the file; the defaults for what is missing. A file that exists but
// cannot be read, or that holds none of the [Interface] keys the node reads, leaves
// the defaults in force and is logged, as otherwise the node would quietly use
// addresses the user did not choose.
// What cannot be used is logged to `program`'s log file.
xap::NodeSettings readNodeSettings(xap::ProgramState& program, const std::string& baseFolder);

// Start-up's first step: the computer name, the base folder and the program path, the
// program's folders, then the node's settings read and handed down, all into `program`.
void readFoldersAndSettings(xap::ProgramState& program, const std::string& baseFolder, const std::string& programPath);

} // namespace shell
