#include "ShellState.h"

#include "FRH.h"
#include "TallisForm.h"

namespace shell {

ShellState::ShellState() = default;

ShellState::~ShellState()
{
    // The start object first: its termination may still reach the main form.
    startObject.reset();
    mainForm.reset();
}

ShellState& shellState()
{
    return tallis::Current<ShellState>::get();
}

} // namespace shell
