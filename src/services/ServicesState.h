// The state the host services keep for one running program: the loaded Setup form,
// what the form tells the window that shows it, and what the device file's last
// restore and save left. The program's instance owns one and makes it current while
// it lives; tools and tests that create no instance use a default one, and a test
// may make its own.
#pragma once

#include "Setup.h"

#include "base/Current.h"

#include <string>

namespace services {

struct ServicesState {
    ServicesState();
    ~ServicesState();
    ServicesState(const ServicesState&) = delete;
    ServicesState& operator=(const ServicesState&) = delete;

    // The Setup form while it is loaded (it exists once per program).
    vb::Ref<Setup> setupForm;
    // "" when the devices were saved at the last host shutdown, else the file and the reason.
    std::string shutdownSaveError;
    SetupWindowHooks windowHooks;

    // The device file: the first failure of the last save, the records last restored
    // or saved (one "key=value" line each), and why the file could not be read at start
    // ("" when it could, or did not exist; while set, this run never writes that file
    // or its backup).
    std::string deviceSaveError;
    std::string deviceSnapshot;
    std::string deviceUnreadableReason;
};

// The current program's services state.
ServicesState& servicesState();

// Makes a state current for its lifetime, then the previous one again.
using ServicesScope = tallis::Current<ServicesState>::Scope;

} // namespace services
