#include "HostExtras.h"

namespace vbsrun {

std::vector<ExtraObject> builtInExtras(ExtraSources& sources)
{
    std::vector<ExtraObject> extras = extraObjectOptions();
    for (ExtraObject& extra : extras)
        if (extra.name == "xap")
            extra.create = [&sources] { return sources.host.hostObject(); };
    return extras;
}

} // namespace vbsrun
