// The extra objects as vbsrun-xap makes them: from a headless host.
#pragma once

#include "ExtraObjects.h"
#include "HostObject.h"

#include <vector>

namespace vbsrun {

// What the extra objects are made from; it outlives the script run.
struct ExtraSources {
    HeadlessHost host;
};

// The objects of extraObjectOptions(), each made from `sources`.
std::vector<ExtraObject> builtInExtras(ExtraSources& sources);

} // namespace vbsrun
