// The one place that decides how the program meets the desktop: with a display and a
// system tray it runs as a desktop application with its tray icon; with a display but
// no tray (GNOME shows none) it shows its window instead of the icon; without a
// display it runs headless, as an xAP node alone.
#pragma once

#include <memory>

class QCoreApplication;

namespace shell {

struct ApplicationInstance {
    std::unique_ptr<QCoreApplication> app;
    bool headless = true;
    bool withoutTray = false; // a display, but no system tray
};

ApplicationInstance createApplication(int& argc, char** argv);

// The log line a headless start writes.
inline constexpr const char* kHeadlessNote = "No display or system tray: desktop face off, running as an xAP node only";
// The log line of a start on a desktop without a system tray.
inline constexpr const char* kWithoutTrayNote =
    "No system tray on this desktop: the remote-control window is shown instead of the tray icon";

} // namespace shell
