// Object-model costs: a late-bound call by name, Variant copies, conversions.
#include "automation/Conversions.h"
#include "automation/Dictionary.h"
#include "automation/MemberTable.h"
#include "automation/TextCompare.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

class Calculator final : public vb::Dispatch<Calculator> {
public:
    static const vb::MemberTable<Calculator>& members()
    {
        static const vb::MemberTable<Calculator> table("Calculator", {
            vb::method<&Calculator::Version>("Version"),
            vb::method<&Calculator::Add>("Add"),
            vb::method<&Calculator::SetDeviceStatus>("SetDeviceStatus"),
        });
        return table;
    }
    std::string Version() { return "1.6.174"; }
    std::int32_t Add(std::int32_t a, std::int32_t b) { return a + b; }
    void SetDeviceStatus(const std::string& dev, std::int16_t status) { last_ = static_cast<int>(dev.size()) + status; }
    int last_ = 0;
};

void LateBoundCallByName(benchmark::State& state)
{
    vb::Ref<Calculator> calc = vb::make<Calculator>();
    vb::Variant a(2), b(3);
    vb::Variant* ptrs[] = {&a, &b};
    for (auto _ : state) {
        vb::Variant r = calc->invoke("Add", vb::Method | vb::Get, vb::Args(ptrs, 2));
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(LateBoundCallByName);

void LateBoundCallLongNameWithText(benchmark::State& state)
{
    vb::Ref<Calculator> calc = vb::make<Calculator>();
    vb::Variant dev("A1"), status(std::int16_t(2));
    vb::Variant* ptrs[] = {&dev, &status};
    for (auto _ : state) {
        vb::Variant r = calc->invoke("SetDeviceStatus", vb::Method, vb::Args(ptrs, 2));
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(LateBoundCallLongNameWithText);

void VariantCopyShortString(benchmark::State& state)
{
    vb::Variant s("Kitchen");
    for (auto _ : state) {
        vb::Variant copy(s);
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(VariantCopyShortString);

void CStrValRoundTrip(benchmark::State& state)
{
    double x = 1234.5678;
    for (auto _ : state) {
        const std::string text = vb::CStr(vb::Variant(x));
        x = vb::Val(text);
        benchmark::DoNotOptimize(x);
    }
}
BENCHMARK(CStrValRoundTrip);

void CIntOfText(benchmark::State& state)
{
    vb::Variant text("12345");
    for (auto _ : state)
        benchmark::DoNotOptimize(vb::CInt(text));
}
BENCHMARK(CIntOfText);

void DictionaryInsertLookup(benchmark::State& state)
{
    for (auto _ : state) {
        vb::Ref<vb::Dictionary> d = vb::make<vb::Dictionary>();
        for (int i = 0; i < 1000; ++i)
            d->Add(vb::Variant(i), vb::Variant(i));
        long sum = 0;
        for (int i = 0; i < 1000; ++i)
            sum += d->find(vb::Variant(i))->longValue();
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(DictionaryInsertLookup);

// A text-mode dictionary as the host's variable table uses it: ASCII names, looked up
// in another letter case than they were added with.
void DictionaryTextModeNames(benchmark::State& state)
{
    std::vector<vb::Variant> names, shouted;
    for (int i = 0; i < 1000; ++i) {
        names.emplace_back("HouseVariable" + std::to_string(i));
        shouted.emplace_back("HOUSEVARIABLE" + std::to_string(i));
    }
    for (auto _ : state) {
        vb::Ref<vb::Dictionary> d = vb::make<vb::Dictionary>(vb::CompareMode::Text);
        for (int i = 0; i < 1000; ++i)
            d->Add(names[i], vb::Variant(i));
        long sum = 0;
        for (int i = 0; i < 1000; ++i)
            sum += d->find(shouted[i])->longValue();
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(DictionaryTextModeNames);

// Case-insensitive comparison and hashing of ASCII names, as member and key lookups do.
void EqualsIgnoreCaseAscii(benchmark::State& state)
{
    const std::string a = "Kitchen Ceiling Lamp 12", b = "KITCHEN CEILING LAMP 12";
    for (auto _ : state) {
        benchmark::DoNotOptimize(vb::equalsIgnoreCase(a, b));
        benchmark::DoNotOptimize(vb::CaseInsensitiveHash()(a));
    }
}
BENCHMARK(EqualsIgnoreCaseAscii);

// Upper-casing short ASCII names, as every INI lookup does for its section and key.
void UpperCaseNames(benchmark::State& state)
{
    const std::string section = "Section12", key = "DebugLog";
    for (auto _ : state) {
        benchmark::DoNotOptimize(vb::upperCase(section));
        benchmark::DoNotOptimize(vb::upperCase(key));
    }
}
BENCHMARK(UpperCaseNames);

} // namespace

BENCHMARK_MAIN();
