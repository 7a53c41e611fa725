// vbsrun [options] file.vbs [arguments...]
//
// Runs a VBScript file with a WScript object. Options:
//   --timeout MS   stop the script after MS milliseconds (default: no limit)
//   and one option per extra named object (see ExtraObjects.h).
#include "ExtraObjects.h"
#include "Runner.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

namespace {

void usage()
{
    std::cerr << "usage: vbsrun [--timeout MS] [options] file.vbs [arguments...]\n";
    for (const vbsrun::ExtraObject& extra : vbsrun::extraObjects())
        std::cerr << "  " << extra.option << "  " << extra.help << "\n";
}

} // namespace

int main(int argc, char** argv)
{
    vbsrun::registerBuiltInExtras();
    vbsrun::RunOptions options;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.size() < 2 || arg.compare(0, 2, "--") != 0)
            break;
        if (arg == "--timeout" && i + 1 < argc) {
            options.timeoutMs = std::atoi(argv[++i]);
            continue;
        }
        bool known = false;
        for (const vbsrun::ExtraObject& extra : vbsrun::extraObjects()) {
            if (extra.option == arg) {
                options.namedObjects.push_back({extra.name, {extra.create(), extra.globalMembers}});
                known = true;
            }
        }
        if (!known) {
            usage();
            return 2;
        }
    }
    if (i >= argc) {
        usage();
        return 2;
    }
    options.scriptPath = argv[i++];
    for (; i < argc; ++i)
        options.arguments.emplace_back(argv[i]);
    const int code = vbsrun::runScript(options, std::cerr);
    std::fflush(stdout);
    return code;
}
