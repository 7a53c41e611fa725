// The state the shell keeps for one running program: the steps its subsystems wired
// in, whether and how it ended, the main form and the start object. The program's
// instance owns one and hands it down; a test makes its own. It works with the
// services state (and through it the host registry) it is given.
#pragma once

#include "InboundDispatch.h"
#include "ShellHooks.h"

#include "automation/Object.h"

#include <map>
#include <string>

namespace bsc {
class EndpointService;
}
namespace host {
struct HostRegistry;
}
namespace platform {
class SharedLibrary;
}
namespace services {
struct ServicesState;
}

namespace shell {

class FRH;
class TallisForm;

struct ShellState {
    // `services` outlives the state.
    explicit ShellState(services::ServicesState& services);
    ~ShellState();
    ShellState(const ShellState&) = delete;
    ShellState& operator=(const ShellState&) = delete;

    // The services of this program, and its host registry (the one they work with).
    services::ServicesState& services;
    host::HostRegistry& host;

    ShellHooks hooks;
    // The base folder the command line chose (--base); empty: the executable's folder.
    std::string chosenBaseFolder;
    bool ended = false;  // the program has ended: no unload or termination handler runs
    int exitStatus = 0;
    vb::Ref<TallisForm> mainForm;  // null before the start object loads it
    vb::Ref<FRH> startObject;      // kept by Main
    InboundObserver inboundObserver; // sees what is handed to the plug-in
    // The hosted plug-in was created, but its start (name, RegisterCallback, InitIO)
    // has not completed.
    bool pluginStartIncomplete = false;
    // The BSC endpoints when they are on (owned by the program's instance).
    bsc::EndpointService* endpoints = nullptr;
    // The plug-in libraries loaded, by path. Never closed: objects they made may
    // outlive the program's state.
    std::map<std::string, platform::SharedLibrary*> loadedLibraries;
};

} // namespace shell
