#include "ServicesState.h"

namespace services {

ServicesState::ServicesState(xap::ProgramState& program_, host::HostRegistry& host_)
    : program(program_)
    , host(host_)
{
}

ServicesState::~ServicesState() = default;

} // namespace services
