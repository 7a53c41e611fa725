// Every state a program's instance owns, made for one test: the states below the shell
// (OwnHostStates) and the shell's own, which works with them.
#pragma once

#include "OwnHostStates.h"

#include "shell/ShellState.h"

namespace testing_support {

struct OwnProgramStates : OwnHostStates {
    shell::ShellState shellState{servicesState};
};

} // namespace testing_support
