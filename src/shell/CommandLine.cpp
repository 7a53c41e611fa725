#include "CommandLine.h"

#include "tallis/Version.h"

#include <cstdio>
#include <string_view>

namespace shell {

namespace {

constexpr const char* kHelp =
    "Usage: tallis\n"
    "       tallis --help | --version\n"
    "\n"
    "Runs the Audrey plug-in (hspi_Audrey.so) as an xAP node with an emulated host,\n"
    "and with a tray icon on a desktop. It takes no other argument: it is configured by\n"
    "the INI files of the Config folder beside the path it was started through (its\n"
    "base folder), and logs to Data/raruveViziva.txt there. See tallis(1).\n"
    "\n"
    "  -h, --help     show this text\n"
    "  -V, --version  show the version\n"
    "\n"
    "Exit status: 0 after a normal end; 1 when the xAP node cannot start or another\n"
    "program runs in the same base folder; 2 on an argument; 74 when the devices\n"
    "could not be saved at the end.\n";

} // namespace

std::optional<int> handleCommandLine(int argc, char** argv)
{
    if (argc <= 1)
        return std::nullopt;
    const std::string_view first = argv[1];
    if (argc == 2 && (first == "-h" || first == "--help")) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (argc == 2 && (first == "-V" || first == "--version")) {
        std::printf("tallis %s\n", TALLIS_VERSION);
        return 0;
    }
    // Name the first argument that is not accepted: the second one after a valid
    // --help or --version, the first one otherwise.
    const bool firstIsKnown = first == "-h" || first == "--help" || first == "-V" || first == "--version";
    const char* refused = firstIsKnown ? argv[2] : argv[1];
    std::fprintf(stderr,
                 "tallis: unknown argument \"%s\": tallis takes no argument but --help or --version; "
                 "it is configured by the INI files of its Config folder\n",
                 refused);
    return 2;
}

} // namespace shell
