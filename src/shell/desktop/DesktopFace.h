// The desktop face: the tray icon and its menu, the remote-control window, the Setup
// form's window and the plug-in menu dialog. The program installs it when it runs
// with a display and a system tray; without them it runs as an xAP node alone.
#pragma once

namespace shell {

// Wires the desktop's steps into the program's hooks (tray preparation and updates,
// the tray callback, the plug-in menu dialog, the Setup form's window).
void installDesktopFace();

} // namespace shell
