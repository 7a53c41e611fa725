#include "DeviceClass.h"

#include "events/RecordFields.h"

namespace host {

const vb::MemberTable<DeviceClass>& DeviceClass::members()
{
    static const vb::MemberTable<DeviceClass> table("DeviceClass", {
        vb::fieldGet<&DeviceClass::buttons>("buttons"),
        vb::fieldLet<&DeviceClass::buttons>("buttons"),
        vb::fieldGet<&DeviceClass::can_dim>("can_dim"),
        vb::fieldLet<&DeviceClass::can_dim>("can_dim"),
        vb::fieldGet<&DeviceClass::CustomStatus>("CustomStatus"),
        vb::fieldLet<&DeviceClass::CustomStatus>("CustomStatus"),
        vb::fieldGet<&DeviceClass::dc>("dc"),
        vb::fieldLet<&DeviceClass::dc>("dc"),
        vb::fieldGet<&DeviceClass::dev_type_string>("dev_type_string"),
        vb::fieldLet<&DeviceClass::dev_type_string>("dev_type_string"),
        vb::fieldGet<&DeviceClass::hc>("hc"),
        vb::fieldLet<&DeviceClass::hc>("hc"),
        vb::fieldGet<&DeviceClass::interface>("interface"),
        vb::fieldLet<&DeviceClass::interface>("interface"),
        vb::fieldGet<&DeviceClass::iomisc>("iomisc"),
        vb::fieldLet<&DeviceClass::iomisc>("iomisc"),
        vb::fieldGet<&DeviceClass::iotype>("iotype"),
        vb::fieldLet<&DeviceClass::iotype>("iotype"),
        vb::fieldGet<&DeviceClass::location>("location"),
        vb::fieldLet<&DeviceClass::location>("location"),
        vb::fieldGet<&DeviceClass::misc>("misc"),
        vb::fieldLet<&DeviceClass::misc>("misc"),
        vb::fieldGet<&DeviceClass::name>("name"),
        vb::fieldLet<&DeviceClass::name>("name"),
        vb::fieldGet<&DeviceClass::ref>("ref"),
        vb::fieldLet<&DeviceClass::ref>("ref"),
        vb::fieldGet<&DeviceClass::res1>("res1"),
        vb::fieldLet<&DeviceClass::res1>("res1"),
        vb::fieldGet<&DeviceClass::sldim>("sldim"),
        vb::fieldLet<&DeviceClass::sldim>("sldim"),
        vb::fieldGet<&DeviceClass::Status>("Status"),
        vb::fieldLet<&DeviceClass::Status>("Status"),
        vb::fieldGet<&DeviceClass::status_support>("status_support"),
        vb::fieldLet<&DeviceClass::status_support>("status_support"),
        vb::fieldGet<&DeviceClass::status_cool_setpoint>("status_cool_setpoint"),
        vb::fieldLet<&DeviceClass::status_cool_setpoint>("status_cool_setpoint"),
        vb::fieldGet<&DeviceClass::tag>("tag"),
        vb::fieldLet<&DeviceClass::tag>("tag"),
        vb::fieldGet<&DeviceClass::tag1>("tag1"),
        vb::fieldLet<&DeviceClass::tag1>("tag1"),
        vb::fieldGet<&DeviceClass::time_off>("time_off"),
        vb::fieldLet<&DeviceClass::time_off>("time_off"),
        vb::fieldGet<&DeviceClass::time_on>("time_on"),
        vb::fieldLet<&DeviceClass::time_on>("time_on"),
        vb::fieldGet<&DeviceClass::ui_action>("ui_action"),
        vb::fieldLet<&DeviceClass::ui_action>("ui_action"),
        vb::fieldGet<&DeviceClass::values>("values"),
        vb::fieldLet<&DeviceClass::values>("values"),
        vb::fieldGet<&DeviceClass::zwave_nodeid>("zwave_nodeid"),
        vb::fieldLet<&DeviceClass::zwave_nodeid>("zwave_nodeid"),
        vb::fieldGet<&DeviceClass::zwave_nodetype>("zwave_nodetype"),
        vb::fieldLet<&DeviceClass::zwave_nodetype>("zwave_nodetype"),
        vb::fieldGet<&DeviceClass::zwave_pollrate>("zwave_pollrate"),
        vb::fieldLet<&DeviceClass::zwave_pollrate>("zwave_pollrate"),
        vb::fieldGet<&DeviceClass::zwave_polltimer>("zwave_polltimer"),
        vb::fieldLet<&DeviceClass::zwave_polltimer>("zwave_polltimer"),
    });
    return table;
}

} // namespace host
