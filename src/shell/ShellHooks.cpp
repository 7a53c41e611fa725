#include "ShellHooks.h"
#include "ShellState.h"

namespace shell {

ShellHooks& hooks()
{
    return shellState().hooks;
}

void endProgram(int status)
{
    ShellState& state = shellState();
    if (state.ended)
        return;
    state.ended = true;
    state.exitStatus = status;
    if (state.hooks.endEventLoop)
        state.hooks.endEventLoop(status);
}

bool programEnded()
{
    return shellState().ended;
}

int exitStatus()
{
    return shellState().exitStatus;
}

void resetProgramEnd()
{
    shellState().ended = false;
    shellState().exitStatus = 0;
}

} // namespace shell
