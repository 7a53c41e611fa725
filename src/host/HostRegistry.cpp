#include "HostRegistry.h"

#include "HostState.h"

namespace host {

HostRegistry::HostRegistry() = default;
HostRegistry::~HostRegistry() = default;

} // namespace host
