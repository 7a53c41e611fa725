// The one place that decides how the program meets the desktop: with a display and a
// system tray it runs as a desktop application; without either it runs headless, as
// an xAP node alone.
#pragma once

#include <memory>

class QCoreApplication;

namespace shell {

struct ApplicationInstance {
    std::unique_ptr<QCoreApplication> app;
    bool headless = true;
};

ApplicationInstance createApplication(int& argc, char** argv);

// The log line a headless start writes.
inline constexpr const char* kHeadlessNote = "No display or system tray: desktop face off, running as an xAP node only";

} // namespace shell
