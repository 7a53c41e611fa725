// Message parse and build rates of a typical ten-item message.
#include "xap/ProgramState.h"
#include "xap/XapMessage.h"

#include <benchmark/benchmark.h>

namespace {

std::string typicalMessage()
{
    std::string text = "xap-header\n{\nv=13\nhop=1\nuid=FF.1234:00\nclass=Audrey.Cmd\nsource=acme.panel.hall\n"
                       "target=vyn.Audrey.KITCHEN\n}\nAudrey.Cmd\n{\n";
    for (int i = 0; i < 10; ++i)
        text += "item" + std::to_string(i) + "=value number " + std::to_string(i) + "\n";
    return text + "}\n";
}

void BM_ParseTenItemMessage(benchmark::State& state)
{
    xap::ProgramState program;
    const std::string text = typicalMessage();
    for (auto _ : state) {
        xap::XapMessage m(program);
        m.fromXap(text);
        benchmark::DoNotOptimize(m.getItem("audrey.cmd", "item0"));
        benchmark::DoNotOptimize(m.getItem("Audrey.Cmd", "ITEM5"));
        benchmark::DoNotOptimize(m.getItem("audrey.cmd", "item9"));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseTenItemMessage);

void BM_BuildTenItemMessage(benchmark::State& state)
{
    xap::ProgramState program;
    program.headerPrefix = "xap-header\n{\nv=13\nhop=1\nuid=";
    static const char* keys[] = {"item0", "item1", "item2", "item3", "item4", "item5", "item6", "item7", "item8", "item9"};
    for (auto _ : state) {
        xap::XapMessage m(program);
        m.letMsgClass("Audrey.Cmd");
        m.letMsgSource("vyn.Audrey.KITCHEN");
        m.letMsgTarget("acme.panel.hall");
        m.letMsgUID("FF.0097:00");
        m.AddHeader();
        m.addSection("Audrey.Cmd");
        for (const char* key : keys)
            m.addItem(key, "value number 5");
        benchmark::DoNotOptimize(m.ToXap());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BuildTenItemMessage);

} // namespace

BENCHMARK_MAIN();
