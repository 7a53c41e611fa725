// The extra objects as vbsrun-xap makes them: from a headless host.
#pragma once

#include "ExtraObjects.h"
#include "HostObject.h"

#include "xap/ProgramState.h"

#include <vector>

namespace vbsrun {

// What the extra objects are made from; it outlives the script run.
struct ExtraSources {
    // The state of the program the headless host runs in; its log is flushed when it goes.
    xap::ProgramState program;
    HeadlessHost host{program};
};

// The objects of extraObjectOptions(), each made from `sources`.
std::vector<ExtraObject> builtInExtras(ExtraSources& sources);

} // namespace vbsrun
