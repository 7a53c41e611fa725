#include "DevicePersistence.h"

#include "host/Application.h"
#include "host/DeviceClass.h"

#include "automation/Conversions.h"
#include "automation/DateTime.h"
#include "automation/TextCompare.h"
#include "platform/FileSystem.h"

#include <vector>

namespace services {

namespace {

using host::Application;

// Text without line breaks: CR and LF become blanks.
std::string oneLine(std::string text)
{
    for (char& c : text) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return text;
}

// A property as the record's owner concatenates it (Null reads as "").
std::string textOf(const vb::Variant& v)
{
    return v.isNull() ? std::string() : vb::CStr(v);
}

std::vector<std::string> splitAt(std::string_view text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t at = text.find(separator, start);
        parts.emplace_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos)
            return parts;
        start = at + 1;
    }
}

// A step of saving or loading: a failure is reported with the device code and the next step runs.
template <class Step>
bool step(const std::string& report, Step&& body)
{
    return vb::trap(xap::logEventReporter(), xap::kProgramName, report, std::forward<Step>(body));
}

struct SavedDevice {
    std::string code;
    std::string location;
    std::string name;
};

SavedDevice readRecord(const vb::Variant& item)
{
    vb::Object& record = vb::requireObject(item);
    SavedDevice device;
    if (auto* d = dynamic_cast<host::DeviceClass*>(&record)) {
        device.code = vb::upperCase(d->hc) + d->dc;
        device.location = textOf(d->location);
        device.name = d->name;
    } else {
        device.code = vb::upperCase(vb::CStr(vb::getProperty(record, "hc"))) + vb::CStr(vb::getProperty(record, "dc"));
        device.location = textOf(vb::getProperty(record, "location"));
        device.name = vb::CStr(vb::getProperty(record, "name"));
    }
    return device;
}

} // namespace

std::string deviceRecordText(const std::string& location, const std::string& name, std::int16_t status,
                             std::int32_t value, const std::string& lastChange, const std::string& statusText)
{
    return oneLine(location) + ";" + oneLine(name) + ";" + std::to_string(status) + ";" + std::to_string(value) + ";"
        + lastChange + ";" + oneLine(statusText);
}

void saveDevices(Application& app)
{
    host::HostState& s = host::state();
    const std::string path = Application::iniFilePath(kDeviceFile);
    bool changed = false;

    // Empty the section as ClearIniSection does, without saving yet.
    step("SaveDevices ", [&] {
        Application::guarded("ClearIniSection", [&] {
            if (!platform::fileExists(path))
                return;
            Application::loadSharedIni(kDeviceFile).RemoveSection(kDeviceSection);
            changed = true;
        });
    });

    const vb::Ref<vb::Collection> devices = s.deviceListRef();
    bool fileReady = false;
    for (std::size_t position = 1; position <= devices->size(); ++position) {
        SavedDevice device;
        if (!step("SaveDevices ", [&] { device = readRecord(devices->at(position)); }))
            continue;
        const std::string code = oneLine(device.code);
        std::string record;
        const bool read = step("SaveDevices " + code, [&] {
            const std::int16_t status = Application::guarded<std::int16_t>("DeviceStatus", [&] { return app.DeviceStatus(device.code); });
            const std::int32_t value = Application::guarded<std::int32_t>("DeviceValue", [&] { return app.DeviceValue(device.code); });
            const vb::Date lastChange = Application::guarded<vb::Date>("DeviceLastChange", [&] { return app.DeviceLastChange(device.code); });
            const std::string text = Application::guarded<std::string>("DeviceString", [&] { return app.DeviceString(device.code); });
            record = deviceRecordText(device.location, device.name, status, value, vb::formatGeneralDate(lastChange), text);
        });
        if (!read)
            continue;
        // As SaveINISetting: the file is made to exist and the store loaded as its rule says.
        Application::guarded("SaveINISetting", [&] {
            if (!fileReady) {
                if (!platform::fileExists(path) && !platform::appendToFile(path, ""))
                    throw vb::Error(vb::err::PathNotFound, std::string(vb::describe(vb::err::PathNotFound)) + ": " + path);
                fileReady = true;
            }
            Application::loadSharedIni(kDeviceFile).WriteKey(kDeviceSection, code, record);
            changed = true;
        });
    }
    if (changed)
        step("SaveDevices ", [&] { Application::loadSharedIni(kDeviceFile).Save(); });
}

void initDevices(Application& app)
{
    std::string text = Application::guarded<std::string>("GetINISection", [&] {
        return app.GetINISection(kDeviceSection, kDeviceFile);
    });
    std::erase(text, '"');
    if (text.empty())
        return;
    for (const std::string& item : splitAt(text, '\0')) {
        const std::size_t equals = item.find('=');
        // Keys shorter than two characters are not device codes.
        if (equals == std::string::npos || equals < 2)
            continue;
        const std::string value = item.substr(equals + 1);
        if (value.empty())
            continue;
        const std::string code = vb::upperCase(item.substr(0, equals));
        const std::string report = "InitDevices " + code;
        const std::vector<std::string> fields = splitAt(value, ';');
        auto field = [&](std::size_t i) -> const std::string& {
            if (i >= fields.size())
                vb::raiseError(vb::err::SubscriptOutOfRange);
            return fields[i];
        };

        vb::Ref<vb::Object> device;
        step(report, [&] {
            const std::string& name = field(1);
            device = Application::guarded<vb::Ref<vb::Object>>("NewDeviceEx", [&] { return app.NewDeviceEx(name, code); });
        });
        auto set = [&](std::string_view property, auto valueOf) {
            step(report, [&] {
                if (!device)
                    vb::raiseError(vb::err::ObjectVariableNotSet);
                vb::setProperty(*device, property, vb::Variant(valueOf()));
            });
        };
        set("interface", [] { return std::string(xap::kProgramName); });
        set("location", [&] { return field(0); });
        set("dev_type_string", [] { return std::string("Audrey"); });
        set("hc", [&] { return std::string(host::firstCharacter(code)); });
        set("dc", [&] { return std::string(host::afterFirstCharacter(code)); });
        set("iotype", [] { return std::int16_t(4); });

        step(report, [&] {
            const std::int16_t status = vb::CInt(vb::Variant(vb::Val(field(2))));
            Application::guarded("SetDeviceStatus", [&] { app.SetDeviceStatus(code, status); });
        });
        step(report, [&] {
            const std::int32_t number = vb::CLng(vb::Variant(vb::Val(field(3))));
            Application::guarded("SetDeviceValue", [&] { app.SetDeviceValue(code, number); });
        });
        step(report, [&] {
            const vb::Date changed = vb::CDate(vb::Variant(field(4)));
            Application::guarded("SetDeviceLastChange", [&] { app.SetDeviceLastChange(code, changed); });
        });
        step(report, [&] {
            const std::string& statusText = field(5);
            Application::guarded("SetDeviceString", [&] { app.SetDeviceString(code, statusText, false); });
        });
    }
}

} // namespace services
