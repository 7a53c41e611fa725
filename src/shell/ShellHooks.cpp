#include "ShellHooks.h"
#include "ShellState.h"

namespace shell {

void endProgram(ShellState& shell, int status)
{
    if (shell.ended)
        return;
    shell.ended = true;
    shell.exitStatus = status;
    if (shell.hooks.endEventLoop)
        shell.hooks.endEventLoop(status);
}

bool programEnded(const ShellState& shell)
{
    return shell.ended;
}

int exitStatus(const ShellState& shell)
{
    return shell.exitStatus;
}

void resetProgramEnd(ShellState& shell)
{
    shell.ended = false;
    shell.exitStatus = 0;
}

} // namespace shell
