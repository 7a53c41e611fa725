#include "DevFunc.h"

#include "RecordFields.h"

namespace services {

const vb::MemberTable<devFunc>& devFunc::members()
{
    static const vb::MemberTable<devFunc> table("devFunc", {
        vb::fieldLet<&devFunc::devid>("devid"),
        vb::fieldLet<&devFunc::dim_percent>("dim_percent"),
        vb::fieldLet<&devFunc::dimto>("dimto"),
        vb::fieldLet<&devFunc::eprom_address>("eprom_address"),
        vb::fieldLet<&devFunc::func>("func"),
        vb::fieldLet<&devFunc::new_string>("new_string"),
        vb::fieldLet<&devFunc::secs_delay>("secs_delay"),
        vb::fieldLet<&devFunc::setpoint_action>("setpoint_action"),
        vb::fieldLet<&devFunc::tag>("tag"),
        vb::fieldGet<&devFunc::devid>("devid"),
        vb::fieldGet<&devFunc::dim_percent>("dim_percent"),
        vb::fieldGet<&devFunc::dimto>("dimto"),
        vb::fieldGet<&devFunc::eprom_address>("eprom_address"),
        vb::fieldGet<&devFunc::func>("func"),
        vb::fieldGet<&devFunc::new_string>("new_string"),
        vb::fieldGet<&devFunc::secs_delay>("secs_delay"),
        vb::fieldGet<&devFunc::setpoint_action>("setpoint_action"),
        vb::fieldGet<&devFunc::tag>("tag"),
    });
    return table;
}

} // namespace services
