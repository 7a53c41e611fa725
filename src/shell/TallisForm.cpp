#include "TallisForm.h"

#include "FRH.h"
#include "InboundDispatch.h"
#include "NodeSettingsFile.h"
#include "ShellState.h"

#include "platform/EmergencyReport.h"
#include "platform/ExecutablePath.h"
#include "xap/ProgramState.h"
#include "xap/Logging.h"

#include <algorithm>

namespace shell {

vb::Ref<TallisForm>& mainForm(ShellState& shell)
{
    return shell.mainForm;
}

const vb::MemberTable<TallisForm>& TallisForm::members()
{
    static const vb::MemberTable<TallisForm> table("TallisForm", {
        vb::method<&TallisForm::onMessage>("onMessage"),
        vb::method<&TallisForm::SwapIcons>("SwapIcons"),
        vb::method<&TallisForm::TrayIconCallback>("TrayIconCallback"),
    });
    return table;
}

TallisForm::TallisForm(xap::ProgramState& program, ShellState& shell)
    : program_(program)
    , shell_(shell)
    , blinkTimer_([this] { showNormalPicture(); })
    , watchdogTimer_([this] { checkPlugin(); })
{
}

TallisForm::~TallisForm()
{
    unloadNode();
}

xap::XapNode& TallisForm::requireNode() const
{
    if (!node_)
        vb::raiseError(vb::err::ObjectVariableNotSet);
    return *node_;
}

bool TallisForm::start()
{
    bool nodeBound = true;
    vb::trap(xap::writeLogFileReporter(program_), xap::kProgramName, "Main Load", [&] {
        // Hold back sending: nothing may go out before the node is ready.
        program_.xapReady = false;
        drainBusy_ = false;

        // Read the folders, the computer name and the node's settings.
        if (shell_.hooks.startup.initXap)
            shell_.hooks.startup.initXap();
        else
            readFoldersAndSettings(program_,
                                   shell_.chosenBaseFolder.empty() ? platform::executableFolder() : shell_.chosenBaseFolder,
                                   platform::executablePath());

        // Claim the base folder: a second program there ends here, before binding anything.
        if (shell_.hooks.startup.claimBaseFolder) {
            const std::string refusal = shell_.hooks.startup.claimBaseFolder();
            if (!refusal.empty()) {
                // Said on standard error only: the log belongs to the program running there.
                initError_ = refusal;
                nodeBound = false;
                return;
            }
        }

        // Create the node, with this form as the listener it calls by name.
        node_ = vb::make<xap::XapNode>(program_);
        node_->RegisterNewMessageCallback(vb::Ref<vb::Object>(this));

        // Give the node its identity (source before UID) and its addresses.
        node_->letXapSource("vyn.Audrey." + program_.machineName);
        node_->letXapUID("FF.0097:00");
        node_->letBroadcastAddress(program_.settings.broadcastAddress);
        node_->letInterfaceAddress(program_.settings.interfaceAddress);

        // Bind the node and send the first heartbeat; a node that cannot bind ends the program.
        const std::int32_t port = node_->Init();
        if (port > 0) {
            node_->SendHeartbeat(60);
            program_.xapReady = true;
            xap::LogEvent(program_, xap::kProgramName, "Using xAP port " + xap::numberText(port));
        } else {
            initError_ = "xAP Init Error " + xap::numberText(port) + " occurred";
            xap::WriteLogFile(program_, xap::kProgramName, initError_);
            nodeBound = false;
            return;
        }

        // Load the host, start the safeguards' watchdogs, save the RunAsXapNode setting and
        // start the plug-in.
        runStep(shell_.hooks.startup.loadSetupForm);
        runStep(shell_.hooks.startup.startWatchdogs);
        runStep(shell_.hooks.startup.saveRunAsXapNode);
        runStep(shell_.hooks.startup.restartPlugin);

        // Start the plug-in watchdog.
        watchdogTimer_.setInterval(kWatchdogMs);
        watchdogTimer_.setEnabled(true);

        // Start-up is complete: the plug-in has been loaded.
        program_.startupComplete = true;

        // Prepare the tray icon and show its normal picture.
        runStep(shell_.hooks.startup.prepareTray);
        showNormalPicture();
    });
    return nodeBound;
}

// ---- Inbound messages -----------------------------------------------------------------

void TallisForm::onMessage()
{
    // A nested call while a drain runs returns at once; the running loop reads the rest.
    if (drainBusy_)
        return;
    drainBusy_ = true;
    vb::trap(xap::writeLogFileReporter(program_), xap::kProgramName, "Main OnMessage", [&] {
        while (true) {
            const std::string raw = requireNode().GetMessage();
            if (raw.empty())
                break;
            ReadMessage(raw, program_, shell_);
        }
    });
    drainBusy_ = false;
}

// ---- Timers and the tray ------------------------------------------------------------------

void TallisForm::SwapIcons()
{
    blinkTimer_.setInterval(kBlinkMs);
    blinkTimer_.setEnabled(true);
    if (shell_.hooks.updateTrayIcon)
        shell_.hooks.updateTrayIcon(true, TrayPicture::Activity);
}

void TallisForm::showNormalPicture()
{
    if (shell_.hooks.updateTrayIcon)
        shell_.hooks.updateTrayIcon(true, TrayPicture::Normal);
    blinkTimer_.setEnabled(false);
}

void TallisForm::checkPlugin()
{
    // A plug-in that is missing or no longer answers its name is created afresh.
    const bool answered = vb::ignoreErrors([this] {
        vb::Ref<vb::Object> plugin = shell_.hooks.hostedPlugin ? shell_.hooks.hostedPlugin() : nullptr;
        if (!plugin)
            vb::raiseError(vb::err::ObjectVariableNotSet);
        platform::ActivityScope running("name");
        vb::getProperty(*plugin, "name");
    });
    if (!answered) {
        vb::clearCurrentFailure();
        xap::LogEvent(program_, xap::kProgramName, "Restarting vynAudrey");
        runStep(shell_.hooks.startup.restartPlugin);
        return;
    }
    auto incomplete = [this] { return shell_.hooks.pluginStartIncomplete && shell_.hooks.pluginStartIncomplete(); };
    if (!incomplete()) {
        retry_ = StartRetry{};
        return;
    }
    // It answers, but was never registered or started: left alone it would stay dead.
    if (--retry_.ticksLeft > 0)
        return;
    ++retry_.attempts;
    const int next = std::min(retry_.interval * 2, kMaxRetryTicks);
    xap::WriteLogFile(program_, xap::kProgramName, "Restarting vynAudrey: its last start did not complete (attempt " +
                                             std::to_string(retry_.attempts) + "; the next in " +
                                             std::to_string(next * kWatchdogMs / 1000) + " s if this one fails)");
    xap::LogEvent(program_, xap::kProgramName, "Restarting vynAudrey");
    runStep(shell_.hooks.startup.restartPlugin);
    if (incomplete()) {
        retry_.interval = next;
        retry_.ticksLeft = next;
    } else {
        retry_ = StartRetry{};
    }
}

void TallisForm::TrayIconCallback(vb::Variant& msg)
{
    if (!shell_.hooks.trayIconCallback)
        return;
    std::int32_t value = vb::CLng(msg);
    shell_.hooks.trayIconCallback(value);
    msg = vb::Variant(value);
}

// ---- The two ends --------------------------------------------------------------------------

void TallisForm::unloadNode()
{
    if (!node_)
        return;
    vb::Ref<xap::XapNode> node = std::move(node_);
    node->unload();
    // Without its node nothing can be sent: later messages (the reports of the final
    // save among them) wait as before start-up instead of failing in SendXap.
    program_.xapReady = false;
}

void TallisForm::Exit()
{
    ExitSteps& steps = shell_.hooks.exit;
    vb::ignoreErrors([&] { runStep(steps.shutdownPlugin); });
    vb::ignoreErrors([&] { runStep(steps.releasePlugin); });
    vb::ignoreErrors([&] { runStep(steps.unloadTray); });
    vb::ignoreErrors([&] { unloadNode(); });
    // Releasing the start object ends the program through its termination, unless
    // something else still holds it: then the main form's unload ends it.
    vb::ignoreErrors([&] { releaseStartObject(shell_); });
    if (!programEnded(shell_)) {
        vb::Ref<TallisForm> self(this);
        unload();
    }
}

void TallisForm::unload()
{
    if (programEnded(shell_))
        return;
    vb::ignoreErrors([&] {
        if (shell_.hooks.updateTrayIcon)
            shell_.hooks.updateTrayIcon(false, TrayPicture::None);
    });
    vb::ignoreErrors([&] { unloadNode(); });
    vb::ignoreErrors([&] { runStep(shell_.hooks.exit.releaseHostObject); });
    endProgram(shell_, 0);
}

} // namespace shell
