// Entry of the tallis program. It takes no command line (but --help and --version):
// everything comes from the INI files of its Config folder.
#include "CommandLine.h"
#include "Program.h"
#include "ShellHooks.h"
#include "desktop/DesktopFace.h"
#include "platform/ExecutablePath.h"

int main(int argc, char** argv)
{
    if (const std::optional<int> status = shell::handleCommandLine(argc, argv))
        return *status;
    platform::setInvocationPath(argc > 0 ? argv[0] : "");
    shell::hooks().installDesktop = shell::installDesktopFace;
    return shell::runProgram(argc, argv);
}
