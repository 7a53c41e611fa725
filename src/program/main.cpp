// Entry of the tallis program. It takes no command line but --base, --help and
// --version: everything comes from the INI files of its Config folder.
#include "Instance.h"

#include "shell/CommandLine.h"
#include "platform/ExecutablePath.h"

#include <cstdlib>

int main(int argc, char** argv)
{
    const shell::CommandLine options = shell::parseCommandLine(argc, argv, std::getenv("TALLIS_BASE"));
    if (options.exitStatus)
        return *options.exitStatus;
    platform::setInvocationPath(argc > 0 ? argv[0] : "");
    program::Instance instance(argc, argv, options.baseFolder);
    return instance.run();
}
