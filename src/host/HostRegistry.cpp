#include "HostRegistry.h"

#include "HostState.h"

namespace host {

namespace {

// The registry of a process that created no instance (tools, most tests).
HostRegistry& defaultRegistry()
{
    static HostRegistry registry;
    return registry;
}

// The one pointer that selects the current registry; an instance moves it for its lifetime.
HostRegistry* gCurrent = nullptr;

} // namespace

HostRegistry::HostRegistry() = default;
HostRegistry::~HostRegistry() = default;

HostRegistry& hostRegistry()
{
    return gCurrent ? *gCurrent : defaultRegistry();
}

HostRegistryScope::HostRegistryScope(HostRegistry& registry)
    : previous_(gCurrent)
{
    gCurrent = &registry;
}

HostRegistryScope::~HostRegistryScope()
{
    gCurrent = previous_;
}

} // namespace host
