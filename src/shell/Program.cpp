#include "Program.h"

#include "ApplicationKind.h"
#include "AutomationService.h"
#include "DesktopWindow.h"
#include "FRH.h"
#include "Safeguards.h"
#include "ShellHooks.h"
#include "TallisForm.h"
#include "Wiring.h"

#include "bsc/EndpointService.h"
#include "platform/TerminationSignals.h"
#include "platform/service/ServiceManager.h"
#include "services/Setup.h"
#include "tallis/Version.h"
#include "xap/Globals.h"
#include "xap/Logging.h"

#include <QCoreApplication>

#include <iostream>

namespace shell {

namespace {

// The status of a program whose devices could not be saved at its end (EX_IOERR).
constexpr int kSaveFailedStatus = 74;

// The program's status once it has ended: a failed shutdown save overrides success,
// and is said on standard error, where it is seen even when the log cannot be written.
int finalStatus(int status)
{
    releaseSafeguards();
    const std::string& failure = services::shutdownSaveError();
    if (failure.empty())
        return status;
    std::cerr << "tallis: the devices could not be saved: " << failure << std::endl;
    return status == 0 ? kSaveFailedStatus : status;
}

} // namespace

int runProgram(int argc, char** argv)
{
    ApplicationInstance instance = createApplication(argc, argv);
    wireSubsystems();
    hooks().startup.claimBaseFolder = claimBaseFolder;
    hooks().startup.startWatchdogs = startWatchdogs;
    hooks().endEventLoop = [](int status) { QCoreApplication::exit(status); };

    // A stop request from the system takes the same path as the tray menu's Exit, so
    // the plug-in is shut down and the devices are saved.
    platform::TerminationSignals stopRequests([] {
        if (programEnded())
            return;
        platform::notifyStopping();
        if (vb::Ref<TallisForm> form = mainForm())
            form->Exit();
        else
            endProgram(0);
    });

    if (!instance.headless)
        runStep(hooks().installDesktop);

    if (!Main()) {
        const std::string text = mainForm() ? mainForm()->initError() : std::string("start-up failed");
        // A second start on a desktop brings the running program's window to the front.
        std::string problem;
        if (!instance.headless && text.rfind("already running in ", 0) == 0 && askRunningProgramToShowWindow(problem)) {
            std::cerr << "tallis: " << text << ": its window is shown" << std::endl;
            endProgram(0);
            releaseSafeguards();
            return 0;
        }
        if (text.rfind("already running in ", 0) == 0)
            std::cerr << "tallis: " << text << std::endl;
        else
            std::cerr << "tallis: " << text << " (see Data/" << xap::kProgramName << ".txt)" << std::endl;
        endProgram(1);
        releaseSafeguards();
        return 1;
    }
    xap::WriteLogFile(xap::kProgramName, std::string("Tallis ") + TALLIS_VERSION + " started in " + xap::BaseFolder);
    if (instance.headless)
        xap::WriteLogFile(xap::kProgramName, kHeadlessNote);
    else if (instance.withoutTray)
        xap::WriteLogFile(xap::kProgramName, kWithoutTrayNote);
    if (programEnded())
        return finalStatus(exitStatus());
    startAutomationService();
    bsc::startEndpointService();
    // The node's socket is bound and the plug-in created: a service that waits for
    // this one (After=) may start now.
    platform::notifyReady("serving xAP from " + xap::BaseFolder);
    const int status = instance.app->exec();
    platform::notifyStopping();
    return finalStatus(programEnded() ? exitStatus() : status);
}

} // namespace shell
