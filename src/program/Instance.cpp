#include "Instance.h"

#include "shell/DesktopWindow.h"
#include "shell/FRH.h"
#include "shell/ShellHooks.h"
#include "shell/TallisForm.h"
#include "shell/Wiring.h"
#include "shell/desktop/DesktopFace.h"

#include "bsc/EndpointService.h"
#include "platform/service/ServiceManager.h"
#include "services/Setup.h"
#include "tallis/Version.h"
#include "vbscript/ScriptControl.h"
#include "xap/Logging.h"

#include <QCoreApplication>

#include <iostream>

namespace program {

namespace {

// The status of a program whose devices could not be saved at its end (EX_IOERR).
constexpr int kSaveFailedStatus = 74;

bool alreadyRunning(const std::string& reason)
{
    return reason.rfind("already running in ", 0) == 0;
}

} // namespace

Instance::Instance(int& argc, char** argv, std::string baseFolder)
    : hostScripts_(state_)
    , application_(shell::createApplication(argc, argv))
    , automation_(state_, shell_, sentWork_)
    , safeguards_(state_, services_, &boundedWork_)
{
    shell_.chosenBaseFolder = std::move(baseFolder);
}

Instance::~Instance()
{
    // The endpoints' timers go while the application object exists.
    shell_.endpoints = nullptr;
    endpoints_.reset();
}

int Instance::run()
{
    wireSubsystems();
    takeStopRequests();
    if (!application_.headless)
        installDesktop();
    if (!startMainForm())
        return refuseToStart();
    reportStart();
    if (shell::programEnded(shell_))
        return finish(shell::exitStatus(shell_));
    startServices();
    const int status = application_.app->exec();
    platform::notifyStopping();
    return finish(shell::programEnded(shell_) ? shell::exitStatus(shell_) : status);
}

// The host core, the plug-in host and both ends joined to the main form's steps; the
// safeguards' steps; the event loop's end.
void Instance::wireSubsystems()
{
    shell::wireSubsystems(state_, shell_, hostScripts_);
    hostScripts_.setWorkAllowance(&boundedWork_);
    shell::ShellHooks& hooks = shell_.hooks;
    hooks.startup.claimBaseFolder = [this] { return safeguards_.claimBaseFolder(); };
    hooks.startup.startWatchdogs = [this] { safeguards_.startWatchdogs(); };
    hooks.endEventLoop = [](int status) { QCoreApplication::exit(status); };
}

// A stop request from the system takes the same path as the tray menu's Exit, so the
// plug-in is shut down and the devices are saved.
void Instance::takeStopRequests()
{
    stopRequests_.emplace([this] {
        if (shell::programEnded(shell_))
            return;
        platform::notifyStopping();
        if (vb::Ref<shell::TallisForm> form = shell_.mainForm)
            form->Exit();
        else
            shell::endProgram(shell_, 0);
    });
}

void Instance::installDesktop()
{
    desktop_ = shell::installDesktopFace(state_, shell_, application_.withoutTray, hostScripts_.engine().library());
}

// The start object loads the main form, whose load is the program's start-up: the
// folders and settings, the base folder's lock, the node, the host and the plug-in.
bool Instance::startMainForm()
{
    return shell::Main(state_, shell_);
}

void Instance::reportStart()
{
    xap::WriteLogFile(state_, xap::kProgramName, std::string("Tallis ") + TALLIS_VERSION + " started in " + state_.baseFolder);
    if (application_.headless)
        xap::WriteLogFile(state_, xap::kProgramName, shell::kHeadlessNote);
    else if (application_.withoutTray)
        xap::WriteLogFile(state_, xap::kProgramName, shell::kWithoutTrayNote);
}

// The bus service and the BSC endpoints. The node's socket is bound and the plug-in
// created: a service that waits for this one (After=) may start now.
void Instance::startServices()
{
    automation_.start();
    endpoints_ = bsc::startEndpointService(state_, hostRegistry_);
    shell_.endpoints = endpoints_.get();
    platform::notifyReady("serving xAP from " + state_.baseFolder);
}

int Instance::refuseToStart()
{
    const std::string text = shell_.mainForm ? shell_.mainForm->initError() : std::string("start-up failed");
    // A second start on a desktop brings the running program's window to the front.
    std::string problem;
    if (!application_.headless && alreadyRunning(text) && shell::askRunningProgramToShowWindow(problem)) {
        std::cerr << "tallis: " << text << ": its window is shown" << std::endl;
        shell::endProgram(shell_, 0);
        safeguards_.release();
        return 0;
    }
    if (alreadyRunning(text))
        std::cerr << "tallis: " << text << std::endl;
    else
        std::cerr << "tallis: " << text << " (see Data/" << xap::kProgramName << ".txt)" << std::endl;
    shell::endProgram(shell_, 1);
    safeguards_.release();
    return 1;
}

// The program's status once it has ended: a failed shutdown save overrides success,
// and is said on standard error, where it is seen even when the log cannot be written.
int Instance::finish(int status)
{
    safeguards_.release();
    const std::string& failure = services::shutdownSaveError(services_);
    if (failure.empty())
        return status;
    std::cerr << "tallis: the devices could not be saved: " << failure << std::endl;
    return status == 0 ? kSaveFailedStatus : status;
}

} // namespace program
