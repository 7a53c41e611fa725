#include "HostState.h"

#include "Application.h"

#include "automation/Error.h"

namespace host {

namespace {
vb::Ref<HostState> gState;
}

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

services::IniTool& HostState::iniStore()
{
    if (!sharedIni)
        sharedIni = std::make_unique<services::IniTool>();
    return *sharedIni;
}

HostState& state()
{
    if (!gState)
        vb::raiseError(vb::err::ObjectVariableNotSet);
    return *gState;
}

HostState* loadedState()
{
    return gState.get();
}

HostState& createState()
{
    gState = vb::make<HostState>();
    return *gState;
}

void releaseState()
{
    gState.reset();
}

} // namespace host
