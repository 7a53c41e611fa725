// The infrared name dictionary: "LABEL BUTTON" -> "code index,zone", built from
// config/irlbl.cfg and config/irzones.cfg of the host's application folder.
//
// irlbl.cfg: lines 1 to 14 are the labels of devices 1 to 14; lines 33 to 536 are 14
// groups of 36 button names, group k belonging to device k; a button's code index is
// its line number minus 33, and an empty line is no button. irzones.cfg (optional):
// line k is the zone of device k; "17" or a text that is not a number counts as "0".
// Double quotes are dropped from every line of both files.
#pragma once

#include <string>
#include <unordered_map>

namespace xap {
struct ProgramState;
}

namespace services {

// Rebuilds `dictionary` from the two files; nothing when irlbl.cfg does not exist. A
// button that names a key already present is skipped, and an irzones.cfg with fewer
// than 14 lines gives zone "0" to the devices it lacks; each is reported once (through
// LogEvent) and the rest of the dictionary is built.
void setupIRDictionary(xap::ProgramState& program, std::unordered_map<std::string, std::string>& dictionary,
                       const std::string& appPath);

} // namespace services
