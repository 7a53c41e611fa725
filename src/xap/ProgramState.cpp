#include "ProgramState.h"

#include "Logging.h"

#include <cstdlib>

namespace xap {

ProgramState::ProgramState()
    : logEventReporter([this](std::string_view source, std::string_view text) { LogEvent(*this, source, text); })
    , writeLogFileReporter([this](std::string_view source, std::string_view text) { WriteLogFile(*this, source, text); })
{
}

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
