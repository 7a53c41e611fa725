#include "ProgramState.h"

#include <cstdlib>

namespace xap {

ProgramState::~ProgramState()
{
    log.flush();
}

void ProgramState::madeDefault(ProgramState& state)
{
    // The at-exit handler takes no argument: it finds the default state here.
    static ProgramState* const defaultState = &state;
    std::atexit([] { defaultState->log.flush(); });
}

ProgramState& state()
{
    return tallis::Current<ProgramState>::get();
}

} // namespace xap
