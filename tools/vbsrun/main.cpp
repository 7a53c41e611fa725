// vbsrun [options] file.vbs [arguments...]
//
// Runs a VBScript file with a WScript object. Options come before the file; what
// follows the file is the script's own arguments. See CommandLine.cpp and vbsrun(1).
#include "CommandLine.h"
#include "ExtraObjects.h"
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
