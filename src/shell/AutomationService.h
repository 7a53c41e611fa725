// The automation interface of the running program: the host object, the start object
// and the host callback object served on D-Bus as org.tallis.Tallis
// (/org/tallis/Application, /org/tallis/FRH, /org/tallis/Setup), for outside clients.
//
// The bus is the session bus; TALLIS_BUS=system puts the service on the system bus (the
// system service), TALLIS_BUS=off leaves it off. Without a bus the program logs one
// line and runs as before.
#pragma once

namespace shell {

// Connects and exports; the service lives until the application object goes.
void startAutomationService();

} // namespace shell
