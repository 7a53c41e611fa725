#include "HostRegistry.h"

#include "HostState.h"

namespace host {

HostRegistry::HostRegistry() = default;
HostRegistry::~HostRegistry() = default;

HostRegistry& hostRegistry()
{
    return tallis::Current<HostRegistry>::get();
}

} // namespace host
