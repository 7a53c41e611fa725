// vbsrun-xap [options] file.vbs [arguments...]
//
// vbsrun with the emulated host linked in: vbsrun hands its command line over to this
// program when an option needs the host (--xap). It reads the same options and runs
// the script the same way.
#include "CommandLine.h"
#include "HostExtras.h"

int main(int argc, char** argv)
{
    // Declared first: the script's objects, made while the line is read, come from it.
    vbsrun::ExtraSources sources;
    return vbsrun::runCommandLine(argc, argv, vbsrun::builtInExtras(sources));
}
