#include "ApplicationKind.h"

#include <QApplication>
#include <QSystemTrayIcon>

namespace shell {

ApplicationInstance createApplication(int& argc, char** argv)
{
    ApplicationInstance instance;
    const bool platformChosen = qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
    const bool x11 = qEnvironmentVariableIsSet("DISPLAY");
    const bool wayland = qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
    if (!platformChosen && !x11 && !wayland) {
        instance.app = std::make_unique<QCoreApplication>(argc, argv);
        return instance;
    }
    // A display that cannot be reached must not stop the node: fall back to the
    // off-screen platform.
    if (!platformChosen)
        qputenv("QT_QPA_PLATFORM", wayland ? "wayland;xcb;offscreen" : "xcb;offscreen");
    auto app = std::make_unique<QApplication>(argc, argv);
    app->setQuitOnLastWindowClosed(false);
    const QString platform = QGuiApplication::platformName();
    instance.headless = platform == "offscreen" || platform == "minimal";
    // A desktop without a tray still gets the program's window (and its menu).
    instance.withoutTray = !instance.headless && !QSystemTrayIcon::isSystemTrayAvailable();
    instance.app = std::move(app);
    return instance;
}

} // namespace shell
