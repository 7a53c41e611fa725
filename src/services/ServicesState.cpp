#include "ServicesState.h"

namespace services {

ServicesState::ServicesState() = default;
ServicesState::~ServicesState() = default;

ServicesState& servicesState()
{
    return tallis::Current<ServicesState>::get();
}

} // namespace services
