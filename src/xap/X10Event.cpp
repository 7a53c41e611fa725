#include "X10Event.h"

#include "ProgramState.h"
#include "Logging.h"
#include "Outgoing.h"

#include "automation/Conversions.h"

namespace xap {

std::string x10DeviceList(const std::string& sDevice, const std::string& sHouse)
{
    // A leading house letter is dropped: the list is rebuilt from sHouse.
    std::string units = sDevice;
    if (!units.empty() && !vb::IsNumeric(vb::Variant(units.substr(0, 1))))
        units.erase(0, 1);
    std::string list = sHouse;
    for (char c : units) {
        if (c == '+') {
            list += ',';
            list += sHouse;
        } else {
            list += c;
        }
    }
    return list;
}

void SendX10Event(const std::string& sDevice, const std::string& sHouse, std::int16_t iCommand, const vb::Variant&,
                  const vb::Variant&)
{
    vb::trap(logEventReporter(), kProgramName, "SendX10Event", [&] {
        const std::string device = x10DeviceList(sDevice, sHouse);
        const std::string event = std::to_string(iCommand);
        SendXap("", "xAP-X10.event", "xAP-X10.event", itemList({{"Device", device}, {"Event", event}}), "", "");
    });
}

} // namespace xap
