#include "Condition.h"

#include "RecordFields.h"

namespace services {

const vb::MemberTable<condition>& condition::members()
{
    static const vb::MemberTable<condition> table("condition", {
        vb::fieldLet<&condition::condition_>("condition"),
        vb::fieldLet<&condition::ctype>("ctype"),
        vb::fieldLet<&condition::dev_ref>("dev_ref"),
        vb::fieldLet<&condition::orindex>("orindex"),
        vb::fieldLet<&condition::plugin>("plugin"),
        vb::fieldLet<&condition::time>("time"),
        vb::fieldGet<&condition::condition_>("condition"),
        vb::fieldGet<&condition::ctype>("ctype"),
        vb::fieldGet<&condition::dev_ref>("dev_ref"),
        vb::fieldGet<&condition::orindex>("orindex"),
        vb::fieldGet<&condition::plugin>("plugin"),
        vb::fieldGet<&condition::time>("time"),
    });
    return table;
}

} // namespace services
