#include "DevicePersistence.h"
#include "ServicesState.h"

#include "host/Application.h"
#include "host/DeviceClass.h"
#include "host/HostState.h"

#include "automation/Conversions.h"
#include "automation/DateTime.h"
#include "automation/TextCompare.h"
#include "platform/FileSystem.h"
#include "ini/SaveEpisodes.h"
#include "ini/StateNotices.h"

#include <vector>

namespace services {

namespace {

using host::Application;

// The first failure of the last save, the records last restored or saved, and why
// the device file could not be read at start: the program's services state keeps them.
std::string& saveError(ServicesState& services)
{
    return services.deviceSaveError;
}

std::string& lastSnapshot(ServicesState& services)
{
    return services.deviceSnapshot;
}

std::string& unreadableReason(ServicesState& services)
{
    return services.deviceUnreadableReason;
}

// Text without line breaks: CR and LF become blanks.
std::string oneLine(std::string text)
{
    for (char& c : text) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return text;
}

void appendEscaped(std::string& out, char c)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    const auto byte = static_cast<unsigned char>(c);
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 15];
}

bool mustEscape(char c)
{
    return c == '%' || c == ';' || c == '"' || c == '=' || c == '\0';
}

// A text in the file's form (see the header): line breaks as blanks, the bytes a line
// cannot carry as %XX, and the blank at a trimmed end escaped where `leadingEnd` or
// `trailingEnd` says that end of the text is an end of the line's part.
std::string encodeText(const std::string& text, bool leadingEnd, bool trailingEnd)
{
    const std::string flat = oneLine(text);
    std::string out;
    out.reserve(flat.size());
    for (std::size_t i = 0; i < flat.size(); ++i) {
        const char c = flat[i];
        const bool first = i == 0;
        const bool last = i + 1 == flat.size();
        if (mustEscape(c) || (c == ' ' && ((first && leadingEnd) || (last && trailingEnd))) || (c == '[' && first && leadingEnd))
            appendEscaped(out, c);
        else
            out += c;
    }
    return out;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// A property as the record's owner concatenates it (Null reads as "").
std::string textOf(const vb::Variant& v)
{
    return v.isNull() ? std::string() : vb::CStr(v);
}

// A step of saving or loading: a failure is reported with the device code and the next step runs.
template <class Step>
bool step(xap::ProgramState& program, const std::string& report, Step&& body)
{
    return vb::trap(xap::logEventReporter(program), xap::kProgramName, report, std::forward<Step>(body));
}

// The same without a report (checkpoints compare records; the shutdown save reports).
template <class Step>
bool quietStep(const std::string&, Step&& body)
{
    return vb::ignoreErrors(std::forward<Step>(body));
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

struct DeviceRecord {
    std::string key;
    std::string value;
};

// The records of every device in list order; a device whose fields cannot be read is
// left out (and reported when `report` says so).
template <class Step>
std::vector<DeviceRecord> collectRecords(Application& app, Step&& stepOf)
{
    const vb::Ref<vb::Collection> devices = host::state(app.registry()).deviceListRef();
    std::vector<DeviceRecord> records;
    records.reserve(devices->size());
    for (std::size_t position = 1; position <= devices->size(); ++position) {
        SavedDevice device;
        if (!stepOf("SaveDevices ", [&] { device = readRecord(devices->at(position)); }))
            continue;
        DeviceRecord record{deviceKeyText(device.code), {}};
        const bool read = stepOf("SaveDevices " + oneLine(device.code), [&] {
            const std::int16_t status = app.guarded<std::int16_t>("DeviceStatus", [&] { return app.DeviceStatus(device.code); });
            const std::int32_t value = app.guarded<std::int32_t>("DeviceValue", [&] { return app.DeviceValue(device.code); });
            const vb::Date lastChange = app.guarded<vb::Date>("DeviceLastChange", [&] { return app.DeviceLastChange(device.code); });
            const std::string text = app.guarded<std::string>("DeviceString", [&] { return app.DeviceString(device.code); });
            record.value = deviceRecordText(device.location, device.name, status, value, vb::formatGeneralDate(lastChange), text);
        });
        if (read)
            records.push_back(std::move(record));
    }
    return records;
}

std::string snapshotOf(const std::vector<DeviceRecord>& records)
{
    std::string snapshot;
    for (const DeviceRecord& r : records) {
        snapshot += r.key;
        snapshot += '=';
        snapshot += r.value;
        snapshot += '\n';
    }
    return snapshot;
}

// Runs a step of writing the file; a failure is remembered as the save's error (the
// first one wins) and raised on.
template <class Body>
void writing(ServicesState& services, const std::string& path, Body&& body)
{
    try {
        body();
    } catch (const vb::Error& e) {
        if (saveError(services).empty())
            saveError(services) = path + ": " + e.description();
        throw;
    }
}

} // namespace

std::string deviceRecordText(const std::string& location, const std::string& name, std::int16_t status,
                             std::int32_t value, const std::string& lastChange, const std::string& statusText)
{
    return encodeText(location, false, false) + ";" + encodeText(name, false, false) + ";" + std::to_string(status) + ";"
        + std::to_string(value) + ";" + encodeText(lastChange, false, false) + ";" + encodeText(statusText, false, true);
}

std::string deviceKeyText(const std::string& code)
{
    return encodeText(code, true, false);
}

std::string decodeDeviceText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int high = text[i] == '%' && i + 2 < text.size() ? hexDigit(text[i + 1]) : -1;
        const int low = high >= 0 ? hexDigit(text[i + 2]) : -1;
        if (low >= 0) {
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

const std::string& lastDeviceSaveError(ServicesState& services)
{
    return saveError(services);
}

namespace {

// The devices of a run that did not load the device file, written beside it (the
// whole file replaced, as the device file would be written). Returns false with the
// save error set when it cannot be written.
bool saveBeside(ServicesState& services, Application& app, const std::vector<DeviceRecord>& records, bool announce)
{
    const std::string path = Application::iniFilePath(app.program(), kDeviceFile);
    const std::string unsaved = platform::resolvePath(path) + kUnsavedSuffix;
    IniTool file(app.program().ini);
    file.WriteKey("", kDeviceEncodingKey, kDeviceEncoding);
    for (const DeviceRecord& record : records)
        file.WriteKey(kDeviceSection, record.key, record.value);
    try {
        platform::writeFileAtomically(unsaved, file.fileText());
    } catch (const vb::Error& e) {
        saveError(services) = unsaved + ": " + reasonWithoutPath(unsaved, e.description());
        return false;
    }
    if (announce)
        stateNotice(app.program().ini, "the devices of this run are saved in " + unsaved + " (" + path + " was not loaded and is not saved over)");
    return true;
}

} // namespace

bool saveDevices(ServicesState& services, Application& app)
{
    return saveDevicesAnnounced(services, app, true);
}

bool saveDevicesAnnounced(ServicesState& services, Application& app, bool announce)
{
    saveError(services).clear();
    const std::string path = Application::iniFilePath(app.program(), kDeviceFile);
    if (!unreadableReason(services).empty()) {
        const std::vector<DeviceRecord> records = collectRecords(app, [&app](const std::string& report, auto&& body) {
            return step(app.program(), report, body);
        });
        if (!saveBeside(services, app, records, announce))
            return false;
        lastSnapshot(services) = snapshotOf(records);
        return true;
    }
    bool changed = false;

    // Empty the section as ClearIniSection does, without saving yet.
    step(app.program(), "SaveDevices ", [&] {
        app.guarded("ClearIniSection", [&] {
            if (!platform::fileExists(path))
                return;
            writing(services, path, [&] { app.loadSharedIni(kDeviceFile).RemoveSection(kDeviceSection); });
            changed = true;
        });
    });

    const std::vector<DeviceRecord> records = collectRecords(app, [&app](const std::string& report, auto&& body) {
        return step(app.program(), report, body);
    });
    bool fileReady = false;
    for (const DeviceRecord& record : records) {
        // As SaveINISetting: the file is made to exist and the store loaded as its rule says.
        app.guarded("SaveINISetting", [&] {
            writing(services, path, [&] {
                if (!fileReady) {
                    if (!platform::fileExists(path) && !platform::appendToFile(path, ""))
                        throw vb::Error(vb::err::PathNotFound, std::string(vb::describe(vb::err::PathNotFound)) + ": " + path);
                    fileReady = true;
                }
                app.loadSharedIni(kDeviceFile).WriteKey(kDeviceSection, record.key, record.value);
            });
            changed = true;
        });
    }
    if (changed) {
        step(app.program(), "SaveDevices ", [&] {
            IniTool& store = app.loadSharedIni(kDeviceFile);
            // The texts are escaped: the file says so, and a file without this key is
            // read as the texts stand.
            store.WriteKey("", kDeviceEncodingKey, kDeviceEncoding);
            if (!app.saveSharedIni(store) && saveError(services).empty())
                saveError(services) = path + ": " + store.lastSaveError();
        });
    }
    if (!saveError(services).empty())
        return false;
    lastSnapshot(services) = snapshotOf(records);
    return true;
}

const std::string& unreadableDeviceFileReason(ServicesState& services)
{
    return unreadableReason(services);
}

bool checkpointDevices(ServicesState& services)
{
    host::HostState* s = host::loadedState(services.host);
    if (!s || !s->hostObject || s->hostLoading)
        return false;
    Application& app = *s->hostObject;
    const std::string snapshot = snapshotOf(collectRecords(app, [](const std::string& report, auto&& body) {
        return quietStep(report, body);
    }));
    if (snapshot == lastSnapshot(services))
        return false;
    SaveKindScope counted(app.program().ini, "checkpoints");
    return saveDevicesAnnounced(services, app, false);
}

void initDevices(ServicesState& services, Application& app)
{
    lastSnapshot(services).clear();
    unreadableReason(services).clear();
    // A file that is there but cannot be read is not a missing one: its devices are
    // not lost, so this run must not save over them.
    const std::string path = Application::iniFilePath(app.program(), kDeviceFile);
    try {
        platform::readFileIfExists(path);
    } catch (const vb::Error& e) {
        unreadableReason(services) = reasonWithoutPath(platform::resolvePath(path), e.description());
        stateNotice(app.program().ini, "devices not loaded from " + path + ": " + unreadableReason(services) + "; this run will not save over it");
    }
    std::string text = app.guarded<std::string>("GetINISection", [&] {
        return app.GetINISection(kDeviceSection, kDeviceFile);
    });
    std::erase(text, '"');
    if (text.empty())
        return;
    // Texts are escaped only in a file that says so; an older file is read as it stands.
    const bool escaped = !app.guarded<std::string>("GetINISetting", [&] {
                             return app.GetINISetting("", kDeviceEncodingKey, "", kDeviceFile);
                         }).empty();
    auto decoded = [&](std::string_view t) { return escaped ? decodeDeviceText(t) : std::string(t); };
    for (const std::string& item : vb::splitAt(text, '\0')) {
        const std::size_t equals = item.find('=');
        // Keys shorter than two characters are not device codes.
        if (equals == std::string::npos || equals < 2)
            continue;
        const std::string value = item.substr(equals + 1);
        if (value.empty())
            continue;
        const std::string code = decoded(vb::upperCase(item.substr(0, equals)));
        const std::string report = "InitDevices " + code;
        std::vector<std::string> fields = vb::splitAt(value, ';');
        for (std::string& f : fields)
            f = decoded(f);
        auto field = [&](std::size_t i) -> const std::string& {
            if (i >= fields.size())
                vb::raiseError(vb::err::SubscriptOutOfRange);
            return fields[i];
        };

        vb::Ref<vb::Object> device;
        step(app.program(), report, [&] {
            const std::string& name = field(1);
            device = app.guarded<vb::Ref<vb::Object>>("NewDeviceEx", [&] { return app.NewDeviceEx(name, code); });
        });
        auto set = [&](std::string_view property, auto valueOf) {
            step(app.program(), report, [&] {
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

        step(app.program(), report, [&] {
            const std::int16_t status = vb::CInt(vb::Variant(vb::Val(field(2))));
            app.guarded("SetDeviceStatus", [&] { app.SetDeviceStatus(code, status); });
        });
        step(app.program(), report, [&] {
            const std::int32_t number = vb::CLng(vb::Variant(vb::Val(field(3))));
            app.guarded("SetDeviceValue", [&] { app.SetDeviceValue(code, number); });
        });
        step(app.program(), report, [&] {
            const vb::Date changed = vb::CDate(vb::Variant(field(4)));
            app.guarded("SetDeviceLastChange", [&] { app.SetDeviceLastChange(code, changed); });
        });
        step(app.program(), report, [&] {
            const std::string& statusText = field(5);
            app.guarded("SetDeviceString", [&] { app.SetDeviceString(code, statusText, false); });
        });
    }
    // What was restored is what the next checkpoint compares with.
    lastSnapshot(services) = snapshotOf(collectRecords(app, [](const std::string& r, auto&& body) { return quietStep(r, body); }));
}

} // namespace services
