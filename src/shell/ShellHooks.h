// The program's steps that belong to subsystems outside the main form: the host core,
// the plug-in host, the tray. They are kept in the program's shell state
// (ShellState.h). The program's instance wires them; until a subsystem is
// wired its steps do nothing, so the start-up order and both ways out stay in one
// place (TallisForm) whatever is present.
#pragma once

#include "automation/Object.h"

#include <cstdint>
#include <functional>
#include <string>

namespace shell {

// The two pictures of the tray icon (normal, and shown on activity), or none.
enum class TrayPicture { None, Normal, Activity };

// Start-up steps of the main form's load that other subsystems perform.
struct StartupSteps {
    std::function<void()> initXap;          // read folders and settings: folders, computer name, vynXap.ini
    // After reading the settings: takes the base folder for this program; a text (the reason) when another
    // program runs there, and start-up then ends as a node that cannot bind does.
    std::function<std::string()> claimBaseFolder;
    std::function<void()> loadSetupForm;    // load the host: host state, the Application object, saved devices
    std::function<void()> startWatchdogs;   // after loading the host: stall watchdog and device checkpoints
    std::function<void()> saveRunAsXapNode; // "Audrey Utilities"/"RunAsXapNode" = "yes" in vynAudreyUtilities.ini
    std::function<void()> restartPlugin;    // create and start the plug-in (also called by the watchdog)
    std::function<void()> prepareTray;      // tray icon picture, caption "Audrey", callback = main form
};

// The steps of the two ways the program ends.
struct ExitSteps {
    std::function<void()> shutdownPlugin;         // the plug-in's ShutdownIO
    std::function<void()> releasePlugin;          // let go of the plug-in object
    std::function<void()> unloadTray;             // its unload removes the icon
    std::function<void()> unloadSetupForm;        // host shutdown: saves the devices
    std::function<void()> unloadPluginMenuDialog; // the plug-in menu dialog
    std::function<void()> releaseHostObject;      // the Application object (main form unload)
};

struct ShellHooks {
    StartupSteps startup;
    ExitSteps exit;
    // The hosted plug-in, or null when none is loaded.
    std::function<vb::Ref<vb::Object>()> hostedPlugin;
    // True when the plug-in's last start did not complete (created, then a step failed).
    std::function<bool()> pluginStartIncomplete;
    // The tray form's Update: show or change the icon (iconOn) or remove it.
    std::function<void(bool iconOn, TrayPicture picture)> updateTrayIcon;
    // The tray's mouse notifications, forwarded by the main form.
    std::function<void(std::int32_t& msg)> trayIconCallback;
    // FRH: creation clears the X10 command codes; interface runs the host start-up;
    // Menu opens the plug-in menu dialog.
    std::function<void()> clearX10CommandCodes;
    std::function<void()> hostStartup;
    std::function<void()> showPluginMenu;
    // Shows the program's window and brings it to the front (a desktop without a
    // tray; a second start asks the running program for it over the bus).
    std::function<void()> showDesktopWindow;
    // Ends the program's event loop with a status.
    std::function<void(int status)> endEventLoop;
};

// Runs a step when it is wired.
inline void runStep(const std::function<void()>& step)
{
    if (step)
        step();
}

struct ShellState;

// Ends the program whose shell state is given: from here on no unload or termination
// handler runs.
void endProgram(ShellState& shell, int status);
bool programEnded(const ShellState& shell);
int exitStatus(const ShellState& shell);
// Makes a program that ended able to start again in the same process (tests do).
void resetProgramEnd(ShellState& shell);

} // namespace shell
