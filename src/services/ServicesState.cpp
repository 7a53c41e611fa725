#include "ServicesState.h"

namespace services {

namespace {

// The state of a process that created no instance (tools, most tests).
ServicesState& defaultState()
{
    static ServicesState state;
    return state;
}

// The one pointer that selects the current state; an instance moves it for its lifetime.
ServicesState* gCurrent = nullptr;

} // namespace

ServicesState::ServicesState() = default;
ServicesState::~ServicesState() = default;

ServicesState& servicesState()
{
    return gCurrent ? *gCurrent : defaultState();
}

ServicesScope::ServicesScope(ServicesState& state)
    : previous_(gCurrent)
{
    gCurrent = &state;
}

ServicesScope::~ServicesScope()
{
    gCurrent = previous_;
}

} // namespace services
