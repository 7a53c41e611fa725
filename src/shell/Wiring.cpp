#include "Wiring.h"

#include "PluginHost.h"
#include "PublicClasses.h"
#include "Safeguards.h"
#include "ShellHooks.h"
#include "ShellState.h"

#include "host/PluginRegistry.h"
#include "platform/EmergencyReport.h"
#include "services/DevicePersistence.h"
#include "services/Setup.h"
#include "ini/StateNotices.h"
#include "services/script/HostScripts.h"
#include "vbscript/ScriptControl.h"
#include "vbscript/base/LibraryState.h"
#include "xap/Logging.h"
#include "xap/ProgramState.h"

namespace shell {

void wireSubsystems(services::HostScripts& scripts)
{
    wireSubsystems(xap::state(), shellState(), scripts);
}

void wireSubsystems(xap::ProgramState& program, ShellState& shell, services::HostScripts& scripts)
{
    // Scripts run in the host's shared engine; without a desktop a script's MsgBox
    // writes its text to the log file.
    scripts.install();
    vbscript::LibraryState& library = scripts.engine().library();
    registerPublicClasses(library, program);
    program.ini.noticeWriter = [&program](std::string_view text) { writeStateNotice(program, text); };
    library.setHeadlessTextSink([&program](const std::string& text) { xap::WriteLogFile(program, "MsgBox", text); });

    ShellHooks& h = shell.hooks;
    h.startup.loadSetupForm = [] { services::loadSetupForm(); };
    h.startup.saveRunAsXapNode = services::saveRunAsXapNode;
    h.startup.restartPlugin = [&program, &shell] { RestartPlugin(program, shell); };
    h.hostedPlugin = [] { return host::HostedPlugin(); };
    h.pluginStartIncomplete = [&shell] { return pluginStartIncomplete(shell); };
    h.clearX10CommandCodes = services::clearX10CommandCodes;
    h.hostStartup = [] {
        if (services::Setup* setup = services::setupForm())
            setup->Startup();
    };
    h.exit.shutdownPlugin = [] {
        // The devices are checkpointed first: a ShutdownIO that blocks or crashes ends
        // the program before the final save.
        vb::ignoreErrors([] { services::checkpointDevices(); });
        if (vb::Ref<vb::Object> plugin = host::HostedPlugin()) {
            platform::ActivityScope running("ShutdownIO");
            vb::call(*plugin, "ShutdownIO");
        }
    };
    h.exit.releasePlugin = [] { host::HostedPlugin().reset(); };
    h.exit.unloadSetupForm = services::unloadSetupForm;
    h.exit.releaseHostObject = services::releaseHostObject;
}

} // namespace shell
