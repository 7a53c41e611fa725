// The desktop face: the tray icon and its menu, the remote-control window, the Setup
// form's window and the plug-in menu dialog. The program installs it when it runs
// with a display; without one it runs as an xAP node alone. On a desktop without a
// system tray the icon's place is taken by an ordinary window (TraylessWindow).
#pragma once

#include "HostDialogContext.h"
#include "NotificationArea.h"
#include "ScriptDialogs.h"
#include "SetupFormWindow.h"
#include "TrayIcon.h"
#include "TrayMenu.h"
#include "TraylessWindow.h"

#include "shell/ShellHooks.h"

#include <QIcon>
#include <QPointer>

#include <cstdint>
#include <memory>
#include <string>

namespace remote {
class Prompter;
class RemoteControlWindow;
} // namespace remote

namespace services {
class SetupDialog;
}
namespace vbscript {
class LibraryState;
}
namespace xap {
struct ProgramState;
}

namespace shell {

struct ShellState;

class DesktopFace {
public:
    struct Parts {
        std::unique_ptr<NotificationArea> area;          // the running desktop's when null
        std::shared_ptr<remote::Prompter> prompter;      // Qt's input and message boxes when null
        HostDialogContext::PluginFactory pluginFactory;  // the plug-in host's when empty
        vbscript::LibraryState* scripts = nullptr;       // the engine whose MsgBox and InputBox show dialogs
    };

    // The face of the program whose states are given (they outlive it); on a desktop
    // without a system tray when `withoutTray`.
    DesktopFace(xap::ProgramState& program, ShellState& shell, Parts parts, bool withoutTray = false);
    DesktopFace(xap::ProgramState& program, ShellState& shell);
    // Takes the face's steps out of the program's hooks again.
    ~DesktopFace();
    DesktopFace(const DesktopFace&) = delete;
    DesktopFace& operator=(const DesktopFace&) = delete;

    // Puts the face's steps into the program's hooks and the Setup form's window hooks,
    // and its dialogs into the scripts' engine.
    void install();

    // The steps, as the hooks run them.
    void prepareTray();
    void updateTrayIcon(bool iconOn, TrayPicture picture);
    void unloadTray();
    // The main form's TrayIconCallback: a left click (514) fills the Audrey names into
    // the remote-control window and shows it on top; a right click (517) pops up the
    // tray menu at the pointer. Raises what the plug-in raises (the tray drops it).
    void trayIconCallback(std::int32_t& msg);
    // Opens the plug-in menu dialog modeless, or brings the open one to the front.
    void showPluginMenuDialog();
    // Closes the plug-in menu dialog (writing its settings) when it is open.
    void unloadPluginMenuDialog();
    void setupCaptionChanged(const std::string& caption);
    // Shows the program's window in front: the ordinary window on a desktop without a
    // tray, the remote-control window (as the tray's left click does) otherwise.
    void showDesktopWindow();

    TrayIcon& trayIcon() { return trayIcon_; }
    TrayMenu& trayMenu() { return trayMenu_; }
    // The remote-control window, loaded on its first use.
    remote::RemoteControlWindow& remoteWindow();
    remote::RemoteControlWindow* loadedRemoteWindow() const { return remoteWindow_.get(); }
    // The window standing in for the tray icon, once shown (null with a tray).
    TraylessWindow* traylessWindow() const { return traylessWindow_.get(); }
    bool withoutTray() const { return withoutTray_; }
    // The open plug-in menu dialog, or null.
    services::SetupDialog* pluginMenuDialog() const;
    SetupFormWindow& setupFormWindow() { return setupWindow_; }
    HostDialogContext& dialogContext() { return dialogContext_; }
    // The tray icon's two pictures: normal, and shown for a moment on activity.
    const QIcon& normalPicture() const { return normalPicture_; }
    const QIcon& activityPicture() const { return activityPicture_; }

private:
    ShellState& shell_;
    QIcon normalPicture_;
    QIcon activityPicture_;
    std::shared_ptr<remote::Prompter> prompter_;
    HostDialogContext dialogContext_;
    TrayIcon trayIcon_;
    TrayMenu trayMenu_;
    SetupFormWindow setupWindow_;
    ScriptDialogs scriptDialogs_;
    vbscript::LibraryState* scripts_;
    std::unique_ptr<remote::RemoteControlWindow> remoteWindow_;
    std::unique_ptr<TraylessWindow> traylessWindow_; // goes before the picture it holds
    QPointer<services::SetupDialog> dialog_;
    bool installed_ = false;
    bool withoutTray_ = false;
    bool iconPlaceShown_ = false; // the window standing in for the icon was shown once
};

// Creates the desktop face of the program whose states are given (on a desktop without
// a system tray when `withoutTray`) and installs it, with its dialogs for the scripts of
// `scripts`' engine; its owner keeps it while the application object and that engine exist.
std::unique_ptr<DesktopFace> installDesktopFace(xap::ProgramState& program, ShellState& shell, bool withoutTray,
                                                vbscript::LibraryState& scripts);

} // namespace shell
