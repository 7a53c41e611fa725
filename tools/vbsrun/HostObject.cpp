#include "HostObject.h"

#include "host/Application.h"
#include "host/PluginRegistry.h"
#include "services/Setup.h"
#include "services/script/HostScripts.h"
#include "xap/ProgramState.h"
#include "xap/Logging.h"
#include "xap/Outgoing.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace vbsrun {

namespace {

// Prints each message the host sends instead of sending it.
class PrintingSender final : public xap::MessageSender {
public:
    std::string SendXap(const std::string& target, const std::string& cls, const std::string& section,
                        const std::string& data, const std::string&, const std::string&) override
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
};

std::filesystem::path& baseFolder()
{
    static std::filesystem::path path;
    return path;
}

void removeBaseFolder()
{
    services::unloadSetupForm();
    std::error_code ignored;
    if (!baseFolder().empty())
        std::filesystem::remove_all(baseFolder(), ignored);
}

} // namespace

vb::Ref<vb::Object> createHeadlessHost()
{
    static PrintingSender sender;
    std::string pattern = (std::filesystem::temp_directory_path() / "vbsrun-host-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        return nullptr;
    baseFolder() = pattern;

    xap::InitXapAt(pattern, pattern + "/vbsrun");
    xap::state().xapSource = "vyn.Audrey." + xap::state().machineName;
    xap::state().xapUID = "FF.0097:00";
    xap::setMessageSender(&sender);
    xap::state().xapReady = true;
    // The host's own Run and RunEx load scripts from the temporary Scripts folder.
    services::installHostScripts();
    vb::Ref<services::Setup> setup = services::loadSetupForm();
    // The exit handler unloads the host, which reaches the plug-in registry: the
    // registry must exist before the handler is registered, so that it is destroyed
    // after the handler has run.
    host::HostedPlugin();
    std::atexit(removeBaseFolder);
    return setup->GetHSIface();
}

} // namespace vbsrun
