// The state the host services keep for one running program: the loaded Setup form,
// what the form tells the window that shows it, and what the device file's last
// restore and save left. The program's instance owns one and hands it down; a tool or
// test makes its own. It works with the program state and host registry it is given.
#pragma once

#include "Setup.h"

#include <string>

namespace host {
struct HostRegistry;
}
namespace xap {
struct ProgramState;
}

namespace services {

struct ServicesState {
    // Both outlive the state.
    ServicesState(xap::ProgramState& program, host::HostRegistry& host);
    ~ServicesState();
    ServicesState(const ServicesState&) = delete;
    ServicesState& operator=(const ServicesState&) = delete;

    // The program whose host this is, and its host registry.
    xap::ProgramState& program;
    host::HostRegistry& host;

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

} // namespace services
