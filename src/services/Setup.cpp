#include "Setup.h"

#include "DevicePersistence.h"
#include "IRDictionary.h"
#include "ServicesState.h"

#include "host/Application.h"
#include "host/HostRegistry.h"
#include "host/HostState.h"
#include "host/PluginRegistry.h"

#include "automation/Conversions.h"
#include "automation/DateTime.h"
#include "platform/EmergencyReport.h"
#include "platform/FileSystem.h"
#include "xap/ProgramState.h"
#include "xap/Logging.h"
#include "xap/Outgoing.h"
#include "xap/X10Event.h"

namespace services {

namespace {

host::Application& hostObject(host::HostRegistry& registry)
{
    host::HostState& s = host::state(registry);
    if (!s.hostObject)
        vb::raiseError(vb::err::ObjectVariableNotSet);
    return *s.hostObject;
}

} // namespace

Setup::Setup(xap::ProgramState& program, ServicesState& services, host::HostRegistry& registry)
    : program_(program)
    , services_(services)
    , registry_(registry)
    , settingsStore_(program.ini)
{
}

host::HostState& Setup::hostState() const
{
    if (!registry_.loadedState)
        vb::raiseError(vb::err::ObjectVariableNotSet);
    return *registry_.loadedState;
}

host::Application& Setup::hostObject() const
{
    host::HostState& s = hostState();
    if (!s.hostObject)
        vb::raiseError(vb::err::ObjectVariableNotSet);
    return *s.hostObject;
}

const vb::MemberTable<Setup>& Setup::members()
{
    static const vb::MemberTable<Setup> table("Setup", {
        vb::method<&Setup::Startup>("Startup"),
        vb::method<&Setup::App_Initialize>("App_Initialize"),
        vb::method<&Setup::App_Terminate>("App_Terminate"),
        vb::method<&Setup::InitDevices>("InitDevices"),
        vb::method<&Setup::SaveDevices>("SaveDevices"),
        vb::method<&Setup::GetSelectedPlugins>("GetSelectedPlugins"),
        vb::method<&Setup::SetupIRDictionary>("SetupIRDictionary"),
        vb::method<&Setup::GetHSIface>("GetHSIface"),
        vb::method<&Setup::RegisterMenu>("RegisterMenu"),
        vb::method<&Setup::RegisterMenuEx>("RegisterMenuEx"),
        vb::method<&Setup::UnRegisterAllMenus>("UnRegisterAllMenus"),
        vb::method<&Setup::ForceFront>("ForceFront"),
        vb::method<&Setup::GetNextFreeIOCode>("GetNextFreeIOCode"),
        vb::method<&Setup::CheckTrigger>("CheckTrigger"),
        vb::method<&Setup::X10Event>("X10Event"),
        vb::method<&Setup::IREvent>("IREvent"),
        vb::method<&Setup::WriteSplash>("WriteSplash"),
        vb::method<&Setup::ValueChangeEvent>("ValueChangeEvent"),
        vb::method<&Setup::DisplayEvDTMF>("DisplayEvDTMF"),
        vb::method<&Setup::RegisterProxySpeakPlug>("RegisterProxySpeakPlug"),
        vb::method<&Setup::UnRegisterProxySpeakPlug>("UnRegisterProxySpeakPlug"),
        vb::method<&Setup::RegisterEventCB>("RegisterEventCB"),
        vb::method<&Setup::SendXapMessage>("SendXapMessage"),
    });
    return table;
}

SetupWindowHooks& setupWindowHooks(ServicesState& services)
{
    return services.windowHooks;
}

// ---- Loading and unloading ----

void Setup::load()
{
    host::HostState& s = host::createState(registry_); // the house row table and the device state tables
    program_.startupComplete = false;
    s.hostLoading = true;
    // Whatever fails, the host does not stay in its loading state.
    struct Loaded {
        host::HostState& state;
        ~Loaded() { state.hostLoading = false; }
    } loaded{s};
    // Settings.ini that cannot be read leaves the defaults and is never saved over.
    vb::trap(xap::writeLogFileReporter(program_), xap::kProgramName, "Settings.ini",
             [&] { settingsStore_.Load(platform::joinPath(program_.baseFolder, "Config/Settings.ini")); });
    s.hostObject = host::Application::create(program_, registry_);
    // The INI store reports what it cannot read or write once the host object exists.
    program_.ini.logger = [&program = program_](std::string_view type, std::string_view text) { xap::LogEvent(program, type, text); };
    App_Initialize();
    s.irDictionary.clear();
}

vb::Ref<Setup> loadSetupForm(ServicesState& services)
{
    vb::Ref<Setup>& form = services.setupForm;
    if (!form) {
        form = vb::make<Setup>(services.program, services, services.host);
        form->load();
    }
    return form;
}

Setup* setupForm(ServicesState& services)
{
    return services.setupForm.get();
}

void unloadSetupForm(ServicesState& services)
{
    const vb::Ref<Setup> form = services.setupForm;
    if (!form)
        return;
    host::HostRegistry& registry = services.host;
    vb::ignoreErrors([&] { form->App_Terminate(); });
    vb::ignoreErrors([&] {
        if (host::HostState* s = host::loadedState(registry)) {
            for (auto& list : s->eventListeners)
                list.clear();
            s->irDictionary.clear();
            s->statusChangeCallbacks.clear();
            s->releaseLists();
        }
    });
    vb::ignoreErrors([&] { host::releaseHostedPlugins(registry); });
    form->program().ini.logger = nullptr;
    vb::ignoreErrors([&] { form->settingsStore().Clear(); });
    // The host object and the rest of the host state go with the state.
    host::releaseState(registry);
    services.setupForm.reset();
}

const std::string& shutdownSaveError(const ServicesState& services)
{
    return services.shutdownSaveError;
}

void releaseHostObject(host::HostRegistry& registry)
{
    if (host::HostState* s = host::loadedState(registry))
        s->hostObject.reset();
}

void saveRunAsXapNode(host::HostRegistry& registry)
{
    vb::call(hostObject(registry), "SaveINISetting", "Audrey Utilities", "RunAsXapNode", "yes", "vynAudreyUtilities.ini");
}

void clearX10CommandCodes(host::HostRegistry& registry)
{
    if (host::HostState* s = host::loadedState(registry))
        s->x10CommandCodes.reset();
}

// ---- The procedures of the host callback object ----

void Setup::Startup()
{
    // Leaves silently at the first failure.
    vb::trap(nullptr, {}, {}, [&] {
        caption_ = "rARuveViziva";
        if (services_.windowHooks.captionChanged)
            services_.windowHooks.captionChanged(caption_);
        noInterface_ = host::InterfaceName(registry_).empty();
        if (noInterface_) {
            if (services_.windowHooks.showPluginMenuDialog)
                services_.windowHooks.showPluginMenuDialog();
        } else {
            GetSelectedPlugins(vb::Variant(host::InterfaceName(registry_)));
        }
    });
}

void Setup::App_Initialize()
{
    vb::trap(xap::logEventReporter(program_), xap::kProgramName, "Class_Initialize", [&] {
        host::HostState& s = hostState();
        if (s.x10CommandCodes)
            return;
        s.x10CommandCodes = vb::make<vb::Dictionary>(vb::CompareMode::Text);
        const std::pair<const char*, std::int16_t> codes[] = {{"ON", 2}, {"OFF", 3}, {"DIM", 4}, {"BRIGHT", 5}};
        for (const auto& [word, code] : codes)
            s.x10CommandCodes->Add(vb::Variant(word), vb::Variant(code));
        s.variableTable = vb::make<vb::Dictionary>(vb::CompareMode::Text);
        s.silentDevices = vb::make<vb::Dictionary>(vb::CompareMode::Binary);
        InitDevices();
    });
}

void Setup::App_Terminate()
{
    std::string& saveError = services_.shutdownSaveError;
    saveError.clear();
    vb::ignoreErrors([&] {
        if (!saveDevices(services_, hostObject()))
            saveError = lastDeviceSaveError(services_);
    });
    vb::ignoreErrors([this] {
        const vb::Ref<vb::Collection> plugins = host::PluginCollection(registry_);
        if (!plugins)
            return;
        for (std::size_t i = 1; i <= plugins->size(); ++i) {
            const vb::Variant item = plugins->at(i);
            // A plug-in without Capabilities or without one of the members is passed over.
            std::int32_t capabilities = 0;
            auto call = [&](const char* member) {
                platform::ActivityScope running(member);
                vb::ignoreErrors([&] { vb::call(vb::requireObject(item), member); });
            };
            vb::ignoreErrors([&] {
                platform::ActivityScope running("Capabilities");
                capabilities = vb::CLng(vb::getProperty(vb::requireObject(item), "Capabilities"));
            });
            if (capabilities & 1)
                call("ShutDownX10");
            if (capabilities & 2)
                call("ShutDownIR");
            if (capabilities & 4)
                call("ShutdownIO");
        }
    });
    vb::ignoreErrors([this] {
        host::HostState& s = hostState();
        s.silentDevices.reset();
        s.variableTable.reset();
        s.x10CommandCodes.reset();
        s.sharedIni.reset();
        s.sharedIniFile.clear();
    });
    vb::clearCurrentFailure();
}

void Setup::InitDevices()
{
    initDevices(services_, hostObject());
}

void Setup::SaveDevices()
{
    saveDevices(services_, hostObject());
}

void Setup::GetSelectedPlugins(const vb::Variant&) { }

void Setup::SetupIRDictionary()
{
    setupIRDictionary(program_, hostState().irDictionary, program_.baseFolder);
}

vb::Ref<vb::Object> Setup::GetHSIface()
{
    return vb::Ref<vb::Object>(&hostObject());
}

void Setup::RegisterMenu(const std::string& sInterface, const std::string& sTitle)
{
    host::AcceptMenuCallbacks(program_, registry_, sInterface, sTitle, sInterface);
}

void Setup::RegisterMenuEx(const std::string& sInterface, const std::string& sTitle, const std::string& sDisplay)
{
    host::AcceptMenuCallbacks(program_, registry_, sInterface, sTitle, sDisplay);
}

void Setup::UnRegisterAllMenus(const vb::Variant&) { }

void Setup::ForceFront(const vb::Variant&) { }

std::int16_t Setup::GetNextFreeIOCode()
{
    const std::string text = vb::CStr(vb::call(hostObject(), "GetINISetting", "Audrey Utilities", "HouseCode", "94",
                                               "vynAudreyUtilities.ini"));
    const vb::Variant value(text);
    if (vb::IsNumeric(value))
        return vb::CInt(value);
    return 94; // the code of "^"
}

void Setup::CheckTrigger(const vb::Variant&) { }

void Setup::X10Event(const std::string& units, const std::string& houseCode, std::int16_t command,
                     vb::Optional<vb::Variant>, vb::Optional<vb::Variant>)
{
    xap::sendX10Event(program_, units, houseCode, command);
}

void Setup::IREvent(std::int16_t IR_NUMBER)
{
    if (IR_NUMBER == 0 || noInterface_)
        return;
    xap::SendXap(program_, "", "Homeseer.IR", "IR.Match", xap::itemList({{"Match", std::to_string(IR_NUMBER)}}), "", "");
}

void Setup::WriteSplash(const vb::Variant&) { }

void Setup::ValueChangeEvent(const std::string& device, std::int32_t value)
{
    vb::call(hostObject(), "SetDeviceValueNoReport", device, value, std::int16_t(3));
}

void Setup::DisplayEvDTMF(const vb::Variant&) { }

void Setup::RegisterProxySpeakPlug(const vb::Variant&, const vb::Variant&) { }

void Setup::UnRegisterProxySpeakPlug(const vb::Variant&) { }

void Setup::RegisterEventCB(std::int16_t iType, vb::Ref<vb::Object> obj)
{
    if (!obj)
        vb::raiseError(vb::err::ObjectVariableNotSet);
    // Reading the name first: a listener without one is refused before anything is registered.
    const std::string name = vb::CStr(vb::getProperty(*obj, "name"));
    const std::string time = vb::formatGeneralDate(vb::now());
    xap::SendXap(program_, "", "Homeseer.Event", "Event.Log",
                 xap::itemList({{"Time", time}, {"Type", "callback from " + name}, {"Data", "Type=" + std::to_string(iType)}}),
                 "", "");
    host::HostState& s = hostState();
    for (int bit = 0; bit < host::kListenerLists; ++bit) {
        if (iType & (1 << bit))
            s.eventListeners[static_cast<std::size_t>(bit)].push_back(obj);
    }
    s.pluginListeners.push_back(obj.get());
}

void Setup::SendXapMessage(const std::string& sTarget, const std::string& sClass, const std::string& sSection,
                           const std::string& sBody, const std::string& sSubaddress, const std::string& sUID)
{
    // The node's UID with its last two characters (the sub-address part) replaced.
    const std::string& ownUid = program_.xapUID;
    if (ownUid.size() < 2)
        vb::raiseError(vb::err::InvalidProcedureCall);
    const std::string uid = ownUid.substr(0, ownUid.size() - 2) + sUID;
    xap::SendXap(program_, sTarget, sClass, sSection, sBody, sSubaddress, uid);
}

} // namespace services
