// Runs each benchmark workload in VBScript, CPython and (where it translates directly)
// Lua 5.4, side by side, and prints seconds, the ratios VBScript / CPython and
// VBScript / Lua, the peak memory of each child, the start-up of an empty script,
// and geometric means.
//
// Every workload runs in a child process of its own, so its peak memory is its own
// (wait4 reports it). Each child measures processor time of the algorithm alone (no
// interpreter start-up) and prints "seconds=" and "result="; the best of several runs
// counts, which keeps the figures steady on a busy machine. The VBScript side runs
// twice: with the work inside a procedure (name_main.vbs, Sub Main) and at script
// level (name.vbs). The CPython and Lua sides run their work inside a function, as
// programmers of those languages write it.
//
// Usage: bench_vbscript_compare [runs] [folder] [--only=a,b] [--python=P] [--lua=L]
//                                [--vbsrun=V]
//        bench_vbscript_compare --run file.vbs    (one VBScript run, used as a child
//                                                  and for profiling)
#include "vbscript/ScriptControl.h"

#include "automation/Conversions.h"
#include "automation/MemberTable.h"

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

// The host object the "late-bound host calls" workload calls.
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

struct Workload {
    const char* name;
    const char* title;
    bool hasLua;
};

const Workload workloads[] = {
    {"fib", "recursive fib(30)", true},
    {"arith", "5,000,000-step arithmetic loop", true},
    {"strings", "1,000,000 string appends", true},
    {"bubble", "bubble sort of 3,000 numbers", true},
    {"dictionary", "300,000 dictionary inserts + lookups", true},
    {"dictmix", "100,000 mixed dictionary operations", true},
    {"hostcalls", "1,000,000 late-bound method calls", true},
    {"property", "1,000,000 Property Get/Let calls", true},
    {"redim", "ReDim Preserve growth to 1,000,000", true},
    {"textedit", "Mid/InStr/Replace on a 20,000-item text", false},
    {"regexp", "RegExp over 10,000 lines", false},
};

std::string readFile(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool fileExists(const std::string& path)
{
    return ::access(path.c_str(), R_OK) == 0;
}

bool executableExists(const std::string& name)
{
    if (name.find('/') != std::string::npos)
        return ::access(name.c_str(), X_OK) == 0;
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "");
    std::string dir;
    while (std::getline(dirs, dir, ':'))
        if (!dir.empty() && ::access((dir + "/" + name).c_str(), X_OK) == 0)
            return true;
    return false;
}

// The child side: one VBScript run in this process.
int runVbsChild(const std::string& path)
{
    try {
        vbscript::ScriptControl control;
        control.setTimeout(-1);
        control.AddObject("host", vb::make<BenchHost>(), false);
        const std::string code = readFile(path);
        const std::clock_t start = std::clock();
        control.AddCode(code);
        const std::clock_t end = std::clock();
        const std::string result = vb::CStr(control.Eval("result"));
        std::printf("seconds=%f\nresult=%s\n", static_cast<double>(end - start) / CLOCKS_PER_SEC,
                    result.c_str());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), e.what());
        return 1;
    }
}

// What one child run reported: processor seconds of the work (-1 when it failed),
// its result, peak memory in kilobytes, and wall-clock seconds of the whole child.
struct Sample {
    double seconds = -1;
    std::string result;
    long peakKb = 0;
    double wallSeconds = -1;
    bool exitedOk = false;
};

double monotonicSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Starts argv with its standard output on a pipe, reads "seconds=" and "result=" lines,
// and waits for it with wait4 to learn its peak memory.
Sample runChild(const std::vector<std::string>& args)
{
    Sample sample;
    int fds[2];
    if (::pipe(fds) != 0)
        return sample;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const double started = monotonicSeconds();
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (spawned != 0) {
        ::close(fds[0]);
        return sample;
    }
    std::FILE* out = ::fdopen(fds[0], "r");
    char line[512];
    double seconds = -1;
    while (out && std::fgets(line, sizeof line, out)) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        if (text.rfind("seconds=", 0) == 0)
            seconds = std::atof(text.c_str() + 8);
        else if (text.rfind("result=", 0) == 0)
            sample.result = text.substr(7);
    }
    if (out)
        std::fclose(out);
    int status = 0;
    rusage usage{};
    sample.exitedOk = ::wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (sample.exitedOk)
        sample.seconds = seconds;
    sample.wallSeconds = monotonicSeconds() - started;
    sample.peakKb = usage.ru_maxrss;
    return sample;
}

