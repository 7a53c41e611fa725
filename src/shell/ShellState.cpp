#include "ShellState.h"

#include "FRH.h"
#include "TallisForm.h"

namespace shell {

namespace {

// The state of a process that created no instance (tests that use the default).
ShellState& defaultState()
{
    static ShellState state;
    return state;
}

// The one pointer that selects the current state; an instance moves it for its lifetime.
ShellState* gCurrent = nullptr;

} // namespace

ShellState::ShellState() = default;

ShellState::~ShellState()
{
    // The start object first: its termination may still reach the main form.
    startObject.reset();
    mainForm.reset();
}

ShellState& shellState()
{
    return gCurrent ? *gCurrent : defaultState();
}

ShellScope::ShellScope(ShellState& state)
    : previous_(gCurrent)
{
    gCurrent = &state;
}

ShellScope::~ShellScope()
{
    gCurrent = previous_;
}

} // namespace shell
