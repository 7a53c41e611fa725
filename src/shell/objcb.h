// objcb: a callback record of the public object model (event type, handle, the object to
// call back). The accessors only store and return; the host itself never creates one.
#pragma once

#include "automation/MemberTable.h"

#include <cstdint>

namespace shell {

class objcb final : public vb::Dispatch<objcb> {
public:
    static const vb::MemberTable<objcb>& members();

    std::int32_t evtype = 0;
    std::int16_t handle = 0;
    vb::Ref<vb::Object> obj;
};

} // namespace shell
