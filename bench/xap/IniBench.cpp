// IniTool: load and save of a file with 10,000 keys in 50 sections.
#include "ini/IniState.h"
#include "ini/IniTool.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct IniFile {
    IniFile()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tallis-ini-bench-XXXXXX").string();
        folder = ::mkdtemp(pattern.data());
        path = folder + "/big.ini";
        std::ofstream out(path, std::ios::binary);
        for (int s = 0; s < 50; ++s) {
            out << "[Section" << s << "]\r\n";
            for (int k = 0; k < 200; ++k)
                out << "Key" << k << "=value of key " << k << " in section " << s << "\r\n";
        }
    }
    ~IniFile() { std::filesystem::remove_all(folder); }
    std::string folder;
    std::string path;
};

void BM_IniLoad10000Keys(benchmark::State& state)
{
    IniFile file;
    services::IniState iniState;
    for (auto _ : state) {
        services::IniTool ini(iniState);
        ini.Load(file.path);
        benchmark::DoNotOptimize(ini.keyCount());
    }
}
BENCHMARK(BM_IniLoad10000Keys)->Unit(benchmark::kMillisecond);

void BM_IniSave10000Keys(benchmark::State& state)
{
    IniFile file;
    services::IniState iniState;
    services::IniTool ini(iniState);
    ini.Load(file.path);
    for (auto _ : state)
        ini.Save();
}
BENCHMARK(BM_IniSave10000Keys)->Unit(benchmark::kMillisecond);

void BM_IniRead10000Keys(benchmark::State& state)
{
    IniFile file;
    services::IniState iniState;
    services::IniTool ini(iniState);
    ini.Load(file.path);
    std::vector<std::string> keys;
    for (int k = 0; k < 200; ++k)
        keys.push_back("key" + std::to_string(k));
    for (auto _ : state) {
        std::size_t total = 0;
        for (int s = 0; s < 50; ++s) {
            const std::string section = "section" + std::to_string(s);
            for (const std::string& key : keys)
                total += ini.Read(section, key, "").size();
        }
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_IniRead10000Keys)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
