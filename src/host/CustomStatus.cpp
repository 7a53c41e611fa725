#include "CustomStatus.h"

namespace host {

const vb::MemberTable<CustomStatus>& CustomStatus::members()
{
    static const vb::MemberTable<CustomStatus> table("CustomStatus", {
        vb::get<&CustomStatus::itemStatus>("itemStatus"),
        vb::set<&CustomStatus::setItemStatus>("itemStatus"),
        vb::let<&CustomStatus::setItemStatus>("itemStatus"),
        vb::get<&CustomStatus::Status>("Status"),
        vb::let<&CustomStatus::setStatus>("Status"),
    });
    return table;
}

} // namespace host
