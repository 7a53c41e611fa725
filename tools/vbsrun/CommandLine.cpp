#include "CommandLine.h"

#include "ExtraObjects.h"

#include "base/OptionReader.h"
#include "tallis/Version.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace vbsrun {

namespace {

using tallis::OptionReader;

enum { kHelpOption, kVersionOption, kTimeoutOption, kFirstExtraOption };

void usage(std::ostream& out, const std::vector<ExtraObject>& extras)
{
    out << "Usage: vbsrun [options] file.vbs [arguments...]\n"
           "Runs a VBScript file with a WScript object (Echo, Arguments, Quit, StdOut, ...).\n"
           "Errors are printed as file.vbs(line, column) runtime error N: Description.\n"
           "\n"
           "  --timeout MS   end the script with an error after MS milliseconds\n";
    for (const ExtraObject& extra : extras)
        out << "  " << extra.option << std::string(extra.option.size() < 13 ? 13 - extra.option.size() : 1, ' ')
            << extra.help << "\n";
    out << "  -h, --help     show this text\n"
           "  -V, --version  show the version\n"
           "  --             end of options (for a file whose name starts with -)\n"
           "\n"
           "Exit status: 0 when the script ran to its end, the number given to WScript.Quit,\n"
           "1 on a compile or run-time error, 2 on a usage error.\n";
}

CommandLine usageError(const std::string& message)
{
    std::cerr << "vbsrun: " << message << "\nTry 'vbsrun --help'.\n";
    return {std::nullopt, 2};
}

// A whole number of milliseconds from 0 up; false for anything else.
bool readMilliseconds(const std::string& text, int& value)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::atoi(text.c_str());
    return true;
}

// The options: help, version, timeout, then each extra object's (ids from
// kFirstExtraOption, in the order of `extras`).
std::vector<OptionReader::Option> options(const std::vector<ExtraObject>& extras)
{
    std::vector<OptionReader::Option> table = {
        {"help", 'h', OptionReader::Value::none, kHelpOption},
        {"version", 'V', OptionReader::Value::none, kVersionOption},
        {"timeout", 0, OptionReader::Value::required, kTimeoutOption},
    };
    int id = kFirstExtraOption;
    for (const ExtraObject& extra : extras)
        if (extra.option.starts_with("--"))
            table.push_back({extra.option.substr(2), 0, OptionReader::Value::none, id++});
        else
            ++id; // not an option anyone can type
    return table;
}

} // namespace

CommandLine parseCommandLine(int argc, char** argv, const std::vector<ExtraObject>& extras)
{
    RunOptions run;
    // Options up to the first word (the file) or "--"; an option can repeat, the last
    // --timeout counts.
    OptionReader reader(argc, argv, options(extras), OptionReader::Order::stopAtWord, OptionReader::Inline::refused);
    bool afterDashes = false;
    for (bool reading = true; reading;) {
        const OptionReader::Step step = reader.next();
        switch (step.kind) {
        case OptionReader::Step::end:
            reading = false;
            break;
        case OptionReader::Step::endOfOptions:
            afterDashes = true;
            reading = false;
            break;
        case OptionReader::Step::unknown:
            return usageError("unknown option " + step.typed);
        case OptionReader::Step::word: // not with stopAtWord
            break;
        case OptionReader::Step::missingValue:
            return usageError("--timeout needs a number of milliseconds");
        case OptionReader::Step::option:
            if (step.id == kHelpOption) {
                usage(std::cout, extras);
                return {std::nullopt, 0};
            }
            if (step.id == kVersionOption) {
                std::cout << "vbsrun " << TALLIS_VERSION << "\n";
                return {std::nullopt, 0};
            }
            if (step.id == kTimeoutOption) {
                if (!readMilliseconds(*step.value, run.timeoutMs))
                    return usageError("--timeout needs a number of milliseconds");
                break;
            }
            const ExtraObject& extra = extras[static_cast<std::size_t>(step.id - kFirstExtraOption)];
            // Given twice, the object is still added once (a script has one of each name).
            const bool added = std::any_of(run.namedObjects.begin(), run.namedObjects.end(),
                                           [&](const auto& named) { return named.first == extra.name; });
            if (!added)
                run.namedObjects.push_back({extra.name, {extra.create(), extra.globalMembers}});
            break;
        }
    }
    int i = reader.index();
    // "-" alone is no file name but an option vbsrun does not know (after "--", a name).
    if (i < argc && !afterDashes && argv[i] == std::string("-"))
        return usageError("unknown option -");
    if (i >= argc)
        return usageError("no script file given");
    run.scriptPath = argv[i++];
    for (; i < argc; ++i)
        run.arguments.emplace_back(argv[i]);
    return {std::move(run), 0};
}

int runCommandLine(int argc, char** argv, const std::vector<ExtraObject>& extras)
{
    const CommandLine line = parseCommandLine(argc, argv, extras);
    if (!line.run)
        return line.exitStatus;
    const int code = runScript(*line.run, std::cerr);
    std::fflush(stdout);
    return code;
}

} // namespace vbsrun
