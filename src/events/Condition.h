// condition: one condition of an event record; a plain property holder.
#pragma once

#include "automation/MemberTable.h"

#include <cstdint>
#include <string>

namespace services {

class condition final : public vb::Dispatch<condition> {
public:
    static const vb::MemberTable<condition>& members();

    // `condition` is also the class's name, hence condition_.
    std::int16_t condition_ = 0;
    std::int16_t ctype = 0;
    float dev_ref = 0;
    std::int16_t orindex = 0;
    std::string plugin;
    std::string time;
};

} // namespace services
