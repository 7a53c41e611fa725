#include "ProgramState.h"

#include "Logging.h"

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

} // namespace xap
