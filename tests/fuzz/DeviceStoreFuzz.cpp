// Fuzz target device_store: devices survive the program's stop and start. The host is
// loaded, the devices of the input are created, the host is unloaded (which saves
// them) and loaded again (which restores them): every device must come back with its
// name, location, status, value and status text as the host reported them before, and
// a second stop must write the very same file.
//
// Input: devices separated by 0xFF; each device is code, name, location, status text
// and a number text (status and value are taken from it) separated by 0xFE. Codes of
// two or three bytes are used; a device whose code another one has already is deleted
// again (the file has one key per code), and one the host leaves without a code (its
// code is not two or three characters, UTF-8 counted) cannot be saved and is passed by.
#include "host/Application.h"
#include "host/HostRegistry.h"
#include "host/HostState.h"
#include "host/ScriptService.h"
#include "services/ServicesState.h"
#include "services/Setup.h"

#include "automation/Conversions.h"
#include "automation/TextCompare.h"
#include "xap/ProgramState.h"
#include "xap/Logging.h"
#include "xap/Outgoing.h"

#include <algorithm>
#include "FuzzSupport.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using fuzz_support::readAll;
using vb::splitAt;

void check(bool condition, const std::string& what)
{
    fuzz_support::check(condition, "device_store", what);
}

class NoSender final : public xap::MessageSender {
public:
    std::string SendXap(const std::string&, const std::string&, const std::string&, const std::string&,
                        const std::string&, const std::string&) override
    {
        return {};
    }
};

// The fuzzer's program: libFuzzer's entry point has no fixture, so it lives for the whole run.
xap::ProgramState& program()
{
    static xap::ProgramState state;
    return state;
}

const std::string& folder()
{
    static const std::string path = [] {
        const std::string made = fuzz_support::makeFolder("devices");
        static NoSender sender;
        xap::InitXapAt(program(), made, made + "/tallis");
        program().sender = &sender;
        program().xapReady = true;
        return made;
    }();
    return path;
}

std::string oneLine(std::string text)
{
    for (char& c : text) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return text;
}

struct Seen {
    std::string code, name, location, text;
    vb::Variant status, value;
};

// The fuzzed program's host registry and services: libFuzzer's entry point has no
// fixture, so they live as long as the process, as its base folder does.
host::HostRegistry& registry()
{
    static host::HostRegistry fuzzedHost;
    return fuzzedHost;
}

services::ServicesState& servicesOfTheHost()
{
    static services::ServicesState fuzzedServices(program(), registry());
    return fuzzedServices;
}

host::Application& app()
{
    return *host::state(registry()).hostObject;
}

std::string textOf(const vb::Variant& v)
{
    return v.isNull() ? std::string() : vb::CStr(v);
}

// What the host reports of every device, in code order.
std::vector<Seen> look()
{
    std::vector<Seen> seen;
    const std::int16_t count = vb::CInt(vb::getProperty(app(), "DeviceCount"));
    for (std::int16_t i = 1; i <= count; ++i) {
        vb::Object& d = vb::requireObject(vb::call(app(), "GetDevice", i));
        Seen s;
        s.code = vb::upperCase(vb::CStr(vb::getProperty(d, "hc"))) + vb::CStr(vb::getProperty(d, "dc"));
        // A device the host gave no code (its code was not two or three characters)
        // has no key to be saved under.
        if (s.code.size() < 2)
            continue;
        s.name = vb::CStr(vb::getProperty(d, "name"));
        s.location = textOf(vb::getProperty(d, "location"));
        vb::ignoreErrors([&] {
            s.status = vb::call(app(), "DeviceStatus", s.code);
            s.value = vb::call(app(), "DeviceValue", s.code);
            s.text = vb::CStr(vb::call(app(), "DeviceString", s.code));
        });
        vb::clearCurrentFailure();
        seen.push_back(std::move(s));
    }
    std::sort(seen.begin(), seen.end(), [](const Seen& a, const Seen& b) { return a.code < b.code; });
    return seen;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string base = folder();
    const std::string file = base + "/Config/vynTallis.ini";
    std::remove(file.c_str());
    std::remove((file + "_bck").c_str());
    program().pending.clear();

    services::loadSetupForm(servicesOfTheHost());
    std::set<std::string> codes;
    for (const std::string& record : splitAt(std::string_view(reinterpret_cast<const char*>(data), size), '\xff')) {
        const std::vector<std::string> f = splitAt(record, '\xfe');
        if (f.size() != 5 || f[0].size() < 2 || f[0].size() > 3)
            continue;
        vb::Variant device = vb::call(app(), "NewDeviceEx", f[1], f[0]);
        if (!device.isObject() || !device.objectRef())
            continue;
        // The file's key is the device's code in upper case with line breaks as blanks:
        // one device per key (the host may give a device a code another one has).
        vb::Object& d = vb::requireObject(device);
        const std::string code = vb::upperCase(vb::CStr(vb::getProperty(d, "hc"))) + vb::CStr(vb::getProperty(d, "dc"));
        if (!codes.insert(vb::upperCase(oneLine(code))).second) {
            vb::call(app(), "DeleteDevice", vb::CLng(vb::getProperty(d, "ref")));
            continue;
        }
        vb::setProperty(vb::requireObject(device), "location", vb::Variant(f[2]));
        std::uint32_t number = 0;
        for (char c : f[4])
            number = number * 31 + static_cast<unsigned char>(c);
        vb::ignoreErrors([&] {
            vb::call(app(), "SetDeviceStatus", f[0], static_cast<std::int16_t>(number % 7));
            vb::call(app(), "SetDeviceValue", f[0], static_cast<std::int32_t>(number));
            vb::call(app(), "SetDeviceString", f[0], f[3], true);
        });
        vb::clearCurrentFailure();
    }
    std::vector<Seen> before = look();
    for (Seen& s : before) {
        s.code = vb::upperCase(oneLine(s.code));
        s.name = oneLine(s.name);
        s.location = oneLine(s.location);
        s.text = oneLine(s.text);
    }
    std::sort(before.begin(), before.end(), [](const Seen& a, const Seen& b) { return a.code < b.code; });

    services::unloadSetupForm(servicesOfTheHost());
    const std::string once = readAll(file);
    program().pending.clear();
    services::loadSetupForm(servicesOfTheHost());
    const std::vector<Seen> after = look();
    std::string listed;
    for (const Seen& s : before)
        listed += "[" + s.code + "]";
    check(after.size() == before.size(), "devices lost or added: " + std::to_string(before.size()) + " -> " +
                                             std::to_string(after.size()) + " " + listed + "\n" + once);
    for (std::size_t i = 0; i < after.size(); ++i) {
        const Seen& a = before[i];
        const Seen& b = after[i];
        check(a.code == b.code, "code " + a.code + " came back as " + b.code);
        check(a.name == b.name, "name of " + a.code);
        check(a.location == b.location, "location of " + a.code);
        check(a.text == b.text, "status text of " + a.code);
        check(vb::CStr(a.status) == vb::CStr(b.status), "status of " + a.code);
        check(vb::CStr(a.value) == vb::CStr(b.value), "value of " + a.code);
    }
    services::unloadSetupForm(servicesOfTheHost());
    check(readAll(file) == once, "a second stop wrote another file:\n" + once + "\n---\n" + readAll(file));
    program().pending.clear();
    return 0;
}
