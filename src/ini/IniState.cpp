#include "IniState.h"

namespace services {

IniState::IniState() = default;
IniState::~IniState() = default;

} // namespace services
