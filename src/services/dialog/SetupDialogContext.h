// What the plug-in menu setup dialog needs from the rest of the program.
#pragma once

#include "automation/Error.h"
#include "automation/Object.h"

#include <string>
#include <utility>
#include <vector>

namespace services {

class IniTool;

class SetupDialogContext {
public:
    virtual ~SetupDialogContext() = default;
    // The hosted plug-ins, in collection order.
    virtual std::vector<vb::Ref<vb::Object>> plugins() = 0;
    // The menu registrations: key (interface "~" title) and display text, in order.
    virtual std::vector<std::pair<std::string, std::string>> menuCallbacks() = 0;
    // The hosted interface's name as set from outside (usually empty).
    virtual std::string interfaceName() = 0;
    // The host core's Settings.ini store.
    virtual IniTool& settingsStore() = 0;
    // Sets the host's debug mode value (1 writes debug reports).
    virtual void setDebugMode(std::int32_t mode) = 0;
    // The host core's GetSelectedPlugins, which accepts the name and does nothing.
    virtual void getSelectedPlugins(std::string& interfaceName) = 0;
    // Creates an object of a plug-in class by name ("hspi_Audrey.hspi"); raises vb::Error when it cannot.
    virtual vb::Ref<vb::Object> createPluginObject(const std::string& className) = 0;
    // The program's base folder, where plug-in libraries live.
    virtual std::string baseFolder() = 0;
    // Where a failure of one of the dialog's procedures is reported (the program's LogEvent).
    virtual const vb::Reporter& failureReporter() = 0;
};

} // namespace services
