#include "Program.h"

#include "ApplicationKind.h"
#include "FRH.h"
#include "ShellHooks.h"
#include "TallisForm.h"
#include "Wiring.h"

#include "platform/TerminationSignals.h"
#include "tallis/Version.h"
#include "xap/Globals.h"
#include "xap/Logging.h"

#include <QCoreApplication>

#include <iostream>

namespace shell {

int runProgram(int argc, char** argv)
{
    ApplicationInstance instance = createApplication(argc, argv);
    wireSubsystems();
    hooks().endEventLoop = [](int status) { QCoreApplication::exit(status); };

    // A stop request from the system takes the same path as the tray menu's Exit, so
    // the plug-in is shut down and the devices are saved.
    platform::TerminationSignals stopRequests([] {
        if (programEnded())
            return;
        if (vb::Ref<TallisForm> form = mainForm())
            form->Exit();
        else
            endProgram(0);
    });

    if (!instance.headless)
        runStep(hooks().installDesktop);

    if (!Main()) {
        const std::string text = mainForm() ? mainForm()->initError() : std::string("start-up failed");
        std::cerr << "tallis: " << text << " (see Data/" << xap::kProgramName << ".txt)" << std::endl;
        endProgram(1);
        return 1;
    }
    xap::WriteLogFile(xap::kProgramName, std::string("Tallis ") + TALLIS_VERSION + " started in " + xap::BaseFolder);
    if (instance.headless)
        xap::WriteLogFile(xap::kProgramName, kHeadlessNote);
    if (programEnded())
        return exitStatus();
    const int status = instance.app->exec();
    return programEnded() ? exitStatus() : status;
}

} // namespace shell
