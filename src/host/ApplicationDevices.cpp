// Device records and lookup: NewDevice, the Get... lookups, DeviceExists, DeleteDevice.
//
// DeviceList is ordered and unkeyed; several records may share a reference number, a
// code or a name, and every lookup takes the first match in list order. The list is
// handed out live (GetDeviceList), so it may also hold objects of other classes that a
// plug-in added; those are read by name.
#include "Application.h"
#include "DeviceClass.h"

#include "automation/TextCompare.h"

namespace host {

namespace {

// The text of a property as the record's owner concatenates it (Null reads as "").
std::string textOf(const vb::Variant& v)
{
    return v.isNull() ? std::string() : vb::CStr(v);
}

// `hc` followed by `dc`, compared without building the text. (A letter and its other
// case may differ in size, so the split point is found by matching, not by length.)
bool codeMatches(std::string_view code, std::string_view hc, std::string_view dc)
{
    const std::size_t house = vb::matchPrefixIgnoreCase(code, hc);
    return house != std::string_view::npos && vb::equalsIgnoreCase(code.substr(house), dc);
}

// "location name", compared the same way.
bool fullNameMatches(std::string_view fullName, std::string_view location, std::string_view name)
{
    const std::size_t at = vb::matchPrefixIgnoreCase(fullName, location);
    return at != std::string_view::npos && at < fullName.size() && fullName[at] == ' '
        && vb::equalsIgnoreCase(fullName.substr(at + 1), name);
}

vb::Object& recordAt(const vb::Collection& list, std::size_t position)
{
    return vb::requireObject(list.at(position));
}

// Calls `match` on each record in order until it returns true; the 1-based position of
// that record, or 0.
template <class Match>
std::size_t firstRecord(const vb::Collection& list, Match&& match)
{
    for (std::size_t position = 1; position <= list.size(); ++position) {
        vb::Object& record = recordAt(list, position);
        if (match(record))
            return position;
    }
    return 0;
}

bool recordHasCode(vb::Object& record, std::string_view code)
{
    if (auto* device = dynamic_cast<DeviceClass*>(&record))
        return codeMatches(code, device->hc, device->dc);
    return codeMatches(code, vb::CStr(vb::getProperty(record, "hc")), vb::CStr(vb::getProperty(record, "dc")));
}

bool recordHasFullName(vb::Object& record, std::string_view fullName)
{
    if (auto* device = dynamic_cast<DeviceClass*>(&record)) {
        if (device->location.isString())
            return fullNameMatches(fullName, device->location.stringValue(), device->name);
        return fullNameMatches(fullName, textOf(device->location), device->name);
    }
    return fullNameMatches(fullName, textOf(vb::getProperty(record, "location")),
                           vb::CStr(vb::getProperty(record, "name")));
}

std::int32_t refOf(vb::Object& record)
{
    if (auto* device = dynamic_cast<DeviceClass*>(&record))
        return device->ref;
    return vb::CLng(vb::getProperty(record, "ref"));
}

std::int16_t asInteger(std::size_t n)
{
    if (n > 32767)
        vb::raiseError(vb::err::Overflow);
    return static_cast<std::int16_t>(n);
}

} // namespace

vb::Ref<vb::Object> Application::findByCode(std::string_view code, std::size_t* position)
{
    const vb::Collection& list = hostState().deviceList();
    const std::size_t found = firstRecord(list, [&](vb::Object& record) { return recordHasCode(record, code); });
    if (position)
        *position = found;
    return found ? list.at(found).objectRef() : nullptr;
}

vb::Ref<vb::Object> Application::findByFullName(std::string_view fullName)
{
    const vb::Collection& list = hostState().deviceList();
    const std::size_t found = firstRecord(list, [&](vb::Object& record) { return recordHasFullName(record, fullName); });
    return found ? list.at(found).objectRef() : nullptr;
}

std::int16_t Application::NewDevice(const std::string& name, vb::Optional<std::string> sDC)
{
    HostState& s = hostState();
    if (s.lastDeviceRef == INT32_MAX)
        vb::raiseError(vb::err::Overflow);
    s.lastDeviceRef += 1;
    vb::Ref<DeviceClass> device = vb::make<DeviceClass>();
    device->ref = s.lastDeviceRef;
    device->name = name;
    const std::string code = sDC.value_or(std::string());
    const std::size_t length = characterCount(code);
    if (length < 2 || length > 3) {
        device->hc = "A";
        device->dc = "1";
    } else {
        device->hc = std::string(firstCharacter(code));
        device->dc = std::string(afterFirstCharacter(code));
    }
    vb::Collection& list = s.deviceList();
    list.append(vb::Variant(vb::Ref<vb::Object>(device)));
    // Beyond 32767 records the position no longer fits the result; the record stays.
    return asInteger(list.size());
}

vb::Ref<vb::Object> Application::NewDeviceEx(const std::string& name, vb::Optional<std::string> sDC)
{
    std::string code;
    if (sDC) {
        const std::size_t length = characterCount(*sDC);
        if (length >= 2 && length <= 3)
            code = *sDC;
    }
    const std::int16_t position = guarded<std::int16_t>("NewDevice", [&] { return NewDevice(name, code); });
    const vb::Collection& list = hostState().deviceList();
    if (position >= 1 && static_cast<std::size_t>(position) <= list.size())
        return list.at(static_cast<std::size_t>(position)).objectRef();
    return nullptr;
}

vb::Ref<vb::Object> Application::GetDevice(std::int16_t index)
{
    const vb::Collection& list = hostState().deviceList();
    if (index < 1 || static_cast<std::size_t>(index) > list.size())
        return nullptr;
    return list.at(static_cast<std::size_t>(index)).objectRef();
}

vb::Ref<vb::Object> Application::GetDeviceByRef(std::int32_t ref)
{
    const vb::Collection& list = hostState().deviceList();
    const std::size_t found = firstRecord(list, [&](vb::Object& record) { return refOf(record) == ref; });
    return found ? list.at(found).objectRef() : nullptr;
}

vb::Ref<vb::Object> Application::GetDeviceEx(const std::string& deviceName)
{
    return findByFullName(deviceName);
}

vb::Ref<vb::Object> Application::GetDeviceByCode(const std::string& device)
{
    return findByCode(device);
}

std::string Application::GetDeviceCode(const std::string& name)
{
    const vb::Ref<vb::Object> record = findByFullName(name);
    if (!record)
        return {};
    if (auto* device = dynamic_cast<DeviceClass*>(record.get()))
        return device->code();
    return vb::CStr(vb::getProperty(*record, "hc")) + vb::CStr(vb::getProperty(*record, "dc"));
}

std::int32_t Application::GetDeviceRef(const std::string& sAddress)
{
    const vb::Ref<vb::Object> record = guarded<vb::Ref<vb::Object>>("GetDeviceByCode", [&] { return GetDeviceByCode(sAddress); });
    return record ? refOf(*record) : -1;
}

std::int32_t Application::GetDeviceRefByName(const std::string& deviceName)
{
    const vb::Ref<vb::Object> record = guarded<vb::Ref<vb::Object>>("GetDeviceEx", [&] { return GetDeviceEx(deviceName); });
    return record ? refOf(*record) : -1;
}

vb::Ref<vb::Object> Application::GetDeviceList()
{
    return hostState().deviceListRef();
}

std::int16_t Application::DeviceExists(const std::string& device)
{
    std::size_t position = 0;
    findByCode(device, &position);
    return position ? asInteger(position) : std::int16_t(-1);
}

// Returns True when a record was removed (and False when there was none to remove), so
// that a caller can tell the two apart.
bool Application::DeleteDevice(std::int32_t ref)
{
    vb::Collection& list = hostState().deviceList();
    const std::size_t found = firstRecord(list, [&](vb::Object& record) { return refOf(record) == ref; });
    if (!found)
        return false;
    list.removeAt(found);
    return true;
}

std::int16_t Application::DeviceCount()
{
    return asInteger(hostState().deviceList().size());
}

} // namespace host
