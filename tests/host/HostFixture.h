// A freshly loaded emulated host for one test: a temporary base folder, the host core
// loaded (Setup form, Application object), and every xAP message the host sends
// captured as the node would receive it from the module send path.
#pragma once

#include "host/Application.h"
#include "host/HostRegistry.h"
#include "host/HostState.h"
#include "host/PluginRegistry.h"
#include "host/ScriptService.h"
#include "services/ServicesState.h"
#include "services/Setup.h"

#include "automation/Array.h"
#include "automation/Conversions.h"
#include "xap/ProgramState.h"
#include "xap/Logging.h"
#include "xap/Outgoing.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace host_testing {

using Items = std::vector<std::pair<std::string, std::string>>;

// The key/value pairs of an item list (Chr(0) between items, Chr(1) within one).
inline Items itemsOf(const std::string& data)
{
    Items items;
    if (data.empty())
        return items;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = data.find('\0', start);
        const std::string item = data.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const std::size_t split = item.find('\1');
        items.emplace_back(item.substr(0, split), split == std::string::npos ? std::string() : item.substr(split + 1));
        if (end == std::string::npos)
            return items;
        start = end + 1;
    }
}

struct SentMessage {
    std::string target, cls, section, data, subAddress, uid;
    Items items() const { return itemsOf(data); }
    std::string item(const std::string& key) const
    {
        for (const auto& [k, v] : items()) {
            if (k == key)
                return v;
        }
        return "<missing>";
    }
};

class RecordingSender final : public xap::MessageSender {
public:
    std::string SendXap(const std::string& target, const std::string& cls, const std::string& section,
                        const std::string& data, const std::string& subAddress, const std::string& uid) override
    {
        sent.push_back({target, cls, section, data, subAddress, uid});
        return {};
    }
    // The messages of one class (the error reports are "Homeseer.Event" messages too).
    std::vector<SentMessage> ofClass(const std::string& cls) const
    {
        std::vector<SentMessage> out;
        for (const SentMessage& m : sent) {
            if (m.cls == cls)
                out.push_back(m);
        }
        return out;
    }
    // The "Data" texts of the log messages (LogEvent reports and WriteLog lines).
    std::vector<std::string> logData() const
    {
        std::vector<std::string> out;
        for (const SentMessage& m : ofClass("Homeseer.Event"))
            out.push_back(m.item("Data"));
        return out;
    }
    std::vector<SentMessage> sent;
};

// The texts of an HSEvent argument.
inline std::vector<std::string> textsOf(const vb::Variant& array)
{
    std::vector<std::string> texts;
    if (!array.isArray())
        return texts;
    for (const vb::Variant& v : array.arrayValue().elements())
        texts.push_back(v.isString() ? v.stringValue() : "<not text: " + std::to_string(v.type()) + ">");
    return texts;
}

// An event listener: records every HSEvent call; can run something during the call or fail.
class Listener final : public vb::Dispatch<Listener> {
public:
    static const vb::MemberTable<Listener>& members()
    {
        static const vb::MemberTable<Listener> table("Listener", {
            vb::method<&Listener::HSEvent>("HSEvent"),
            vb::get<&Listener::name>("name"),
        });
        return table;
    }
    void HSEvent(vb::Variant& parms)
    {
        calls.push_back(textsOf(parms));
        arrayType = parms.varType();
        if (during)
            during();
        if (fail)
            vb::raiseError(vb::err::DivisionByZero);
    }
    std::string name() { return listenerName; }

    std::vector<std::vector<std::string>> calls;
    int arrayType = 0;
    std::function<void()> during;
    bool fail = false;
    std::string listenerName = "Listener";
};

