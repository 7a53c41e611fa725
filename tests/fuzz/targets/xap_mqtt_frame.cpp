// The bridge's readers on hostile input: a datagram read as an xAP frame and a BSC
// report, its state payloads and discovery message, the tunnel's handling of it as a
// frame from another site, and the id mapping (always plain, always reversible).
#include "Bsc.h"
#include "Config.h"
#include "Discovery.h"
#include "TopicId.h"
#include "Tunnel.h"
#include "XapFrame.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace xapmqtt;
    const std::string text(reinterpret_cast<const char*>(data), size);

    const std::string id = topicId(text);
    for (char c : id)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-'))
            std::abort();
    if (fromTopicId(id) != text)
        std::abort();
    (void)fromTopicId(text);

    if (const auto frame = readFrame(text)) {
        (void)withHop(text, 2);
        if (const auto report = bsc::readReport(*frame)) {
            DeviceEntry device;
            device.source = report->device;
            applyReport(device.endpoints[endpointIdOf(report->subAddress, report->subUid)], *report);
            const std::string payload = discoveryPayload(Topics{"xap", "homeassistant"}, deviceIdOf(report->device), device, "b", "1");
            if (payload.find('\n') != std::string::npos)
                std::abort();
            if (report->level) {
                (void)bsc::levelFor(bsc::brightnessOf(*report->level).value_or(0), *report->level);
                (void)bsc::percentOf(*report->level);
            }
        }
    }
    Config config;
    config.site = "here";
    Tunnel tunnel(config);
    (void)tunnel.inbound("xap/tunnel/there/x", text, 0, nullptr);
    return 0;
}
