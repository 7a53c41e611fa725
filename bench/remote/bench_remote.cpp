// Shaping the remote-control window: scanning the Audrey picture into its outline.
#include "remote/AudreyPicture.h"
#include "remote/Region.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

void ScanAudreyPicture(benchmark::State& state)
{
    const QImage picture = remote::drawAudreyPicture();
    remote::Region region;
    for (auto _ : state) {
        std::int32_t key = 1;
        region.ScanPicture(picture, key);
        benchmark::DoNotOptimize(region.rects().data());
    }
    state.counters["rects"] = static_cast<double>(region.rects().size());
}
BENCHMARK(ScanAudreyPicture)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
