// vbsrun [options] file.vbs [arguments...]
//
// Runs a VBScript file with a WScript object. Options come before the file; what
// follows the file is the script's own arguments. See CommandLine.cpp and vbsrun(1).
// This program holds the engine alone; an option that needs the emulated host hands
// the whole command line over to vbsrun-xap (HandOver.cpp).
#include "CommandLine.h"
#include "HandOver.h"
#include "Runner.h"

#include <cstdio>
#include <iostream>
#include <vector>

int main(int argc, char** argv)
{
    const std::vector<vbsrun::ExtraObject> extras = vbsrun::handOverExtras(argv);
    const vbsrun::CommandLine line = vbsrun::parseCommandLine(argc, argv, extras);
    if (!line.run)
        return line.exitStatus;
    const int code = vbsrun::runScript(*line.run, std::cerr);
    std::fflush(stdout);
    return code;
}
