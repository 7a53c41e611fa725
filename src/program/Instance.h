// The running program: one object, made in main, that owns the program's parts in the
// order they are made and hands them down. In order: the mailbox of the program's
// thread, where other threads send work (services::SentWork), the paths and settings
// with the log and the send path (xap::ProgramState), the hosted plug-in's registry and
// the device-change observers (host::HostRegistry), the host's script engine
// (services::HostScripts), the Setup form and what the device file left
// (services::ServicesState), the shell's steps with the main form and the start
// object (shell::ShellState), the application object, the bus service, the
// safeguards, the system's stop requests, the desktop face and the BSC endpoints.
// Every state is handed to what uses them; nothing below reaches a current one, so two
// instances in one process share none of them.
// The node, the host and the plug-in host hang from the main form that start-up
// loads (shell/TallisForm.h); the bus service starts once the node is bound and goes
// last before the application object.
#pragma once

#include "shell/ApplicationKind.h"
#include "shell/AutomationService.h"
#include "shell/Safeguards.h"
#include "shell/ShellState.h"

#include "host/HostRegistry.h"
#include "platform/StallWatchdog.h"
#include "platform/TerminationSignals.h"
#include "services/ServicesState.h"
#include "services/script/HostScripts.h"
#include "wait/SentWork.h"
#include "xap/ProgramState.h"

#include <memory>
#include <optional>

namespace bsc {
class EndpointService;
}
namespace shell {
class DesktopFace;
}

namespace program {

class Instance {
public:
    // `argc` must outlive the instance (the application object keeps it). The program
    // runs in `baseFolder` (--base), or in its executable's folder when that is empty.
    Instance(int& argc, char** argv, std::string baseFolder);
    ~Instance();
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    // Starts up, runs the event loop until the program ends, and shuts down; returns
    // the program's exit status.
    int run();

private:
    // Start-up, in this order.
    void wireSubsystems();
    void takeStopRequests();
    void installDesktop();
    bool startMainForm();
    void reportStart();
    void startServices();
    // The two ends: a start-up that failed, and the end of the event loop.
    int refuseToStart();
    int finish(int status);

    // First, so that it outlives everything that sends to it or waits on it.
    services::SentWork sentWork_;
    services::SentWork::Receiving receivingSentWork_{sentWork_};
    xap::ProgramState state_;
    host::HostRegistry hostRegistry_;
    // Where the host's scripts mark the time their time-out leaves them, for the watchdog.
    platform::BoundedWorkAllowance boundedWork_;
    // The host's script engine, with the classes scripts create and their dialogs.
    services::HostScripts hostScripts_;
    services::ServicesState services_{state_, hostRegistry_};
    shell::ShellState shell_{services_};
    shell::ApplicationInstance application_;
    // Goes after everything below, while the application object and the host exist.
    shell::AutomationService automation_;
    shell::Safeguards safeguards_;
    std::optional<platform::TerminationSignals> stopRequests_;
    std::unique_ptr<shell::DesktopFace> desktop_;
    std::unique_ptr<bsc::EndpointService> endpoints_;
};

} // namespace program
