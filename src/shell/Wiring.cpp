#include "Wiring.h"

#include "PluginHost.h"
#include "PublicClasses.h"
#include "Safeguards.h"
#include "ShellHooks.h"
#include "ShellState.h"

#include "host/PluginRegistry.h"
#include "platform/EmergencyReport.h"
#include "services/DevicePersistence.h"
#include "services/ServicesState.h"
#include "services/Setup.h"
#include "ini/StateNotices.h"
#include "services/script/HostScripts.h"
#include "vbscript/ScriptControl.h"
#include "vbscript/base/LibraryState.h"
#include "xap/Logging.h"
#include "xap/ProgramState.h"

namespace shell {

void wireSubsystems(xap::ProgramState& program, ShellState& shell, services::HostScripts& scripts)
{
    // Scripts run in the host's shared engine; without a desktop a script's MsgBox
    // writes its text to the log file.
    host::HostRegistry& registry = shell.host;
    services::ServicesState& services = shell.services;
    scripts.install(registry);
    vbscript::LibraryState& library = scripts.engine().library();
    registerPublicClasses(library, program, shell);
    program.ini.noticeWriter = [&program](std::string_view text) { writeStateNotice(program, text); };
    library.setHeadlessTextSink([&program](const std::string& text) { xap::WriteLogFile(program, "MsgBox", text); });

    ShellHooks& h = shell.hooks;
    h.startup.loadSetupForm = [&services] { services::loadSetupForm(services); };
    h.startup.saveRunAsXapNode = [&registry] { services::saveRunAsXapNode(registry); };
    h.startup.restartPlugin = [&program, &shell] { RestartPlugin(program, shell); };
    h.hostedPlugin = [&registry] { return host::HostedPlugin(registry); };
    h.pluginStartIncomplete = [&shell] { return pluginStartIncomplete(shell); };
    h.clearX10CommandCodes = [&registry] { services::clearX10CommandCodes(registry); };
    h.hostStartup = [&services] {
        if (services::Setup* setup = services::setupForm(services))
            setup->Startup();
    };
    h.exit.shutdownPlugin = [&services, &registry] {
        // The devices are checkpointed first: a ShutdownIO that blocks or crashes ends
        // the program before the final save.
        vb::ignoreErrors([&services] { services::checkpointDevices(services); });
        if (vb::Ref<vb::Object> plugin = host::HostedPlugin(registry)) {
            platform::ActivityScope running("ShutdownIO");
            vb::call(*plugin, "ShutdownIO");
        }
    };
    h.exit.releasePlugin = [&registry] { host::HostedPlugin(registry).reset(); };
    h.exit.unloadSetupForm = [&services] { services::unloadSetupForm(services); };
    h.exit.releaseHostObject = [&registry] { services::releaseHostObject(registry); };
}

} // namespace shell
