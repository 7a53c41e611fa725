// Costs of the BSC endpoints over a loaded host: a device change with and without the
// endpoints on (the event it sends included), a query naming every endpoint answered in
// full, and a command toggling every endpoint. Messages go to a counting sender; none
// leaves the process.
#include "bsc/EndpointService.h"

#include "host/Application.h"
#include "host/HostRegistry.h"
#include "host/HostState.h"
#include "services/ServicesState.h"
#include "services/Setup.h"

#include "automation/Conversions.h"
#include "xap/ProgramState.h"
#include "xap/Logging.h"
#include "xap/XapMessage.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

namespace {

class BenchHost {
public:
    explicit BenchHost(int devices, bool endpoints)
        : services_(program_, registry_)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tallis-bench-XXXXXX").string();
        folder_ = ::mkdtemp(pattern.data());
        xap::InitXapAt(program_, folder_, folder_ + "/tallis");
        program_.xapSource = "vyn.Audrey.bench";
        program_.xapUID = "FF.0097:00";
        services::loadSetupForm(services_);
        host::Application& app = *host::state(registry_).hostObject;
        for (int i = 0; i < devices; ++i) {
            const std::string code = std::string(1, static_cast<char>('A' + i / 99)) + std::to_string(1 + i % 99);
            vb::call(app, "NewDevice", "Device " + std::to_string(i), code);
        }
        if (endpoints) {
            bsc::Settings settings;
            settings.enabled = true;
            settings.commands = true;
            service = std::make_unique<bsc::EndpointService>(
                program_, registry_, settings, folder_ + "/Config/vynBSC.ini",
                [this](const bsc::EndpointService::Report& r) {
                    benchmark::DoNotOptimize(r);
                    ++sent;
                },
                [](const std::string&) {}, false);
            service->start();
            while (service->sendNextAnswer()) { }
        }
    }
    ~BenchHost()
    {
        service.reset();
        services::unloadSetupForm(services_);
        std::filesystem::remove_all(folder_);
    }
    host::Application& app() { return *host::state(registry_).hostObject; }
    bool receive(const std::string& text)
    {
        vb::Ref<xap::XapMessage> message = vb::make<xap::XapMessage>(program_);
        message->fromXap(text);
        return service->handle(*message);
    }

    // The bench's own program state, and the host's registry and services: made before
    // and gone after the endpoints.
    xap::ProgramState program_;
    host::HostRegistry registry_;
    services::ServicesState services_;
    std::unique_ptr<bsc::EndpointService> service;
    long sent = 0;

private:
    std::string folder_;
};

void BM_DeviceChange(benchmark::State& state)
{
    BenchHost host(static_cast<int>(state.range(0)), state.range(1) != 0);
    std::int16_t status = 2;
    for (auto _ : state) {
        status = status == 2 ? 3 : 2;
        vb::call(host.app(), "SetDeviceStatus", "A1", status);
    }
    state.counters["reports per change"] = benchmark::Counter(static_cast<double>(host.sent), benchmark::Counter::kAvgIterations);
    state.SetLabel(state.range(1) ? "endpoints on" : "endpoints off");
}
BENCHMARK(BM_DeviceChange)->Args({3, 0})->Args({3, 1})->Args({254, 0})->Args({254, 1});

const std::string kQuery = "xap-header\n{\nv=13\nhop=1\nuid=FF.0098:00\nclass=xAPBSC.query\nsource=vyn.xap.bench\n"
                           "target=vyn.Audrey.bench:>\n}\nrequest\n{\n}\n";
const std::string kToggleAll = "xap-header\n{\nv=13\nhop=1\nuid=FF.0098:00\nclass=xAPBSC.cmd\nsource=vyn.xap.bench\n"
                               "target=vyn.Audrey.bench:>\n}\noutput.state.1\n{\nid=*\nstate=toggle\n}\n";

// A query naming every endpoint, received and answered in full.
void BM_QueryEveryEndpoint(benchmark::State& state)
{
    BenchHost host(static_cast<int>(state.range(0)), true);
    for (auto _ : state) {
        host.receive(kQuery);
        while (host.service->sendNextAnswer()) { }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(host.service->endpointCount()));
}
BENCHMARK(BM_QueryEveryEndpoint)->Arg(3)->Arg(254)->Unit(benchmark::kMicrosecond);

// A command toggling every endpoint: as many host member calls, listener rounds and events.
void BM_ToggleEveryEndpoint(benchmark::State& state)
{
    BenchHost host(static_cast<int>(state.range(0)), true);
    for (auto _ : state)
        host.receive(kToggleAll);
    state.SetItemsProcessed(state.iterations() * static_cast<long>(host.service->endpointCount()));
}
BENCHMARK(BM_ToggleEveryEndpoint)->Arg(3)->Arg(254)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
