// Entry of the tallis program. It takes no command line: everything comes from the
// INI files of its Config folder.
#include "Program.h"

int main(int argc, char** argv)
{
    return shell::runProgram(argc, argv);
}
