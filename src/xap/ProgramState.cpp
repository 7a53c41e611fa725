#include "ProgramState.h"

#include <cstdlib>

namespace xap {

namespace {

// The state of a process that created no instance (tools, most tests).
ProgramState& defaultState()
{
    static ProgramState state;
    // Repeats still being counted when the process ends are reported then.
    static const bool flushedAtExit = std::atexit([] { state.log.flush(); }) == 0;
    (void)flushedAtExit;
    return state;
}

// The one pointer that selects the current state; an instance moves it for its lifetime.
ProgramState* gCurrent = nullptr;

} // namespace

ProgramState::~ProgramState()
{
    log.flush();
}

ProgramState& state()
{
    return gCurrent ? *gCurrent : defaultState();
}

StateScope::StateScope(ProgramState& state)
    : previous_(gCurrent)
    , currentIni_(state.ini)
{
    gCurrent = &state;
}

StateScope::~StateScope()
{
    gCurrent = previous_;
}

} // namespace xap
