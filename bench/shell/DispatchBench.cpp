// Inbound dispatch: raw message texts through ReadMessage into the Audrey plug-in's
// AudreyOnXapMessage, which sets the Audrey's device text in the host.
#include "shell/InboundDispatch.h"
#include "shell/ShellState.h"
#include "shell/Wiring.h"

#include "audrey/AudreyPlugin.h"
#include "host/HostRegistry.h"
#include "host/PluginRegistry.h"
#include "services/ServicesState.h"
#include "services/Setup.h"
#include "services/script/HostScripts.h"
#include "xap/ProgramState.h"
#include "xap/Outgoing.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

namespace {

// Sends nothing: the benchmark measures the dispatch, not the network.
class NullSender final : public xap::MessageSender {
public:
    std::string SendXap(const std::string&, const std::string&, const std::string&, const std::string&,
                        const std::string&, const std::string&) override
    {
        ++sent;
        return {};
    }
    long sent = 0;
};

struct HostFixture {
    HostFixture()
    {
        base = std::filesystem::temp_directory_path() / "tallis-bench-dispatch";
        std::filesystem::create_directories(base / "Config");
        std::filesystem::create_directories(base / "Data");
        std::ofstream(base / "Config/vynAudreyUtilities.ini") << "[Audrey Utilities]\r\nAudreyNames=Kitchen,Den\r\n";
        program.baseFolder = base.string();
        program.xapSource = "vyn.Audrey.bench";
        program.xapUID = "FF.0097:00";
        shell::wireSubsystems(program, shell, scripts); // the dispatch finds the plug-in through the program's hooks
        program.sender = &sender;
        program.xapReady = true;
        setup = services::loadSetupForm(services);
        plugin = vb::make<audrey::AudreyPlugin>();
        vb::Variant callback(static_cast<vb::Object*>(setup.get()));
        vb::ArgPack<1> args{vb::Variant()};
        args.byRef(0, callback);
        plugin->invoke("RegisterCallback", vb::Method, args);
        vb::call(*plugin, "InitIO", std::int16_t(1));
        host::HostedPlugin(registry) = plugin;
    }
    ~HostFixture()
    {
        host::HostedPlugin(registry).reset();
        plugin.reset();
        setup.reset();
        services::unloadSetupForm(services);
        program.sender = nullptr;
        std::filesystem::remove_all(base);
    }
    // The bench's own program state and the states made with it.
    xap::ProgramState program;
    host::HostRegistry registry;
    services::ServicesState services{program, registry};
    shell::ShellState shell{services};
    services::HostScripts scripts{program};
    std::filesystem::path base;
    NullSender sender;
    vb::Ref<services::Setup> setup;
    vb::Ref<audrey::AudreyPlugin> plugin;
};

void ReadMessageIntoThePlugin(benchmark::State& state)
{
    HostFixture host;
    const std::string raw = "xap-header\n{\nv=13\nhop=1\nuid=FF.0099:00\nclass=Audrey.Event\nsource=vyn.AudreyUnit.Kitchen\n"
                            "target=vyn.Audrey.bench\n}\nAudrey.Event\n{\nAudrey=Kitchen\nText=Door opened\n}\n";
    for (auto _ : state)
        shell::ReadMessage(raw, host.program, host.shell);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ReadMessageIntoThePlugin);

void ReadMessageCommandSentOn(benchmark::State& state)
{
    HostFixture host;
    const std::string raw = "xap-header\n{\nv=13\nhop=1\nuid=FF.0099:00\nclass=Audrey.Cmd\nsource=vyn.ctl.bench\n"
                            "target=vyn.Audrey.bench\n}\nAudrey.Cmd\n{\nAudrey=Kitchen\nCommand=TopLed\nValue=blink\n}\n";
    for (auto _ : state)
        shell::ReadMessage(raw, host.program, host.shell);
    state.SetItemsProcessed(state.iterations());
    state.counters["sent_per_message"] = static_cast<double>(host.sender.sent) / static_cast<double>(state.iterations());
}
BENCHMARK(ReadMessageCommandSentOn);

} // namespace

BENCHMARK_MAIN();
