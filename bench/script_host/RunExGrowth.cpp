// 100,000 RunEx calls of one small script, as a status-change callback on a busy
// device makes them. Prints the time of the first and the last 10,000 calls and the
// memory in use after each, so that growth per call shows. Times are processor time of
// the calling thread, so a busy machine does not distort them.
//
//   ./build/bench/script_host/bench_runex [calls]
#include "services/ServicesState.h"
#include "services/Setup.h"
#include "services/script/HostScripts.h"

#include "automation/Conversions.h"
#include "host/Application.h"
#include "host/HostRegistry.h"
#include "xap/ProgramState.h"
#include "xap/Outgoing.h"

#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// Resident memory in kilobytes.
// Processor time of this thread in milliseconds: other programs on the machine do not count.
double cpuMs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

long residentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    }
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    const long calls = argc > 1 ? std::atol(argv[1]) : 100000;
    const long block = calls / 10;
    char pattern[] = "/tmp/tallis-bench-runex-XXXXXX";
    const std::string base = ::mkdtemp(pattern);
    for (const char* folder : {"Config", "Data", "Scripts"})
        std::filesystem::create_directories(base + "/" + folder);
    std::ofstream(base + "/Scripts/cb.vbs") << "Dim seen\r\nFunction OnChange(p)\r\n seen = p & \"!\"\r\n OnChange = Len(seen)\r\nEnd Function\r\n";
    xap::ProgramState program;
    program.baseFolder = base;
    program.xapReady = false;
    host::HostRegistry registry;
    services::ServicesState services(program, registry);
    services::HostScripts scripts(program);
    scripts.install(registry);
    vb::Ref<services::Setup> setup = services::loadSetupForm(services);
    vb::Ref<vb::Object> hs = setup->GetHSIface();

    double firstMs = 0, lastMs = 0;
    long firstKb = 0;
    double start = cpuMs();
    for (long i = 1; i <= calls; ++i) {
        const vb::Variant result = vb::call(*hs, "RunEx", "cb.vbs", "OnChange", "A1");
        if (vb::CLng(result) != 3) {
            std::fprintf(stderr, "call %ld returned %s\n", i, vb::CStr(result).c_str());
            return 1;
        }
        if (i % block == 0) {
            const double ms = cpuMs() - start;
            std::printf("calls %7ld..%7ld: %8.1f ms (%.4f ms per call), resident %ld kB\n", i - block + 1, i, ms, ms / block,
                        residentKb());
            if (i == block) {
                firstMs = ms;
                firstKb = residentKb();
            }
            lastMs = ms;
            start = cpuMs();
        }
    }
    std::printf("last/first block time: %.2f (target at most 1.2); memory growth after the first block: %ld kB (target under 5120)\n",
                lastMs / firstMs, residentKb() - firstKb);
    hs.reset();
    setup.reset();
    services::unloadSetupForm(services);
    std::filesystem::remove_all(base);
    return 0;
}
