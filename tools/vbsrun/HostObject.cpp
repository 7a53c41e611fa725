#include "HostObject.h"

#include "host/Application.h"
#include "services/Setup.h"
#include "xap/ProgramState.h"
#include "xap/Logging.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace vbsrun {

std::string PrintingSender::SendXap(const std::string& target, const std::string& cls, const std::string& section,
                                    const std::string& data, const std::string&, const std::string&)
{
    std::string line = "[xap] " + cls + (target.empty() ? std::string() : " to " + target) + " | " + section + ":";
    std::size_t start = 0;
    while (start <= data.size()) {
        std::size_t end = data.find('\0', start);
        if (end == std::string::npos)
            end = data.size();
        std::string item = data.substr(start, end - start);
        const std::size_t split = item.find('\1');
        if (split != std::string::npos)
            line += " " + item.substr(0, split) + "=" + item.substr(split + 1);
        start = end + 1;
    }
    std::fprintf(stderr, "%s\n", line.c_str());
    return {};
}

HeadlessHost::HeadlessHost(xap::ProgramState& program)
    : program_(program)
    , services_(program, registry_)
    , scripts_(program)
{
}

HeadlessHost::~HeadlessHost()
{
    if (folder_.empty())
        return;
    hostObject_.reset();
    services::unloadSetupForm(services_);
    xap::setMessageSender(program_, nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

vb::Ref<vb::Object> HeadlessHost::hostObject()
{
    if (hostObject_)
        return hostObject_;
    std::string pattern = (std::filesystem::temp_directory_path() / "vbsrun-host-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        return nullptr;
    folder_ = pattern;

    xap::InitXapAt(program_, pattern, pattern + "/vbsrun");
    program_.xapSource = "vyn.Audrey." + program_.machineName;
    program_.xapUID = "FF.0097:00";
    xap::setMessageSender(program_, &sender_);
    program_.xapReady = true;
    scripts_.install(registry_);
    vb::Ref<services::Setup> setup = services::loadSetupForm(services_);
    hostObject_ = setup->GetHSIface();
    return hostObject_;
}

} // namespace vbsrun
