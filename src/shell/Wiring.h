// Joins the subsystems to the main form's steps: the host core (Setup form), the plug-in
// host, and both ways the program ends.
#pragma once

namespace shell {

void wireSubsystems();

} // namespace shell
