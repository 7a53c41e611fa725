// Every state a program's instance owns, made for one test and current while it
// lives: the states below the shell (OwnHostStates) and the shell's own.
#pragma once

#include "OwnHostStates.h"

#include "shell/ShellState.h"

namespace testing_support {

struct OwnProgramStates : OwnHostStates {
    shell::ShellState shellState;
    shell::ShellScope currentShell{shellState};
};

} // namespace testing_support
