// The states a program keeps below its shell, made for one test: the test hands them to
// what it tests, so a test's log, messages, plug-in and Setup form never reach another
// test. A fixture declares it after whatever must outlive the states (a temporary base
// folder the log is flushed into) and before whatever must go first.
#pragma once

#include "host/HostRegistry.h"
#include "services/ServicesState.h"
#include "xap/ProgramState.h"

namespace testing_support {

struct OwnHostStates {
    xap::ProgramState program;
    host::HostRegistry hostRegistry;
    services::ServicesState servicesState{program, hostRegistry};
};

} // namespace testing_support
