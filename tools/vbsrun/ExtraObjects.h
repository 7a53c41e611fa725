// Named objects a command-line option adds to the scripts vbsrun runs (for example
// the host object as "xap"). Each comes with its option and a factory; vbsrun lists
// the options in its usage text and adds the object when the option is given.
#pragma once

#include "HostObject.h"

#include "automation/Object.h"
#include "xap/ProgramState.h"

#include <functional>
#include <string>
#include <vector>

namespace vbsrun {

struct ExtraObject {
    std::string option;      // "--xap"
    std::string name;        // the name scripts use ("xap")
    bool globalMembers;      // members usable as global names too
    std::string help;        // one line for the usage text
    std::function<vb::Ref<vb::Object>()> create;
};

// What the extra objects are made from; it outlives the script run.
struct ExtraSources {
    // The state of the program the headless host runs in; its log is flushed when it goes.
    xap::ProgramState program;
    HeadlessHost host{program};
};

// The objects that come with the program (see ExtraObjects.cpp), made from `sources`.
std::vector<ExtraObject> builtInExtras(ExtraSources& sources);

} // namespace vbsrun
