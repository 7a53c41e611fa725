#include "ShellHooks.h"

namespace shell {

namespace {
bool gEnded = false;
int gStatus = 0;
} // namespace

ShellHooks& hooks()
{
    static ShellHooks instance;
    return instance;
}

void endProgram(int status)
{
    if (gEnded)
        return;
    gEnded = true;
    gStatus = status;
    if (hooks().endEventLoop)
        hooks().endEventLoop(status);
}

bool programEnded()
{
    return gEnded;
}

int exitStatus()
{
    return gStatus;
}

void resetProgramEnd()
{
    gEnded = false;
    gStatus = 0;
}

} // namespace shell
