// CustomStatus: an inert record kept for plug-ins that expect it. Its setters drop the
// value; itemStatus reads as no object and Status as 0.
#pragma once

#include "automation/MemberTable.h"

namespace host {

class CustomStatus final : public vb::Dispatch<CustomStatus> {
public:
    static const vb::MemberTable<CustomStatus>& members();

    vb::Ref<vb::Object> itemStatus() { return nullptr; }
    void setItemStatus(vb::Variant) { }
    std::int32_t Status() { return 0; }
    void setStatus(vb::Variant) { }
};

} // namespace host
