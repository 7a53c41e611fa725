#include "ExtraObjects.h"

namespace vbsrun {

std::vector<ExtraObject> extraObjectOptions()
{
    return {
        ExtraObject{"--xap", "xap", true,
                    "the host object as \"xap\" (members also as global names), a headless host on a temporary folder; "
                    "what it would send over xAP is printed on standard error",
                    {}},
    };
}

} // namespace vbsrun
