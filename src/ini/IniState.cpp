#include "IniState.h"

namespace services {

namespace {

// The state of a process that made no program state current.
IniState& defaultState()
{
    static IniState state;
    return state;
}

// The one pointer that selects the current state; a program state moves it for its lifetime.
IniState* gCurrent = nullptr;

} // namespace

IniState::IniState() = default;
IniState::~IniState() = default;

IniState& iniState()
{
    return gCurrent ? *gCurrent : defaultState();
}

IniScope::IniScope(IniState& state)
    : previous_(gCurrent)
{
    gCurrent = &state;
}

IniScope::~IniScope()
{
    gCurrent = previous_;
}

} // namespace services
