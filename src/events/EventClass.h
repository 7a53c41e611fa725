// EventClass: one event record of the emulated host. A plain property holder: every
// property stores what it is given and returns what was stored; nothing validates,
// converts beyond the property's type, or runs an event.
#pragma once

#include "automation/MemberTable.h"

#include <cstdint>
#include <string>

namespace services {

class EventClass final : public vb::Dispatch<EventClass> {
public:
    static const vb::MemberTable<EventClass>& members();

    // The properties in their published order, each at its type's default (the zero
    // date, no object, an empty Variant). `delete` is a C++ keyword, hence delete_.
    bool Enabled = false;
    std::int16_t delete_ = 0;
    std::string dtmf;
    std::string eprom_address;
    std::int16_t ev_abs_time = 0;
    std::string ev_app_path;
    vb::Ref<vb::Object> ev_conditions;
    std::string ev_date;
    std::int16_t ev_days = 0;
    vb::Ref<vb::Object> ev_devices;
    std::int16_t ev_dimpercent = 0;
    bool ev_dimto = false;
    std::int16_t ev_func = 0;
    std::string ev_hc;
    std::string ev_mail_message;
    std::string ev_mail_subj;
    std::string ev_mail_to;
    std::string ev_offset;
    bool ev_offset_before = false;
    std::string ev_time;
    std::string ev_trig_dc;
    std::int16_t ev_trig_func = 0;
    std::string ev_trig_hc;
    std::string ev_wav_path;
    std::string events;
    std::string group;
    std::int16_t handled = 0;
    std::string ir;
    std::int16_t irmatch = 0;
    vb::Date last_trigger_time;
    bool last_trigger_time_valid = false;
    std::string mail_attach_path;
    std::int32_t misc = 0;
    std::string misc_actions;
    std::int32_t misc2 = 0;
    std::string name;
    std::int16_t order = 0;
    std::string phone_actions;
    std::int16_t phone_event = 0;
    std::int16_t phone_line = 0;
    std::string pi_actions;
    std::string pi_trig_name;
    std::string pi_trigger;
    std::string popfrom;
    vb::Date rec_last;
    std::int16_t rec_mins = 0;
    std::int16_t rec_secs = 0;
    std::int16_t rec_secs_tmp = 0;
    std::string relay;
    std::string scripts;
    std::string sec_action;
    std::string sec_trigger;
    std::int16_t security_offset = 0;
    std::int16_t source_line = 0;
    std::string speak_after_script;
    std::string speak_before_script;
    std::int16_t speak_device = 0;
    std::string speech;
    vb::Variant tag;
    bool time_handled = false;
    std::string vcmd;
};

} // namespace services
