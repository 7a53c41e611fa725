// vbsrun-xap [options] file.vbs [arguments...]
//
// vbsrun with the emulated host linked in: vbsrun hands its command line over to this
// program when an option needs the host (--xap). It reads the same options and runs
// the script the same way.
#include "CommandLine.h"
#include "HostExtras.h"
#include "Runner.h"

#include <cstdio>
#include <iostream>
#include <vector>

int main(int argc, char** argv)
{
    // Declared first: the script's objects, made while the line is read, come from it.
    vbsrun::ExtraSources sources;
    const std::vector<vbsrun::ExtraObject> extras = vbsrun::builtInExtras(sources);
    const vbsrun::CommandLine line = vbsrun::parseCommandLine(argc, argv, extras);
    if (!line.run)
        return line.exitStatus;
    const int code = vbsrun::runScript(*line.run, std::cerr);
    std::fflush(stdout);
    return code;
}
