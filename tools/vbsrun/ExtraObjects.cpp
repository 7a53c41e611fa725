#include "ExtraObjects.h"

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
    // The host object ("--xap", named "xap" with its members as global names) is
    // registered here once the host library is linked into vbsrun.
}

} // namespace vbsrun
