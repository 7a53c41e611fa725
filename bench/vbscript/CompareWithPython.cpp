// Runs each benchmark script in VBScript (in this process, on the engine) and in
// CPython (python3), side by side, and prints the seconds and the ratio
// VBScript / CPython. Both sides measure processor time of the algorithm alone (no
// start-up), and each runs several times with the best time counting, which keeps the
// figures steady on a busy machine.
// Usage: bench_vbscript_compare [runs] [folder with the scripts]
#include "vbscript/ScriptControl.h"

#include "automation/Conversions.h"
#include "automation/MemberTable.h"

#include <algorithm>
#include <ctime>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

// The host object the "late-bound host calls" benchmark calls.
class BenchHost final : public vb::Dispatch<BenchHost> {
public:
    static const vb::MemberTable<BenchHost>& members()
    {
        static const vb::MemberTable<BenchHost> table("BenchHost", {
            vb::method<&BenchHost::Add>("Add"),
        });
        return table;
    }
    std::int32_t Add(std::int32_t a, std::int32_t b) { return a + b; }
};

std::string readFile(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

double runVbs(const std::string& path, std::string& result)
{
    vbscript::ScriptControl control;
    control.setTimeout(-1);
    control.AddObject("host", vb::make<BenchHost>(), false);
    const std::string code = readFile(path);
    const std::clock_t start = std::clock();
    control.AddCode(code);
    const std::clock_t end = std::clock();
    result = vb::CStr(control.Eval("result"));
    return static_cast<double>(end - start) / CLOCKS_PER_SEC;
}

double runPython(const std::string& path)
{
    const std::string command = "python3 '" + path + "'";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    char line[256];
    double seconds = -1;
    while (std::fgets(line, sizeof line, pipe)) {
        double s = 0;
        if (std::sscanf(line, "seconds=%lf", &s) == 1)
            seconds = s;
    }
    pclose(pipe);
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::string folder = argc > 2 ? argv[2] : BENCH_SCRIPT_DIR;
    const char* names[][2] = {
        {"fib", "recursive fib(27)"},
        {"strings", "100,000-piece string"},
        {"bubble", "bubble sort of 2,000 numbers"},
        {"dictionary", "100,000 dictionary inserts + lookups"},
        {"hostcalls", "100,000 late-bound host calls"},
        {"textedit", "Mid/InStr/Replace on a 20,000-item text"},
        {"property", "1,000,000 Property Get/Let calls"},
        {"regexp", "RegExp over 10,000 lines"},
        {"redim", "ReDim Preserve growth to 1,000,000"},
        {"dictmix", "100,000 mixed dictionary operations"},
    };
    std::printf("%-40s %12s %12s %8s\n", "benchmark", "VBScript s", "CPython s", "ratio");
    for (const auto& n : names) {
        std::string result;
        double vbs = -1;
        double py = -1;
        for (int r = 0; r < runs; ++r) {
            try {
                const double t = runVbs(folder + "/" + n[0] + ".vbs", result);
                vbs = vbs < 0 ? t : std::min(vbs, t);
            } catch (const std::exception& e) {
                std::fprintf(stderr, "%s failed: %s\n", n[0], e.what());
            }
            const double t = runPython(folder + "/" + n[0] + ".py");
            py = py < 0 ? t : std::min(py, t);
        }
        std::printf("%-40s %12.4f %12.4f %8.2f\n", n[1], vbs, py, py > 0 ? vbs / py : 0.0);
    }
    return 0;
}
