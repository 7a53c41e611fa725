#include "CommandLine.h"

#include "tallis/Version.h"

#include "base/OptionReader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <iterator>

namespace shell {

namespace {

constexpr const char* kHelp =
    "Usage: tallis [--base DIR]\n"
    "       tallis --help | --version\n"
    "\n"
    "Runs the Audrey plug-in (hspi_Audrey.so) as an xAP node with an emulated host,\n"
    "and with a tray icon on a desktop. It is configured by the INI files of the Config\n"
    "folder of its base folder, and logs to Data/raruveViziva.txt there. The base\n"
    "folder is the folder of the path it was started through. See tallis(1).\n"
    "\n"
    "  --base DIR     use DIR as the base folder (it must exist); the plug-ins are\n"
    "                 loaded from it and Config, Data, Scripts and HTML made in it\n"
    "  -h, --help     show this text\n"
    "  -V, --version  show the version\n"
    "\n"
    "Environment: TALLIS_BASE=DIR is --base DIR (the option wins).\n"
    "\n"
    "Exit status: 0 after a normal end; 1 when the xAP node cannot start or another\n"
    "program runs in the same base folder; 2 on an argument; 74 when the devices\n"
    "could not be saved at the end.\n";

enum { kHelpOption, kVersionOption, kBaseOption };

const tallis::OptionReader::Option kOptions[] = {
    {"help", 'h', tallis::OptionReader::Value::none, kHelpOption},
    {"version", 'V', tallis::OptionReader::Value::none, kVersionOption},
    {"base", 0, tallis::OptionReader::Value::required, kBaseOption},
};

CommandLine fail(const std::string& text)
{
    std::fprintf(stderr, "tallis: %s\n", text.c_str());
    return CommandLine{2, {}};
}

// The folder as an absolute path (links kept as named), or a reason it cannot serve.
CommandLine baseFolderFrom(const std::string& given, const char* where)
{
    if (given.empty())
        return fail(std::string(where) + ": the base folder is empty");
    struct stat st {};
    if (::stat(given.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return fail(std::string(where) + " \"" + given + "\": no such folder");
    std::string folder = given;
    if (folder.front() != '/') {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd))
            return fail(std::string(where) + " \"" + given + "\": the current folder cannot be read");
        folder = std::string(cwd) + "/" + folder;
    }
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return CommandLine{std::nullopt, folder};
}

} // namespace

CommandLine parseCommandLine(int argc, char** argv, const char* environmentBase)
{
    std::string base;
    const char* baseFrom = nullptr;
    if (environmentBase && *environmentBase) {
        base = environmentBase;
        baseFrom = "TALLIS_BASE";
    }
    using tallis::OptionReader;
    OptionReader reader(argc, argv, {std::begin(kOptions), std::end(kOptions)}, OptionReader::Order::stopAtWord,
                        OptionReader::Inline::allowed);
    for (;;) {
        const OptionReader::Step step = reader.next();
        if (step.kind == OptionReader::Step::end && reader.index() >= argc)
            break;
        if (step.kind == OptionReader::Step::option && step.id == kHelpOption) {
            std::fputs(kHelp, stdout);
            return CommandLine{0, {}};
        }
        if (step.kind == OptionReader::Step::option && step.id == kVersionOption) {
            std::printf("tallis %s\n", TALLIS_VERSION);
            return CommandLine{0, {}};
        }
        if (step.kind == OptionReader::Step::missingValue)
            return fail("--base needs a folder");
        if (step.kind == OptionReader::Step::option) {
            base = *step.value;
            baseFrom = "--base";
            continue;
        }
        // Anything else, named as typed: an unknown option, "--", or the first word.
        const std::string typed = step.kind == OptionReader::Step::end ? argv[reader.index()] : step.typed;
        return fail("unknown argument \"" + typed +
                    "\": tallis takes no argument but --base DIR, --help or --version; "
                    "it is configured by the INI files of its Config folder");
    }
    if (!baseFrom)
        return CommandLine{};
    return baseFolderFrom(base, baseFrom);
}

} // namespace shell
