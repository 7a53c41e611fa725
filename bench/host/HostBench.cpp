// Costs of the emulated host: a late-bound SetDeviceStatus with listeners, device
// lookup among many devices, and saving and restoring 5,000 devices at shutdown and
// start-up. Everything runs in a temporary base folder; no message leaves the process.
#include "host/Application.h"
#include "host/HostRegistry.h"
#include "host/HostState.h"
#include "services/ServicesState.h"
#include "services/Setup.h"

#include "automation/Conversions.h"
#include "xap/ProgramState.h"
#include "xap/Logging.h"
#include "xap/Outgoing.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

class DiscardingSender final : public xap::MessageSender {
public:
    std::string SendXap(const std::string&, const std::string&, const std::string&, const std::string&,
                        const std::string&, const std::string&) override
    {
        ++count;
        return {};
    }
    long count = 0;
};

class NullListener final : public vb::Dispatch<NullListener> {
public:
    static const vb::MemberTable<NullListener>& members()
    {
        static const vb::MemberTable<NullListener> table("NullListener", {
            vb::method<&NullListener::HSEvent>("HSEvent"),
        });
        return table;
    }
    void HSEvent(vb::Variant& parms) { benchmark::DoNotOptimize(parms); }
};

// A loaded host in a fresh temporary folder.
class BenchHost {
public:
    BenchHost()
        : services_(program_, registry_)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tallis-bench-XXXXXX").string();
        folder_ = ::mkdtemp(pattern.data());
        xap::InitXapAt(program_, folder_, folder_ + "/tallis");
        program_.sender = &sender_;
        program_.xapReady = true;
        services::loadSetupForm(services_);
    }
    ~BenchHost()
    {
        services::unloadSetupForm(services_);
        program_.sender = nullptr;
        program_.xapReady = false;
        std::filesystem::remove_all(folder_);
    }
    host::Application& app() { return *host::state(registry_).hostObject; }
    const std::string& folder() const { return folder_; }
    services::ServicesState& services() { return services_; }

    // The code of the i-th device: distinct for every i (also when upper-cased, as saving does).
    static std::string codeOf(int i) { return std::string(1, char('A' + i % 26)) + std::to_string(i / 26); }

    // `count` devices, each with a location and state.
    void addDevices(int count)
    {
        for (int i = 0; i < count; ++i) {
            const std::string code = codeOf(i);
            vb::call(app(), "NewDevice", "Device " + std::to_string(i), code);
            vb::Object& device = vb::requireObject(vb::call(app(), "GetDevice", std::int16_t(i + 1)));
            vb::setProperty(device, "hc", vb::Variant(code.substr(0, 1)));
            vb::setProperty(device, "dc", vb::Variant(code.substr(1)));
            vb::setProperty(device, "location", vb::Variant("Room " + std::to_string(i % 17)));
            vb::call(app(), "SetDeviceStatus", code, std::int16_t(2 + i % 3));
            vb::call(app(), "SetDeviceValue", code, i);
            vb::call(app(), "SetDeviceString", code, "state " + std::to_string(i));
        }
    }

private:
    // The bench's own program state, and the host's registry and services state made
    // with it.
    xap::ProgramState program_;
    std::string folder_;
    host::HostRegistry registry_;
    services::ServicesState services_;
    DiscardingSender sender_;
};

void LateBoundSetDeviceStatusWithFiveListeners(benchmark::State& state)
{
    BenchHost host;
    vb::Ref<NullListener> listeners[5];
    for (auto& listener : listeners) {
        listener = vb::make<NullListener>();
        vb::call(host.app(), "RegisterEventCB", 4, vb::Variant(vb::Ref<vb::Object>(listener)));
    }
    vb::Variant device("A1");
    vb::Variant status[2] = {vb::Variant(std::int16_t(2)), vb::Variant(std::int16_t(3))};
    vb::Variant* args[2] = {&device, nullptr};
    int i = 0;
    for (auto _ : state) {
        // The status alternates, so every call notifies all five listeners.
        args[1] = &status[i++ & 1];
        host.app().invoke("SetDeviceStatus", vb::Method, vb::Args(args, 2));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(LateBoundSetDeviceStatusWithFiveListeners);

void GetDeviceByCodeAmongTenThousand(benchmark::State& state)
{
    BenchHost host;
    host.addDevices(10000);
    // The last device of the list (first match at the end) or a code no device has.
    const std::string wanted = state.range(0) ? BenchHost::codeOf(9999) : "Q999";
    vb::Variant code(wanted);
    vb::Variant* args[1] = {&code};
    for (auto _ : state) {
        vb::Variant found = host.app().invoke("GetDeviceByCode", vb::Method, vb::Args(args, 1));
        benchmark::DoNotOptimize(found);
    }
    state.SetLabel(state.range(0) ? "last of 10000" : "no match");
}
BENCHMARK(GetDeviceByCodeAmongTenThousand)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// Shutdown (the host core's unload, which saves every device) and start-up (the load,
// which restores them) with 5,000 devices.
void ShutdownAndStartupWithFiveThousandDevices(benchmark::State& state)
{
    BenchHost host;
    double saveSeconds = 0, loadSeconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(host.folder() + "/Config/vynTallis.ini");
        services::unloadSetupForm(host.services());
        services::loadSetupForm(host.services());
        host.addDevices(5000);
        state.ResumeTiming();

        auto start = std::chrono::steady_clock::now();
        services::unloadSetupForm(host.services());
        auto saved = std::chrono::steady_clock::now();
        services::loadSetupForm(host.services());
        auto loaded = std::chrono::steady_clock::now();
        saveSeconds += std::chrono::duration<double>(saved - start).count();
        loadSeconds += std::chrono::duration<double>(loaded - saved).count();
        if (vb::CInt(vb::getProperty(host.app(), "DeviceCount")) != 5000) {
            state.SkipWithError("devices were not restored");
            break;
        }
    }
    state.counters["save_s"] = saveSeconds / static_cast<double>(state.iterations());
    state.counters["load_s"] = loadSeconds / static_cast<double>(state.iterations());
}
BENCHMARK(ShutdownAndStartupWithFiveThousandDevices)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
