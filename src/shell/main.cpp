// Entry of the tallis program.
#include "xap/Globals.h"
#include "xap/Logging.h"

int main()
{
    xap::InitXap();
    xap::WriteLogFile(xap::kProgramName, "Started in " + xap::BaseFolder);
    return 0;
}
