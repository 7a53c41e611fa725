// Entry of the tallis program. It takes no command line: everything comes from the
// INI files of its Config folder.
#include "Program.h"
#include "ShellHooks.h"
#include "desktop/DesktopFace.h"

int main(int argc, char** argv)
{
    shell::hooks().installDesktop = shell::installDesktopFace;
    return shell::runProgram(argc, argv);
}
