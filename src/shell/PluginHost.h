// The plug-in host: creates the hosted plug-in from its class name, registers it with
// the host callback object, starts it, and creates it afresh when the watchdog finds it
// no longer answering.
//
// A class "hspi_Name.hspi" lives in the library hspi_Name.so in the base folder (the
// name is matched without regard to case); the library's entry points are declared in
// plugins/sdk/tallis/PluginApi.h.
#pragma once

#include "automation/Object.h"

#include <string>

namespace xap {
struct ProgramState;
}

namespace shell {

struct ShellState;

// The class the program hosts.
inline constexpr const char* kHostedPluginClass = "hspi_Audrey.hspi";

// A new object of a plug-in class. Raises vb::Error 429 with the reason (the loader's
// own message, a missing entry point, another object-model version, or what the
// library threw) when it cannot. The library is looked for in the program's base
// folder and kept in its shell state.
vb::Ref<vb::Object> createPluginObject(const std::string& className, const xap::ProgramState& program, ShellState& shell);

// Creates, registers and starts the hosted plug-in. A failure is reported as
// "Restart Plugin" in the log file, with its reason, and leaves the previous object.
void RestartPlugin(xap::ProgramState& program, ShellState& shell);
// True when the hosted plug-in was created but a later step of its start (its name,
// RegisterCallback, InitIO) failed: the watchdog starts it again.
bool pluginStartIncomplete(const ShellState& shell);

} // namespace shell