// The best of several runs: least time, and the peak memory of the run that had it.
struct Best {
    Sample best;
    bool failed = false;

    void add(const Sample& s)
    {
        if (s.seconds < 0) {
            failed = true;
            return;
        }
        if (best.seconds < 0 || s.seconds < best.seconds)
            best = s;
    }
    bool ok() const { return !failed && best.seconds >= 0; }
};

struct GeoMean {
    double logSum = 0;
    int count = 0;

    void add(double ratio)
    {
        if (ratio > 0) {
            logSum += std::log(ratio);
            ++count;
        }
    }
    double value() const { return count ? std::exp(logSum / count) : 0.0; }
};

std::string cell(double value, const char* format, bool ok)
{
    if (!ok)
        return "-";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

struct Options {
    int runs = 3;
    std::string folder = BENCH_SCRIPT_DIR;
    std::vector<std::string> only;
    std::string python = fileExists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
    std::string lua = "lua5.4";
    std::string vbsrun = VBSRUN_PATH;
    std::string self;
};

bool selected(const Options& options, const std::string& name)
{
    return options.only.empty() || std::find(options.only.begin(), options.only.end(), name) != options.only.end();
}

Options parseOptions(int argc, char** argv)
{
    Options options;
    options.self = "/proc/self/exe";
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](const char* prefix) { return arg.substr(std::string(prefix).size()); };
        if (arg.rfind("--only=", 0) == 0) {
            std::istringstream names(value("--only="));
            std::string name;
            while (std::getline(names, name, ','))
                options.only.push_back(name);
        } else if (arg.rfind("--python=", 0) == 0) {
            options.python = value("--python=");
        } else if (arg.rfind("--lua=", 0) == 0) {
            options.lua = value("--lua=");
        } else if (arg.rfind("--vbsrun=", 0) == 0) {
            options.vbsrun = value("--vbsrun=");
        } else if (positional == 0) {
            options.runs = std::max(1, std::atoi(arg.c_str()));
            ++positional;
        } else {
            options.folder = arg;
            ++positional;
        }
    }
    return options;
}

double megabytes(long kb)
{
    return static_cast<double>(kb) / 1024.0;
}

