// Joins the subsystems to the main form's steps: the host core (Setup form), the plug-in
// host, and both ways the program ends.
#pragma once

namespace services {
class HostScripts;
}

namespace shell {

// `scripts` becomes the host's script service; its owner keeps it while the host lives.
void wireSubsystems(services::HostScripts& scripts);

} // namespace shell
