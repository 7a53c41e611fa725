// Values shared across the program from start-up on (one per program).
#pragma once

#include <string>

namespace xap {

// Set by InitXap.
extern std::string MachineName;      // computer name
extern std::string BaseFolder;       // folder of the executable, no trailing "/"
extern std::string ProgramPath;      // full path of the executable
extern std::string InterfaceSetting; // [Interface] InterfaceAddress of vynXap.ini
extern std::string BroadcastSetting; // [Interface] BroadcastAddress of vynXap.ini

// The node's identity and the send path's state.
extern std::string XapSource;    // "vyn.Audrey." + MachineName once start-up set it
extern std::string XapUID;       // "FF.0097:00" once start-up set it
extern std::string XapTarget;    // stored and returned only
extern std::string XapClass;     // stored and returned only
extern std::string HeaderPrefix; // first lines of every message, up to "uid="
extern bool XapReady;            // True once the node is initialised
extern bool StartupComplete;     // True once start-up has loaded the plug-in

// The program's name as its reports carry it.
inline constexpr const char* kProgramName = "raruveViziva";

} // namespace xap
