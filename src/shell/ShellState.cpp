#include "ShellState.h"

#include "FRH.h"
#include "TallisForm.h"

#include "services/ServicesState.h"

namespace shell {

ShellState::ShellState(services::ServicesState& services_)
    : services(services_)
    , host(services_.host)
{
}

ShellState::~ShellState()
{
    // The start object first: its termination may still reach the main form.
    startObject.reset();
    mainForm.reset();
}

} // namespace shell