// A hosted plug-in as the host sees it: name, Capabilities, SetIO and the shutdown members.
class FakePlugin final : public vb::Dispatch<FakePlugin> {
public:
    static const vb::MemberTable<FakePlugin>& members()
    {
        static const vb::MemberTable<FakePlugin> table("FakePlugin", {
            vb::get<&FakePlugin::name>("name"),
            vb::get<&FakePlugin::Capabilities>("Capabilities"),
            vb::method<&FakePlugin::SetIO>("SetIO"),
            vb::method<&FakePlugin::ShutDownX10>("ShutDownX10"),
            vb::method<&FakePlugin::ShutDownIR>("ShutDownIR"),
            vb::method<&FakePlugin::ShutdownIO>("ShutdownIO"),
        });
        return table;
    }
    std::string name() { return pluginName; }
    std::int32_t Capabilities() { return capabilities; }
    void SetIO(vb::Args args)
    {
        std::vector<vb::Variant> copy;
        for (std::size_t i = 0; i < args.size(); ++i)
            copy.push_back(args[i]);
        setIO.push_back(std::move(copy));
    }
    void ShutDownX10() { shutdowns.push_back("ShutDownX10"); }
    void ShutDownIR() { shutdowns.push_back("ShutDownIR"); }
    void ShutdownIO() { shutdowns.push_back("ShutdownIO"); }

    std::string pluginName = "Audrey";
    std::int32_t capabilities = 0;
    std::vector<std::vector<vb::Variant>> setIO;
    std::vector<std::string> shutdowns;
};

// Records what the host asks of the script host.
class RecordingScripts final : public host::ScriptService {
public:
    struct Call {
        std::string script, function;
        vb::Variant param;
    };
    void initScriptControl(host::Application&) override { ++initCount; }
    void run(const std::string& scriptFile) override { runs.push_back(scriptFile); }
    vb::Variant runEx(const std::string& scriptFile, const std::string& function, const vb::Variant& param) override
    {
        calls.push_back({scriptFile, function, param});
        if (during)
            during();
        return result;
    }
    int initCount = 0;
    std::vector<std::string> runs;
    std::vector<Call> calls;
    vb::Variant result;
    std::function<void()> during;
};

class HostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        xap::InitXapAt(program, dir.path(), dir / "tallis"); // the Config, Data and Scripts folders
        program.xapUID = "FF.0097:00";
        program.pending.clear();
        program.sender = &sender;
        program.xapReady = true;
        host::setScriptService(hostRegistry, &scripts);
        loadHost();
    }
    void TearDown() override
    {
        services::unloadSetupForm(servicesState);
        host::setScriptService(hostRegistry, nullptr);
        program.sender = nullptr;
        program.xapReady = false;
        program.pending.clear();
    }

    // Loads the host core, as start-up does.
    void loadHost()
    {
        form = services::loadSetupForm(servicesState);
        app = host::state(hostRegistry).hostObject;
    }
    // Unloads the host core (saving the devices) and loads it again.
    void restartHost()
    {
        app.reset();
        form.reset();
        services::unloadSetupForm(servicesState);
        loadHost();
    }

    // A late-bound call of a host member by name, as a plug-in makes it.
    template <class... V>
    vb::Variant hs(std::string_view member, V&&... values)
    {
        return vb::call(*app, member, std::forward<V>(values)...);
    }
    vb::Variant hsGet(std::string_view member) { return vb::getProperty(*app, member); }

    vb::Ref<Listener> listen(std::int32_t bits)
    {
        vb::Ref<Listener> listener = vb::make<Listener>();
        hs("RegisterEventCB", bits, vb::Variant(vb::Ref<vb::Object>(listener)));
        return listener;
    }
    vb::Ref<FakePlugin> hostPlugin()
    {
        vb::Ref<FakePlugin> plugin = vb::make<FakePlugin>();
        host::HostedPlugin(hostRegistry) = plugin;
        host::PluginCollection(hostRegistry) = vb::make<vb::Collection>();
        host::PluginCollection(hostRegistry)->append(vb::Variant(vb::Ref<vb::Object>(plugin)), plugin->pluginName);
        return plugin;
    }
    // The error reports of the host object ("Data" texts starting with `member` + " Line ").
    int reportsOf(const std::string& member) const
    {
        int n = 0;
        for (const std::string& data : sender.logData())
            n += data.rfind(member + " Line ", 0) == 0;
        return n;
    }

    // Each test keeps its plug-in registry and loads the Setup form in state of its own.
    host::HostRegistry hostRegistry;
    testing_support::TempFolder dir;
    // The program state goes before the folder its log is in.
    xap::ProgramState program;
    services::ServicesState servicesState{program, hostRegistry};
    RecordingSender sender;
    RecordingScripts scripts;
    vb::Ref<services::Setup> form;
    vb::Ref<host::Application> app;
};

} // namespace host_testing
