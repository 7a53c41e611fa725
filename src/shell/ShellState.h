// The state the shell keeps for one running program: the steps its subsystems wired
// in, whether and how it ended, the main form and the start object. The program's
// instance owns one and makes it current while it lives; a test makes its own.
#pragma once

#include "InboundDispatch.h"
#include "ShellHooks.h"

#include "automation/Object.h"
#include "base/Current.h"

#include <map>
#include <string>

namespace bsc {
class EndpointService;
}
namespace platform {
class SharedLibrary;
}

namespace shell {

class FRH;
class TallisForm;

struct ShellState {
    ShellState();
    ~ShellState();
    ShellState(const ShellState&) = delete;
    ShellState& operator=(const ShellState&) = delete;

    ShellHooks hooks;
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

// The current program's shell state.
ShellState& shellState();

// Makes a state current for its lifetime, then the previous one again.
using ShellScope = tallis::Current<ShellState>::Scope;

} // namespace shell
