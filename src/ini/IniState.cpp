#include "IniState.h"

namespace services {

IniState::IniState() = default;
IniState::~IniState() = default;

IniState& iniState()
{
    return tallis::Current<IniState>::get();
}

} // namespace services
