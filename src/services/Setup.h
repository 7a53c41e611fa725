// Setup: the host core and the host callback object.
//
// Loading the form builds the emulated host: the host state, the settings store for
// Config/Settings.ini, the one Application object and the devices saved by the last
// run. The plug-in receives this object (through its RegisterCallback) and calls its
// procedures by name as it would call the real host's callback object: it asks for the
// host interface, registers menus and listeners, and reports X10 events, infrared
// matches and value changes. Unloading the form is the host's shutdown: it saves the
// devices, shuts the plug-ins' interfaces down and releases the host state.
//
// The form's window (its caption, the "Setup" button) belongs to the desktop; the core
// tells it what to show through SetupWindowHooks.
#pragma once

#include "automation/MemberTable.h"
#include "ini/IniTool.h"

#include <cstdint>
#include <functional>
#include <string>

namespace host {
class Application;
struct HostRegistry;
class HostState;
} // namespace host
namespace xap {
struct ProgramState;
}

namespace services {

struct ServicesState;

class Setup final : public vb::Dispatch<Setup> {
public:
    static const vb::MemberTable<Setup>& members();

    // The form of the program whose states it is given; they outlive it.
    Setup(xap::ProgramState& program, ServicesState& services, host::HostRegistry& registry);

    // The procedures of the host callback object, in their order on the form.
    void Startup();
    void App_Initialize();
    void App_Terminate();
    void InitDevices();
    void SaveDevices();
    void GetSelectedPlugins(const vb::Variant& sPlugin);
    void SetupIRDictionary();
    vb::Ref<vb::Object> GetHSIface();
    void RegisterMenu(const std::string& sInterface, const std::string& sTitle);
    void RegisterMenuEx(const std::string& sInterface, const std::string& sTitle, const std::string& sDisplay);
    void UnRegisterAllMenus(const vb::Variant& sName);
    void ForceFront(const vb::Variant& iHwnd);
    std::int16_t GetNextFreeIOCode();
    void CheckTrigger(const vb::Variant& sText);
    void X10Event(const std::string& units, const std::string& houseCode, std::int16_t command,
                  vb::Optional<vb::Variant> extra1, vb::Optional<vb::Variant> extra2);
    void IREvent(std::int16_t IR_NUMBER);
    void WriteSplash(const vb::Variant& sText);
    void ValueChangeEvent(const std::string& device, std::int32_t value);
    void DisplayEvDTMF(const vb::Variant& bFlag);
    void RegisterProxySpeakPlug(const vb::Variant& sInterace, const vb::Variant& frmObject);
    void UnRegisterProxySpeakPlug(const vb::Variant& sInterace);
    void RegisterEventCB(std::int16_t iType, vb::Ref<vb::Object> obj);
    void SendXapMessage(const std::string& sTarget, const std::string& sClass, const std::string& sSection,
                        const std::string& sBody, const std::string& sSubaddress, const std::string& sUID);

    // The window's caption: "Farstead" until Startup names it.
    const std::string& caption() const { return caption_; }
    // True when no interface name was set when Startup last ran; IREvent then sends nothing.
    bool noInterface() const { return noInterface_; }
    // Config/Settings.ini, loaded with the form; the setup dialog writes to it.
    IniTool& settingsStore() { return settingsStore_; }
    // The program the form works for.
    xap::ProgramState& program() const { return program_; }

private:
    friend vb::Ref<Setup> loadSetupForm(ServicesState& services);
    void load();
    // The loaded host state and its host object; each raises 91 when there is none.
    host::HostState& hostState() const;
    host::Application& hostObject() const;

    xap::ProgramState& program_;
    ServicesState& services_;
    host::HostRegistry& registry_;
    std::string caption_ = "Farstead";
    bool noInterface_ = false;
    IniTool settingsStore_;
};

// What the core asks of the form's window (set by the desktop; unset hooks do nothing).
struct SetupWindowHooks {
    std::function<void(const std::string& caption)> captionChanged;
    // Shows the plug-in menu selection dialog, modeless.
    std::function<void()> showPluginMenuDialog;
};
// Each of these works on the services state given (its program and host registry).
SetupWindowHooks& setupWindowHooks(ServicesState& services);

// Start-up step "load the Setup form": builds the host and returns the form. The form
// exists once: while it is loaded, this returns it without loading it again.
vb::Ref<Setup> loadSetupForm(ServicesState& services);
// The loaded form, or null.
Setup* setupForm(ServicesState& services);
// The form's unload: App_Terminate, then the host state, the listeners, the plug-in
// objects and the host object are released. Ending the program is the caller's step.
void unloadSetupForm(ServicesState& services);

// "" when the devices were saved at the last host shutdown, else the file and the reason.
const std::string& shutdownSaveError(const ServicesState& services);

// The main form's unload: lets go of the host object without the host's shutdown.
void releaseHostObject(host::HostRegistry& registry);

// Start-up step "RunAsXapNode": through the host object, "Audrey Utilities" /
// "RunAsXapNode" = "yes" in Config/vynAudreyUtilities.ini.
void saveRunAsXapNode(host::HostRegistry& registry);

// Drops the X10 command codes, so that the next App_Initialize initialises the host
// again (the start object does this when it is created).
void clearX10CommandCodes(host::HostRegistry& registry);

} // namespace services
