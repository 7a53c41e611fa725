#include "Wiring.h"

#include "PluginHost.h"
#include "PublicClasses.h"
#include "Safeguards.h"
#include "ShellHooks.h"

#include "host/PluginRegistry.h"
#include "platform/EmergencyReport.h"
#include "services/DevicePersistence.h"
#include "services/Setup.h"
#include "ini/StateNotices.h"
#include "services/script/HostScripts.h"
#include "vbscript/ScriptControl.h"
#include "vbscript/base/LibraryState.h"
#include "xap/Logging.h"

namespace shell {

void wireSubsystems(services::HostScripts& scripts)
{
    // Scripts run in the host's shared engine; without a desktop a script's MsgBox
    // writes its text to the log file.
    scripts.install();
    vbscript::LibraryState& library = scripts.engine().library();
    registerPublicClasses(library);
    services::setStateNoticeWriter(writeStateNotice);
    library.setHeadlessTextSink([](const std::string& text) { xap::WriteLogFile("MsgBox", text); });

    ShellHooks& h = hooks();
    h.startup.loadSetupForm = [] { services::loadSetupForm(); };
    h.startup.saveRunAsXapNode = services::saveRunAsXapNode;
    h.startup.restartPlugin = RestartPlugin;
    h.hostedPlugin = [] { return host::HostedPlugin(); };
    h.pluginStartIncomplete = pluginStartIncomplete;
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
