// devFunc: one device action of an event record; a plain property holder. Note that
// eprom_address is a 16-bit integer here while EventClass keeps it as text.
#pragma once

#include "automation/MemberTable.h"

#include <cstdint>
#include <string>

namespace services {

class devFunc final : public vb::Dispatch<devFunc> {
public:
    static const vb::MemberTable<devFunc>& members();

    float devid = 0;
    std::int16_t dim_percent = 0;
    std::int16_t dimto = 0;
    std::int16_t eprom_address = 0;
    std::int16_t func = 0;
    std::string new_string;
    std::int32_t secs_delay = 0;
    std::int16_t setpoint_action = 0;
    vb::Variant tag;
};

} // namespace services
