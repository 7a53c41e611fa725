// A recording stand-in for the host callback object and the host object, for testing
// plug-ins without the real host.
#pragma once

#include "automation/Array.h"
#include "automation/Conversions.h"
#include "automation/MemberTable.h"

#include <map>
#include <string>
#include <vector>

namespace fake {

class Device final : public vb::Dispatch<Device> {
public:
    static const vb::MemberTable<Device>& members()
    {
        static const vb::MemberTable<Device> table("DeviceClass", {
            vb::get<&Device::getName>("name"), vb::let<&Device::setName>("name"),
            vb::get<&Device::getLocation>("location"), vb::let<&Device::setLocation>("location"),
            vb::get<&Device::getType>("dev_type_string"), vb::let<&Device::setType>("dev_type_string"),
        });
        return table;
    }
    std::string getName() const { return name; }
    void setName(const std::string& v) { name = v; }
    std::string getLocation() const { return location; }
    void setLocation(const std::string& v) { location = v; }
    std::string getType() const { return type; }
    void setType(const std::string& v) { type = v; }
    std::string name, location, type, code;
};

struct SentMessage {
    std::string target, cls, section, body, subAddress, uid;
};

class Host final : public vb::Dispatch<Host> {
public:
    static const vb::MemberTable<Host>& members()
    {
        static const vb::MemberTable<Host> table("Application", {
            vb::method<&Host::GetINISetting>("GetINISetting"),
            vb::method<&Host::GetDeviceByCode>("GetDeviceByCode"),
            vb::method<&Host::NewDeviceEx>("NewDeviceEx"),
            vb::method<&Host::GetDeviceCode>("GetDeviceCode"),
            vb::method<&Host::SetDeviceString>("SetDeviceString"),
            vb::method<&Host::WriteLog>("WriteLog"),
            vb::method<&Host::Speak>("Speak"),
        });
        return table;
    }
    std::string GetINISetting(const std::string& section, const std::string& key, const std::string& def, vb::Optional<std::string> file)
    {
        auto it = ini.find(file.value_or("settings.ini") + "|" + section + "|" + key);
        return it == ini.end() || it->second.empty() ? def : it->second;
    }
    vb::Ref<vb::Object> GetDeviceByCode(const std::string& code)
    {
        for (auto& d : devices) {
            if (vb::equalsIgnoreCase(d->code, code))
                return d;
        }
        return nullptr;
    }
    vb::Ref<vb::Object> NewDeviceEx(const std::string& name, const std::string& code)
    {
        vb::Ref<Device> d = vb::make<Device>();
        d->name = name;
        d->code = code;
        devices.push_back(d);
        return d;
    }
    std::string GetDeviceCode(const std::string& fullName)
    {
        for (auto& d : devices) {
            if (vb::equalsIgnoreCase(d->location + " " + d->name, fullName))
                return d->code;
        }
        return {};
    }
    void SetDeviceString(const std::string& code, const std::string& text, vb::Optional<bool>) { deviceText[code] = text; }
    void WriteLog(const std::string& cls, const std::string& message) { logs.push_back(cls + ": " + message); }
    void Speak(const std::string& text, vb::Optional<bool>) { spoken.push_back(text); }

    std::map<std::string, std::string> ini; // "file|section|key"
    std::vector<vb::Ref<Device>> devices;
    std::map<std::string, std::string> deviceText;
    std::vector<std::string> logs, spoken;
};

class Callback final : public vb::Dispatch<Callback> {
public:
    static const vb::MemberTable<Callback>& members()
    {
        static const vb::MemberTable<Callback> table("Setup", {
            vb::method<&Callback::GetHSIface>("GetHSIface"),
            vb::method<&Callback::GetNextFreeIOCode>("GetNextFreeIOCode"),
            vb::method<&Callback::RegisterMenu>("RegisterMenu"),
            vb::method<&Callback::RegisterMenuEx>("RegisterMenuEx"),
            vb::method<&Callback::RegisterEventCB>("RegisterEventCB"),
            vb::method<&Callback::SendXapMessage>("SendXapMessage"),
        });
        return table;
    }
    vb::Ref<vb::Object> GetHSIface() { return host; }
    std::int16_t GetNextFreeIOCode() { return 94; }
    void RegisterMenu(const std::string& i, const std::string& t) { menus.push_back(i + "~" + t + "=" + i); }
    void RegisterMenuEx(const std::string& i, const std::string& t, const std::string& d) { menus.push_back(i + "~" + t + "=" + d); }
    void RegisterEventCB(std::int16_t type, vb::Variant& obj)
    {
        listenerTypes.push_back(type);
        listeners.push_back(obj.objectRef());
    }
    void SendXapMessage(const std::string& target, const std::string& cls, const std::string& section,
                        const std::string& body, const std::string& sub, const std::string& uid)
    {
        sent.push_back({target, cls, section, body, sub, uid});
    }

    vb::Ref<Host> host = vb::make<Host>();
    std::vector<std::string> menus;
    std::vector<std::int16_t> listenerTypes;
    std::vector<vb::Ref<vb::Object>> listeners;
    std::vector<SentMessage> sent;
};

// An inbound message with the two members the plug-in reads.
class Message final : public vb::Dispatch<Message> {
public:
    static const vb::MemberTable<Message>& members()
    {
        static const vb::MemberTable<Message> table("XapMessage", {
            vb::method<&Message::CompareClass>("CompareClass"),
            vb::method<&Message::GetItem>("GetItem"),
        });
        return table;
    }
    bool CompareClass(const std::string& c) { return vb::equalsIgnoreCase(c, cls); }
    std::string GetItem(const std::string& section, const std::string& key)
    {
        auto it = items.find(vb::lowerCase(section) + "|" + vb::lowerCase(key));
        return it == items.end() ? "Unknown" : it->second;
    }
    std::string cls;
    std::map<std::string, std::string> items; // "section|key" lower-cased
};

} // namespace fake
