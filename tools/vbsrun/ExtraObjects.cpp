#include "ExtraObjects.h"

#include "HostObject.h"

namespace vbsrun {

namespace {
std::vector<ExtraObject>& registry()
{
    static std::vector<ExtraObject> extras;
    return extras;
}
} // namespace

void registerExtraObject(ExtraObject extra)
{
    registry().push_back(std::move(extra));
}

const std::vector<ExtraObject>& extraObjects()
{
    return registry();
}

void registerBuiltInExtras()
{
    registerExtraObject(ExtraObject{"--xap", "xap", true,
        "the host object as \"xap\" (members also as global names), a headless host on a temporary folder; "
        "what it would send over xAP is printed on standard error",
        createHeadlessHost});
}

} // namespace vbsrun
