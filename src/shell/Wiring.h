// Joins the subsystems to the main form's steps: the host core (Setup form), the plug-in
// host, and both ways the program ends.
#pragma once

namespace services {
class HostScripts;
}
namespace xap {
struct ProgramState;
}

namespace shell {

struct ShellState;

// Into the steps of the program whose states are given (they outlive the steps).
// `scripts` becomes the script service of the shell's host; its owner keeps it while
// the host lives.
void wireSubsystems(xap::ProgramState& program, ShellState& shell, services::HostScripts& scripts);

} // namespace shell
