// vbsrun [options] file.vbs [arguments...]
//
// Runs a VBScript file with a WScript object. Options come before the file; what
// follows the file is the script's own arguments. See usage() and vbsrun(1).
#include "ExtraObjects.h"
#include "Runner.h"

#include "tallis/Version.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace {

void usage(std::ostream& out, const std::vector<vbsrun::ExtraObject>& extras)
{
    out << "Usage: vbsrun [options] file.vbs [arguments...]\n"
           "Runs a VBScript file with a WScript object (Echo, Arguments, Quit, StdOut, ...).\n"
           "Errors are printed as file.vbs(line, column) runtime error N: Description.\n"
           "\n"
           "  --timeout MS   end the script with an error after MS milliseconds\n";
    for (const vbsrun::ExtraObject& extra : extras)
        out << "  " << extra.option << std::string(extra.option.size() < 13 ? 13 - extra.option.size() : 1, ' ')
            << extra.help << "\n";
    out << "  -h, --help     show this text\n"
           "  -V, --version  show the version\n"
           "  --             end of options (for a file whose name starts with -)\n"
           "\n"
           "Exit status: 0 when the script ran to its end, the number given to WScript.Quit,\n"
           "1 on a compile or run-time error, 2 on a usage error.\n";
}

int usageError(const std::string& message)
{
    std::cerr << "vbsrun: " << message << "\nTry 'vbsrun --help'.\n";
    return 2;
}

// A whole number of milliseconds from 0 up; false for anything else.
bool readMilliseconds(const std::string& text, int& value)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::atoi(text.c_str());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    // Goes after the options, which hold its objects.
    vbsrun::ExtraSources sources;
    const std::vector<vbsrun::ExtraObject> extras = vbsrun::builtInExtras(sources);
    vbsrun::RunOptions options;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") {
            ++i;
            break;
        }
        if (arg.empty() || arg[0] != '-')
            break;
        if (arg == "-h" || arg == "--help") {
            usage(std::cout, extras);
            return 0;
        }
        if (arg == "-V" || arg == "--version") {
            std::cout << "vbsrun " << TALLIS_VERSION << "\n";
            return 0;
        }
        if (arg == "--timeout") {
            if (i + 1 >= argc || !readMilliseconds(argv[i + 1], options.timeoutMs))
                return usageError("--timeout needs a number of milliseconds");
            ++i;
            continue;
        }
        bool known = false;
        for (const vbsrun::ExtraObject& extra : extras) {
            if (extra.option == arg) {
                options.namedObjects.push_back({extra.name, {extra.create(), extra.globalMembers}});
                known = true;
            }
        }
        if (!known)
            return usageError("unknown option " + arg);
    }
    if (i >= argc)
        return usageError("no script file given");
    options.scriptPath = argv[i++];
    for (; i < argc; ++i)
        options.arguments.emplace_back(argv[i]);
    const int code = vbsrun::runScript(options, std::cerr);
    std::fflush(stdout);
    return code;
}
