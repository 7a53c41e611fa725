// Named objects a command-line option adds to the scripts vbsrun runs (for example
// the host object as "xap"). Each comes with its option and a factory; vbsrun lists
// the options in its usage text and adds the object when the option is given.
#pragma once

#include "automation/Object.h"

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

// The extra objects' options, names and texts (see ExtraObjects.cpp), without their
// factories: vbsrun-xap fills them in with the host (HostExtras.h), vbsrun with a hand-
// over to vbsrun-xap (HandOver.h). One table, so both programs read and list the same.
std::vector<ExtraObject> extraObjectOptions();

} // namespace vbsrun
