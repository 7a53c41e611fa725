// DeviceClass: one device record of the emulated host. A plain record: each property
// is a Get and a Let (a Set for CustomStatus) over its field, and a Let only stores.
//
// The status that the host's members read and write lives in the device state tables,
// not in `Status`, which is kept for the plug-in only.
#pragma once

#include "automation/MemberTable.h"

#include <cstdint>
#include <string>

namespace host {

class DeviceClass final : public vb::Dispatch<DeviceClass> {
public:
    static const vb::MemberTable<DeviceClass>& members();

    // The device code: house character `hc` followed by the unit text `dc`.
    std::string code() const { return hc + dc; }

    // Fields in declaration order, all empty, zero or False on creation.
    std::string buttons;
    bool can_dim = false;
    vb::Ref<vb::Object> CustomStatus;
    std::string dc;
    std::string dev_type_string;
    std::string hc;
    std::string interface;
    std::string iomisc;
    std::int16_t iotype = 0;
    vb::Variant location;
    std::int32_t misc = 0;
    std::string name;
    std::int32_t ref = 0;
    std::int32_t res1 = 0;
    std::int16_t sldim = 0;
    std::int16_t Status = 0;
    bool status_support = false;
    bool status_cool_setpoint = false;
    std::int16_t tag = 0;
    std::int16_t tag1 = 0;
    std::int32_t time_off = 0;
    std::int32_t time_on = 0;
    std::string ui_action;
    std::string values;
    std::int16_t zwave_nodeid = 0;
    std::int16_t zwave_nodetype = 0;
    std::int16_t zwave_pollrate = 0;
    std::int16_t zwave_polltimer = 0;
};

} // namespace host