// Wall-clock start-up of an empty vbsrun script against "python3 -c pass", best of runs.
void printStartup(const Options& options)
{
    const int runs = std::max(10, options.runs * 5);
    Best vbs;
    Best py;
    for (int r = 0; r < runs; ++r) {
        Sample s = runChild({options.vbsrun, options.folder + "/empty.vbs"});
        s.seconds = s.exitedOk ? s.wallSeconds : -1;
        vbs.add(s);
        Sample p = runChild({options.python, "-c", "pass"});
        p.seconds = p.exitedOk ? p.wallSeconds : -1;
        py.add(p);
    }
    std::printf("\nstart-up, empty script (wall clock, best of %d):\n", runs);
    std::printf("  vbsrun empty.vbs  %8.2f ms  %6.1f MB\n", vbs.best.seconds * 1000,
                megabytes(vbs.best.peakKb));
    std::printf("  python3 -c pass   %8.2f ms  %6.1f MB\n", py.best.seconds * 1000,
                megabytes(py.best.peakKb));
    if (vbs.ok() && py.ok())
        std::printf("  vbsrun / python3  %8.2f\n", vbs.best.seconds / py.best.seconds);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--run")
        return runVbsChild(argv[2]);
    const Options options = parseOptions(argc, argv);
    const bool haveLua = executableExists(options.lua);
    if (!haveLua)
        std::fprintf(stderr, "note: %s not found, the Lua column stays empty\n", options.lua.c_str());

    std::printf("best of %d; processor seconds of the work alone; ratios are VBScript / other\n",
                options.runs);
    std::printf("%-40s %-8s %9s %9s %7s %9s %7s %8s %8s\n", "workload", "VBScript", "VBS s", "CPython s",
                "VBS/Py", "Lua s", "VBS/Lua", "VBS MB", "Py MB");
    GeoMean pyMean[2];
    GeoMean luaMean[2];
    const char* forms[2] = {"Sub Main", "script"};
    const char* suffixes[2] = {"_main.vbs", ".vbs"};
    for (const Workload& w : workloads) {
        if (!selected(options, w.name))
            continue;
        const std::string base = options.folder + "/" + w.name;
        Best vbs[2];
        Best py;
        Best lua;
        const bool withLua = haveLua && w.hasLua && fileExists(base + ".lua");
        for (int r = 0; r < options.runs; ++r) {
            for (int f = 0; f < 2; ++f)
                vbs[f].add(runChild({options.self, "--run", base + suffixes[f]}));
            py.add(runChild({options.python, base + ".py"}));
            if (withLua)
                lua.add(runChild({options.lua, base + ".lua"}));
        }
        for (int f = 0; f < 2; ++f) {
            const Best& v = vbs[f];
            const bool pyRatio = v.ok() && py.ok() && py.best.seconds > 0;
            const bool luaRatio = v.ok() && lua.ok() && lua.best.seconds > 0;
            const double toPy = pyRatio ? v.best.seconds / py.best.seconds : 0;
            const double toLua = luaRatio ? v.best.seconds / lua.best.seconds : 0;
            if (pyRatio)
                pyMean[f].add(toPy);
            if (luaRatio)
                luaMean[f].add(toLua);
            std::printf("%-40s %-8s %9s %9s %7s %9s %7s %8s %8s\n", f == 0 ? w.title : "", forms[f],
                        cell(v.best.seconds, "%.4f", v.ok()).c_str(),
                        cell(py.best.seconds, "%.4f", py.ok() && f == 0).c_str(),
                        cell(toPy, "%.2f", pyRatio).c_str(),
                        cell(lua.best.seconds, "%.4f", lua.ok() && f == 0).c_str(),
                        cell(toLua, "%.2f", luaRatio).c_str(),
                        cell(megabytes(v.best.peakKb), "%.1f", v.ok()).c_str(),
                        cell(megabytes(py.best.peakKb), "%.1f", py.ok() && f == 0).c_str());
            if (v.ok() && py.ok() && v.best.result != py.best.result)
                std::fprintf(stderr, "%s (%s): VBScript gave %s, CPython %s\n", w.name, forms[f],
                             v.best.result.c_str(), py.best.result.c_str());
            if (v.ok() && lua.ok() && v.best.result != lua.best.result)
                std::fprintf(stderr, "%s (%s): VBScript gave %s, Lua %s\n", w.name, forms[f],
                             v.best.result.c_str(), lua.best.result.c_str());
            if (!v.ok())
                std::fprintf(stderr, "%s (%s): the VBScript run failed\n", w.name, forms[f]);
        }
        if (!py.ok())
            std::fprintf(stderr, "%s: the CPython run failed\n", w.name);
        std::fflush(stdout);
    }
    std::printf("\ngeometric mean VBScript / CPython:  Sub Main %.2f  script level %.2f  (%d workloads)\n",
                pyMean[0].value(), pyMean[1].value(), pyMean[0].count);
    if (luaMean[0].count)
        std::printf("geometric mean VBScript / Lua 5.4:  Sub Main %.2f  script level %.2f  (%d workloads)\n",
                    luaMean[0].value(), luaMean[1].value(), luaMean[0].count);
    printStartup(options);
    rusage self{};
    ::getrusage(RUSAGE_SELF, &self);
    std::printf("\npeak memory is each child's own (wait4); this driver's is %.1f MB\n",
                megabytes(self.ru_maxrss));
    return 0;
}
