#include "HostState.h"

#include "Application.h"
#include "HostRegistry.h"

#include "automation/Error.h"
#include "ini/IniState.h"

namespace host {

HostState::HostState() : houseRows(buildHouseRowTable()) { }

HostState::~HostState() = default;

vb::Collection& HostState::deviceList()
{
    return *deviceListRef();
}

vb::Collection& HostState::eventList()
{
    return *eventListRef();
}

vb::Ref<vb::Collection> HostState::deviceListRef()
{
    if (!deviceList_)
        deviceList_ = vb::make<vb::Collection>();
    return deviceList_;
}

vb::Ref<vb::Collection> HostState::eventListRef()
{
    if (!eventList_)
        eventList_ = vb::make<vb::Collection>();
    return eventList_;
}

void HostState::releaseLists()
{
    deviceList_.reset();
    eventList_.reset();
}

services::IniTool& HostState::iniStore(services::IniState& ini)
{
    if (!sharedIni)
        sharedIni = std::make_unique<services::IniTool>(ini);
    return *sharedIni;
}

HostState& state(HostRegistry& registry)
{
    HostState* s = registry.loadedState.get();
    if (!s)
        vb::raiseError(vb::err::ObjectVariableNotSet);
    return *s;
}

HostState* loadedState(HostRegistry& registry)
{
    return registry.loadedState.get();
}

HostState& createState(HostRegistry& registry)
{
    vb::Ref<HostState>& s = registry.loadedState;
    s = vb::make<HostState>();
    return *s;
}

void releaseState(HostRegistry& registry)
{
    registry.loadedState.reset();
}

} // namespace host
