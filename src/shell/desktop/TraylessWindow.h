// The program's window on a desktop without a system tray (GNOME shows no tray
// icons): an ordinary window holding the remote-control picture, with the tray menu's
// commands in its menu bar. The first time it is shown it says why there is no icon.
// Closing it hides it; starting the program again shows it (over the bus).
#pragma once

#include <QMainWindow>

class QLabel;
class QMenu;

namespace remote {
class RemoteControlWindow;
}

namespace shell {

class TraylessWindow : public QMainWindow {
public:
    static constexpr const char* kTitle = "Tallis";
    static constexpr const char* kNote =
        "This desktop shows no tray icons, so Tallis shows this window instead of an icon. "
        "The Audrey menu above holds the tray menu's commands. Closing the window hides it; "
        "start Tallis again to bring it back.";

    // Holds `remote` (which stays owned by its owner) and shows `trayMenu` in the menu bar.
    TraylessWindow(remote::RemoteControlWindow& remote, QMenu& trayMenu);
    ~TraylessWindow() override;

    // Shows the window and brings it to the front; the note only the first time.
    void showInFront();
    bool noteShown() const;

private:
    remote::RemoteControlWindow& remote_;
    QLabel* note_ = nullptr;
    bool shownBefore_ = false;
};

} // namespace shell
