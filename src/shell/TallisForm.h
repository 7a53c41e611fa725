// TallisForm: the hidden main form everything hangs from. Its load is the program's
// start-up; it owns the xAP node, the tray-icon blink timer and the plug-in
// watchdog, receives the node's onMessage call and ends the program either by
// the tray menu's Exit (also taken on a stop request from the system) or by its own
// unload.
#pragma once

#include "ShellHooks.h"

#include "automation/MemberTable.h"
#include "platform/Timer.h"
#include "xap/XapNode.h"

#include <string>

namespace xap {
struct ProgramState;
}

namespace shell {

struct ShellState;

class TallisForm final : public vb::Dispatch<TallisForm> {
public:
    static const vb::MemberTable<TallisForm>& members();

    static constexpr const char* kCaption = "Tallis";
    static constexpr int kWatchdogMs = 60000;
    static constexpr int kBlinkMs = 200;
    // A start that did not complete is tried again after 1, 2, 4, ... watchdog ticks,
    // at most this many (60 s, 120 s, ... 10 min).
    static constexpr int kMaxRetryTicks = 10;

    // The form of the program whose states it is given (they outlive it).
    TallisForm(xap::ProgramState& program, ShellState& shell);
    ~TallisForm() override;

    // Start-up, in named steps (see the .cpp). Returns false when the node could not
    // bind or another program runs in the base folder: the program must end at once
    // (initError() holds the logged text); every other failure stops start-up at its
    // step, reported as "Main Load", and the program stays up.
    bool start();
    // The main form's unload: removes the tray icon, unloads the node, releases the host
    // object and ends the program.
    void unload();
    // The tray menu's Exit: the plug-in's ShutdownIO, release of the plug-in, the tray
    // and the node unloaded, then the start object released (host shutdown, devices
    // saved) and the program ended. Every step runs whatever the previous one did.
    void Exit();

    // Published members, called by name by the node and the tray.
    void onMessage();
    void SwapIcons();
    void TrayIconCallback(vb::Variant& msg);

    // The blink timer's end: the tray icon shows its normal picture again.
    void showNormalPicture();
    // The plug-in watchdog: a plug-in that does not answer its name is created afresh;
    // one that answers but whose start did not complete is started again with a
    // growing interval (each attempt logged once).
    void checkPlugin();

    bool DrainBusy() const { return drainBusy_; }
    const std::string& initError() const { return initError_; }
    xap::XapNode* node() const { return node_.get(); }
    platform::Timer& blinkTimer() { return blinkTimer_; }
    platform::Timer& watchdogTimer() { return watchdogTimer_; }
    void unloadNode();

private:
    xap::XapNode& requireNode() const;

    xap::ProgramState& program_;
    ShellState& shell_;
    vb::Ref<xap::XapNode> node_;
    platform::Timer blinkTimer_;
    platform::Timer watchdogTimer_;
    bool drainBusy_ = false;
    std::string initError_;
    // Retries of a plug-in start that did not complete: ticks to wait before the next
    // attempt, the wait after it fails again, and the attempts made so far.
    struct StartRetry {
        int ticksLeft = 1;
        int interval = 1;
        int attempts = 0;
    };
    StartRetry retry_;
};

// The program's main form (null before the start object loads it).
vb::Ref<TallisForm>& mainForm(ShellState& shell);

} // namespace shell
