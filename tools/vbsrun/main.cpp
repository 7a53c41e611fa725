// vbsrun [options] file.vbs [arguments...]
//
// Runs a VBScript file with a WScript object. Options come before the file; what
// follows the file is the script's own arguments. See CommandLine.cpp and vbsrun(1).
// This program holds the engine alone; an option that needs the emulated host hands
// the whole command line over to vbsrun-xap (HandOver.cpp).
#include "CommandLine.h"
#include "HandOver.h"

int main(int argc, char** argv)
{
    return vbsrun::runCommandLine(argc, argv, vbsrun::handOverExtras(argv));
}
