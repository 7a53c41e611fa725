#include "X10Event.h"

#include "ProgramState.h"
#include "Logging.h"
#include "Outgoing.h"

#include "automation/Conversions.h"

namespace xap {

std::string x10DeviceList(const std::string& device, const std::string& houseCode)
{
    // A leading house letter is dropped: the list is rebuilt from houseCode.
    std::string units = device;
    if (!units.empty() && !vb::IsNumeric(vb::Variant(units.substr(0, 1))))
        units.erase(0, 1);
    std::string list = houseCode;
    for (char c : units) {
        if (c == '+') {
            list += ',';
            list += houseCode;
        } else {
            list += c;
        }
    }
    return list;
}

void sendX10Event(ProgramState& program, const std::string& units, const std::string& houseCode, std::int16_t command, const vb::Variant&,
                  const vb::Variant&)
{
    vb::trap(logEventReporter(program), kProgramName, "SendX10Event", [&] {
        const std::string device = x10DeviceList(units, houseCode);
        const std::string event = std::to_string(command);
        SendXap(program, "", "xAP-X10.event", "xAP-X10.event", itemList({{"Device", device}, {"Event", event}}), "", "");
    });
}

} // namespace xap
