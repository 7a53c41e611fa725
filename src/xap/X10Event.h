// sendX10Event: reports an X10 device event as an "xAP-X10.event" message. The host
// callback object's X10Event passes its arguments straight through.
#pragma once

#include "automation/Variant.h"

#include <cstdint>
#include <string>

namespace xap {

struct ProgramState;

// Sent through `program`'s send path. `units` is a unit or a "+"-joined list of units, possibly led by the house letter
// ("A1+2+3" or "1+2+3"); `houseCode` the house letter; `command` the numeric X10 command
// (2 ON, 3 OFF, 4 DIM, 5 BRIGHT). The last two arguments are accepted and not used.
void sendX10Event(ProgramState& program, const std::string& units, const std::string& houseCode, std::int16_t command,
                  const vb::Variant& unused1 = {}, const vb::Variant& unused2 = {});

// The "Device" item: the house letter before every unit, units joined by ",".
std::string x10DeviceList(const std::string& device, const std::string& houseCode);

} // namespace xap
