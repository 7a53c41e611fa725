// What the plug-in menu dialog needs, taken from the running host: the plug-in registry,
// the menu registrations, the host core's Settings.ini store and debug mode, and the
// plug-in host's creation of plug-in objects.
#pragma once

#include "services/dialog/SetupDialogContext.h"
#include "ini/IniTool.h"

#include <functional>
#include <memory>

namespace xap {
struct ProgramState;
}

namespace shell {

struct ShellState;

class HostDialogContext final : public services::SetupDialogContext {
public:
    using PluginFactory = std::function<vb::Ref<vb::Object>(const std::string& className)>;

    // The context of the program whose states are given (they outlive it): its base
    // folder, INI state, setup form and host. Without a factory, plug-in objects come
    // from that program's plug-in host.
    HostDialogContext(xap::ProgramState& program, ShellState& shell, PluginFactory factory = {});

    std::vector<vb::Ref<vb::Object>> plugins() override;
    std::vector<std::pair<std::string, std::string>> menuCallbacks() override;
    std::string interfaceName() override;
    // The host core's store. Once the host core has been unloaded (the dialog closes
    // last when the program ends) a store of the same Settings.ini takes its place, so
    // the dialog's choices are still saved.
    services::IniTool& settingsStore() override;
    void setDebugMode(std::int32_t mode) override;
    void getSelectedPlugins(std::string& interfaceName) override;
    vb::Ref<vb::Object> createPluginObject(const std::string& className) override;
    std::string baseFolder() override;
    const vb::Reporter& failureReporter() override;

private:
    xap::ProgramState& program_;
    ShellState& shell_;
    PluginFactory factory_;
    std::unique_ptr<services::IniTool> detachedStore_;
};

} // namespace shell
