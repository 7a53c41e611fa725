// The host object for vbsrun's --xap option: a headless emulated host on a temporary
// base folder, so that an event script can be tried without a plug-in. What the host
// would send over xAP is printed on standard error, one line per message.
#pragma once

#include "automation/Object.h"
#include "host/HostRegistry.h"
#include "services/ServicesState.h"
#include "services/script/HostScripts.h"
#include "xap/Outgoing.h"

#include <filesystem>
#include <string>

namespace vbsrun {

// Prints each message the host sends instead of sending it.
class PrintingSender final : public xap::MessageSender {
public:
    std::string SendXap(const std::string& target, const std::string& cls, const std::string& section,
                        const std::string& data, const std::string& source, const std::string& uid) override;
};

// The headless host: made on first use, unloaded and its folder removed when it goes.
class HeadlessHost {
public:
    // The host of `program`, which outlives it.
    explicit HeadlessHost(xap::ProgramState& program);
    ~HeadlessHost();
    HeadlessHost(const HeadlessHost&) = delete;
    HeadlessHost& operator=(const HeadlessHost&) = delete;

    // The host object (its callback object); null when no temporary folder can be made.
    vb::Ref<vb::Object> hostObject();

private:
    xap::ProgramState& program_;
    PrintingSender sender_;
    // The host's registry and services, handed to the Setup form and the script service.
    host::HostRegistry registry_;
    services::ServicesState services_;
    // The host's own Run and RunEx load scripts from the temporary Scripts folder.
    services::HostScripts scripts_;
    std::filesystem::path folder_;
    vb::Ref<vb::Object> hostObject_;
};

} // namespace vbsrun
