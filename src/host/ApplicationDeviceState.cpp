// Device state and its reports: the Set.../Device... members over the device state
// tables, listener registration, and the X10 command members.
//
// Changes notify first and store afterwards: a listener that reads the state while it
// is being notified sees the value before the change. While the host core loads
// (hostLoading) changes are stored without any notification.
#include "Application.h"
#include "DeviceChanges.h"
#include "DeviceClass.h"
#include "Listeners.h"
#include "PluginRegistry.h"
#include "ScriptService.h"

#include "automation/Array.h"

namespace host {

namespace {

DeviceCell cellOf(HostState& s, std::string_view dev)
{
    return resolveDeviceCode(dev, s.houseRows);
}

// The command code of an X10 command word ("on" 2 ... "bright" 5), 0 for other words.
std::int16_t commandCode(HostState& s, const std::string& cmd)
{
    if (!s.x10CommandCodes)
        vb::raiseError(vb::err::ObjectVariableNotSet);
    const vb::Variant* code = s.x10CommandCodes->find(vb::Variant(cmd));
    return code ? vb::CInt(*code) : std::int16_t(0);
}

bool isX10House(std::string_view device)
{
    const std::string house = vb::upperCase(firstCharacter(device));
    return house >= "A" && house <= "P";
}

std::string_view unitText(std::string_view dev)
{
    return afterFirstCharacter(dev);
}

std::string_view houseText(std::string_view dev)
{
    return firstCharacter(dev);
}

bool hasPlugins(HostRegistry& registry)
{
    const vb::Ref<vb::Collection>& plugins = PluginCollection(registry);
    return plugins && plugins->size() > 0;
}

} // namespace

// ---- Changing state ----

void Application::setStatus(const std::string& dev, std::int16_t status, bool reportToListeners)
{
    if (characterCount(dev) < 2)
        return;
    HostState& s = hostState();
    const DeviceCell cell = cellOf(s, dev);
    if (s.tables.status[cell.index()] == status)
        return;
    if (!s.hostLoading) {
        const std::string statusText = std::to_string(status);
        // By index: a callback may register further callbacks.
        for (std::size_t i = 0; i < s.statusChangeCallbacks.size(); ++i) {
            const std::string entry = s.statusChangeCallbacks[i];
            const std::size_t split = entry.find('\0');
            const std::string script = entry.substr(0, split);
            const std::string function = split == std::string::npos ? std::string() : entry.substr(split + 1);
            const vb::Ref<vb::Object> record = guarded<vb::Ref<vb::Object>>("GetDeviceByCode", [&] { return GetDeviceByCode(dev); });
            if (!record)
                continue;
            const auto* device = dynamic_cast<const DeviceClass*>(record.get());
            const std::int32_t ref = device ? device->ref : vb::CLng(vb::getProperty(*record, "ref"));
            // The four values travel as one array (see ScriptService::runEx).
            scriptService(registry_).runEx(script, function, eventArray({houseText(dev), unitText(dev), statusText, std::to_string(ref)}));
        }
        if (reportToListeners)
            notifyListeners(s, kStateListeners, {"4", unitText(dev), houseText(dev), statusText});
    }
    s.tables.status[cell.index()] = status;
    if (!s.hostLoading)
        notifyDeviceChange(registry_, dev, cell, DeviceChange::Status);
}

void Application::SetDeviceStatus(const std::string& dev, std::int16_t Status)
{
    setStatus(dev, Status, true);
}

void Application::SetDeviceStatusNoReport(const std::string& dev, std::int16_t Status, std::int16_t iReport)
{
    setStatus(dev, Status, (iReport & 2) == 0);
}

void Application::setValue(const std::string& dev, std::int32_t value, bool callInputOutput)
{
    if (characterCount(dev) < 2)
        return;
    HostState& s = hostState();
    const DeviceCell cell = cellOf(s, dev);
    // The record is looked up for the plug-ins' input/output entry only; without a
    // plug-in (as while the host core restores its devices) there is nobody to call.
    if (callInputOutput && hasPlugins(registry_)) {
        const vb::Ref<vb::Object> record = guarded<vb::Ref<vb::Object>>("GetDeviceByCode", [&] { return GetDeviceByCode(dev); });
        guarded("", [&] {
            hsSetIO(vb::Variant(record), std::string(houseText(dev)), std::string(unitText(dev)), 19, value, 0, 0);
        });
    }
    if (s.tables.value[cell.index()] == value)
        return;
    if (!s.hostLoading)
        notifyListeners(s, kStateListeners, {"4", unitText(dev), houseText(dev), std::to_string(value)});
    s.tables.value[cell.index()] = value;
    if (!s.hostLoading)
        notifyDeviceChange(registry_, dev, cell, DeviceChange::Value);
}

void Application::SetDeviceValue(const std::string& dev, std::int32_t value)
{
    setValue(dev, value, true);
}

void Application::SetDeviceValueNoReport(const std::string& dev, std::int32_t value, std::int16_t iReport)
{
    setValue(dev, value, (iReport & 1) == 0);
}

void Application::SetDeviceValueByName(const std::string& devName, std::int32_t value)
{
    const std::string code = guarded<std::string>("GetDeviceCode", [&] { return GetDeviceCode(devName); });
    if (!code.empty())
        guarded("SetDeviceValue", [&] { SetDeviceValue(code, value); });
}

void Application::SetDeviceString(const std::string& dev, const std::string& str, vb::Optional<bool>)
{
    if (characterCount(dev) < 2)
        return;
    HostState& s = hostState();
    const DeviceCell cell = cellOf(s, dev);
    if (s.tables.text[cell.index()] == str)
        return;
    if (!s.hostLoading)
        notifyListeners(s, kStringListeners, {"64", dev, str});
    s.tables.text[cell.index()] = str;
    if (!s.hostLoading)
        notifyDeviceChange(registry_, dev, cell, DeviceChange::Text);
}

void Application::SetDeviceStringByName(const std::string& devName, const std::string& str, vb::Optional<bool> Reset)
{
    const std::string code = guarded<std::string>("GetDeviceCode", [&] { return GetDeviceCode(devName); });
    if (!code.empty())
        guarded("SetDeviceString", [&] { SetDeviceString(code, str, Reset); });
}

void Application::SetDeviceTime(const std::string& dev, std::int32_t value)
{
    HostState& s = hostState();
    s.tables.time[cellOf(s, dev).index()] = value;
}

void Application::SetDeviceLastChange(const std::string& dev, vb::Date change_time)
{
    if (characterCount(dev) < 2)
        return;
    HostState& s = hostState();
    s.tables.lastChange[cellOf(s, dev).index()] = change_time;
}

// ---- Reading state ----

std::int16_t Application::DeviceStatus(const std::string& dev)
{
    HostState& s = hostState();
    return s.tables.status[cellOf(s, dev).index()];
}

std::int32_t Application::DeviceValue(const std::string& dev)
{
    HostState& s = hostState();
    return s.tables.value[cellOf(s, dev).index()];
}

std::string Application::DeviceString(const std::string& dev)
{
    HostState& s = hostState();
    return s.tables.text[cellOf(s, dev).index()];
}

std::int32_t Application::DeviceTime(const std::string& dev)
{
    HostState& s = hostState();
    return s.tables.time[cellOf(s, dev).index()];
}

vb::Date Application::DeviceLastChange(const std::string& dev)
{
    HostState& s = hostState();
    return s.tables.lastChange[cellOf(s, dev).index()];
}

bool Application::isOn(const std::string& device)
{
    return DeviceStatus(device) == 2;
}

bool Application::isOff(const std::string& device)
{
    return DeviceStatus(device) == 3;
}

namespace {

// The by-name forms: the code of the named device, or "" when no record has the name.
std::string codeOfName(Application& app, const std::string& name)
{
    return app.guarded<std::string>("GetDeviceCode", [&] { return app.GetDeviceCode(name); });
}

} // namespace

std::int32_t Application::DeviceValueByName(const std::string& name)
{
    const std::string code = codeOfName(*this, name);
    return code.empty() ? 0 : guarded<std::int32_t>("DeviceValue", [&] { return DeviceValue(code); });
}

std::int32_t Application::DeviceTimeByName(const std::string& name)
{
    const std::string code = codeOfName(*this, name);
    return code.empty() ? 0 : guarded<std::int32_t>("DeviceTime", [&] { return DeviceTime(code); });
}

std::string Application::DeviceStringByName(const std::string& name)
{
    const std::string code = codeOfName(*this, name);
    return code.empty() ? std::string("DeviceStringByName")
                        : guarded<std::string>("DeviceString", [&] { return DeviceString(code); });
}

bool Application::isOnByName(const std::string& deviceName)
{
    const std::string code = codeOfName(*this, deviceName);
    return !code.empty() && guarded<bool>("isOn", [&] { return isOn(code); });
}

bool Application::isOffByName(const std::string& deviceName)
{
    const std::string code = codeOfName(*this, deviceName);
    return !code.empty() && guarded<bool>("isOff", [&] { return isOff(code); });
}

// ---- X10 commands ----

void Application::execX10(const std::string& device, const std::string& cmd, std::int16_t dimlevel, std::int16_t data2)
{
    if (isX10House(device)) {
        guarded("ExecIO", [&] { ExecIO(device, cmd, dimlevel, data2); });
        return;
    }
    // Other house characters belong to the plug-ins' own input/output.
    const std::int16_t code = commandCode(hostState(), cmd);
    const vb::Ref<vb::Object> record = guarded<vb::Ref<vb::Object>>("GetDeviceByCode", [&] { return GetDeviceByCode(device); });
    guarded("", [&] {
        hsSetIO(vb::Variant(record), std::string(houseText(device)), std::string(unitText(device)), code, dimlevel, data2, 0);
    });
}

std::int16_t Application::ExecX10(const std::string& device, const std::string& cmd, vb::Optional<std::int16_t> dimlevel,
                                  vb::Optional<std::int16_t> data2, vb::Optional<vb::Variant>)
{
    execX10(device, cmd, dimlevel.value_or(0), data2.value_or(0));
    return 1;
}

std::int16_t Application::ExecX10NoLog(const std::string& device, const std::string& cmd, vb::Optional<std::int16_t> dimlevel,
                                       vb::Optional<std::int16_t> data2, vb::Optional<vb::Variant>)
{
    execX10(device, cmd, dimlevel.value_or(0), data2.value_or(0));
    SetX10Status(device, cmd, dimlevel.value_or(0), data2.value_or(0));
    return 1;
}

std::int16_t Application::ExecX10ByName(const std::string& name, const std::string& cmd, vb::Optional<std::int16_t> dimlevel,
                                        vb::Optional<std::int16_t> data2, vb::Optional<vb::Variant> unused)
{
    const std::string code = codeOfName(*this, name);
    return ExecX10NoLog(code, cmd, dimlevel, data2, unused);
}

void Application::SetX10Status(const std::string& device, const std::string& cmd, std::int16_t dimlevel, std::int16_t data2)
{
    HostState& s = hostState();
    std::int16_t code = commandCode(s, cmd);
    if (code < 2 || code > 5)
        code = 17;
    const std::int16_t old = guarded<std::int16_t>("DeviceStatus", [&] { return DeviceStatus(device); });
    if (!s.hostLoading) {
        notifyListeners(s, kX10Listeners,
                        {code != old ? "20" : "16", unitText(device), houseText(device), cmd, std::to_string(dimlevel),
                         std::to_string(data2)});
    }
    // Stores the status and runs the status-change callbacks; the state listeners are not called again.
    guarded("SetDeviceStatusNoReport", [&] { SetDeviceStatusNoReport(device, code, 2); });
}

// ---- Registration ----

void Application::RegisterEventCB(std::int32_t evtype, vb::Ref<vb::Object> obj)
{
    HostState& s = hostState();
    for (int bit = 0; bit < kListenerLists; ++bit) {
        if (evtype & (1 << bit))
            s.eventListeners[static_cast<std::size_t>(bit)].push_back(obj);
    }
}

vb::Variant Application::RegisterStatusChangeCB(const std::string& script, const std::string& func)
{
    HostState& s = hostState();
    if (!s.hostLoading)
        s.statusChangeCallbacks.push_back(script + '\0' + func);
    return vb::Variant();
}

void Application::SetSilentDeviceCollection(vb::Ref<vb::Object> c)
{
    HostState& s = hostState();
    if (!s.silentDevices)
        vb::raiseError(vb::err::ObjectVariableNotSet);
    s.silentDevices->RemoveAll();
    if (!c)
        vb::raiseError(vb::err::ObjectVariableNotSet);
    std::unique_ptr<vb::Enumerator> members = c->enumerate();
    vb::Variant member;
    while (members->next(member))
        s.silentDevices->Add(member, member);
}

} // namespace host
