// The Setup form as host core and host callback object, called by name as the plug-in calls it.
#include "host/HostFixture.h"

#include "support/Unprivileged.h"

#include <filesystem>
#include <sys/stat.h>

using namespace host_testing;
using Texts = std::vector<std::string>;

namespace {

class SetupForm : public HostTest {
protected:
    template <class... V>
    vb::Variant cb(std::string_view procedure, V&&... values)
    {
        return vb::call(*form, procedure, std::forward<V>(values)...);
    }
};

} // namespace

TEST_F(SetupForm, LoadingBuildsTheHostAndItsDataFile)
{
    EXPECT_EQ(cb("GetHSIface").objectValue(), app.get());
    EXPECT_EQ(vb::typeName(cb("GetHSIface")), "Application");
    EXPECT_FALSE(host::state(hostRegistry).hostLoading);
    EXPECT_TRUE(dir.exists("Data/raruveViziva.txt"));
    // A second creation finds the data file and leaves it alone.
    dir.write("Data/raruveViziva.txt", "kept");
    restartHost();
    EXPECT_EQ(dir.read("Data/raruveViziva.txt"), "kept");
    EXPECT_EQ(form->caption(), "Farstead");
}

TEST_F(SetupForm, StartupNamesTheFormAndShowsTheMenuDialogWithoutAnInterface)
{
    int dialogs = 0;
    services::setupWindowHooks(servicesState).showPluginMenuDialog = [&] { ++dialogs; };
    cb("Startup");
    EXPECT_EQ(form->caption(), "rARuveViziva");
    EXPECT_TRUE(form->noInterface());
    EXPECT_EQ(dialogs, 1);
    host::InterfaceName(hostRegistry) = "Audrey";
    cb("Startup");
    EXPECT_FALSE(form->noInterface());
    EXPECT_EQ(dialogs, 1);
}

TEST_F(SetupForm, IREventSendsAMatchOnlyWithAnInterface)
{
    cb("IREvent", std::int16_t(12)); // before Startup: an interface is assumed
    host::InterfaceName(hostRegistry) = "Audrey";
    cb("Startup");
    cb("IREvent", std::int16_t(0));
    cb("IREvent", std::int16_t(12));
    host::InterfaceName(hostRegistry).clear();
    cb("Startup");
    cb("IREvent", std::int16_t(13));
    const auto ir = sender.ofClass("Homeseer.IR");
    ASSERT_EQ(ir.size(), 2u);
    EXPECT_EQ(ir[1].section, "IR.Match");
    EXPECT_EQ(ir[1].items(), (Items{{"Match", "12"}}));
}

TEST_F(SetupForm, RegisterEventCBLogsTheCallbackAndRegistersPerBit)
{
    vb::Ref<Listener> listener = vb::make<Listener>();
    listener->listenerName = "Audrey";
    cb("RegisterEventCB", std::int16_t(6), vb::Variant(vb::Ref<vb::Object>(listener)));
    const auto logs = sender.ofClass("Homeseer.Event");
    ASSERT_EQ(logs.size(), 1u);
    const Items items = logs[0].items();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].first, "Time");
    EXPECT_EQ(items[1], (std::pair<std::string, std::string>{"Type", "callback from Audrey"}));
    EXPECT_EQ(items[2], (std::pair<std::string, std::string>{"Data", "Type=6"}));
    hs("WriteLog", "c", "m");                      // bit 2
    hs("SetDeviceStatus", "A1", std::int16_t(2)); // bit 4
    hs("SetDeviceString", "A1", "x");             // bit 64: not registered
    EXPECT_EQ(listener->calls.size(), 2u);

    // Type 128 only logs.
    vb::Ref<Listener> other = vb::make<Listener>();
    cb("RegisterEventCB", std::int16_t(128), vb::Variant(vb::Ref<vb::Object>(other)));
    EXPECT_EQ(sender.ofClass("Homeseer.Event").size(), 3u);
    // An object without a name is refused: the error reaches the plug-in, nothing is registered.
    vb::Ref<vb::Collection> nameless = vb::make<vb::Collection>();
    EXPECT_THROW(cb("RegisterEventCB", std::int16_t(4), vb::Variant(vb::Ref<vb::Object>(nameless))), vb::Error);
    EXPECT_EQ(host::state(hostRegistry).eventListeners[2].size(), 1u);
}

TEST_F(SetupForm, SendXapMessageReplacesTheLastTwoCharactersOfTheUID)
{
    const std::string body = xap::itemList({{"Command", "play"}});
    cb("SendXapMessage", "vyn.Audrey.Kitchen", "Audrey.Cmd", "Audrey.Cmd", body, "sub", "05");
    ASSERT_EQ(sender.sent.size(), 1u);
    const SentMessage& m = sender.sent[0];
    EXPECT_EQ(m.uid, "FF.0097:05");
    EXPECT_EQ(m.target, "vyn.Audrey.Kitchen");
    EXPECT_EQ(m.cls, "Audrey.Cmd");
    EXPECT_EQ(m.subAddress, "sub");
    EXPECT_EQ(m.data, body);
    program.xapUID = "F";
    EXPECT_THROW(cb("SendXapMessage", "", "c", "s", body, "", "05"), vb::Error);
}

TEST_F(SetupForm, GetNextFreeIOCodeReadsTheHouseCodeSetting)
{
    EXPECT_EQ(cb("GetNextFreeIOCode").integerValue(), 94);
    EXPECT_FALSE(dir.exists("Config/vynAudreyUtilities.ini"));
    dir.write("Config/vynAudreyUtilities.ini", "[Audrey Utilities]\r\nHouseCode=91\r\n");
    EXPECT_EQ(cb("GetNextFreeIOCode").integerValue(), 91);
    dir.write("Config/vynAudreyUtilities.ini", "[Audrey Utilities]\r\nHouseCode=x\r\n");
    dir.write("Config/other.ini", "[a]\r\nb=1\r\n");
    hs("GetINISetting", "a", "b", "", "other.ini"); // another file in between: the change is read
    EXPECT_EQ(cb("GetNextFreeIOCode").integerValue(), 94);
}

TEST_F(SetupForm, RunAsXapNodeIsWrittenThroughTheHost)
{
    services::saveRunAsXapNode(hostRegistry);
    EXPECT_EQ(dir.read("Config/vynAudreyUtilities.ini"), "[AUDREY UTILITIES]\r\nRUNASXAPNODE=yes\r\n");
}

TEST_F(SetupForm, MenuRegistrationsKeepTheFirstDisplayText)
{
    cb("RegisterMenu", "A", "T");
    cb("RegisterMenuEx", "A", "T", "D");
    cb("RegisterMenuEx", "a", "T", "D");
    const vb::Ref<vb::Dictionary> menus = host::MenuCallbacks(hostRegistry);
    ASSERT_TRUE(menus);
    EXPECT_EQ(menus->Count(), 2);
    EXPECT_EQ(menus->find(vb::Variant("A~T"))->stringValue(), "A");
    EXPECT_EQ(menus->find(vb::Variant("a~T"))->stringValue(), "D");
    EXPECT_TRUE(sender.logData().empty());
    // In debug mode 1 every registration is reported.
    vb::setProperty(*app, "DebugMode", vb::Variant(1));
    cb("RegisterMenu", "A", "T");
    const auto logs = sender.ofClass("Homeseer.Event");
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(logs[0].item("Type"), "raruveViziva Debug");
    EXPECT_EQ(logs[0].item("Data"), "Accepting Callback A~T");
}

TEST_F(SetupForm, X10EventsAndValueChangesReachTheNodeAndTheHost)
{
    vb::Ref<FakePlugin> plugin = hostPlugin();
    vb::Ref<Listener> listener = listen(4);
    cb("X10Event", "2+3", "B", std::int16_t(2), 0, 0);
    const auto events = sender.ofClass("xAP-X10.event");
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].items(), (Items{{"Device", "B2,B3"}, {"Event", "2"}}));
    // ValueChangeEvent stores the value and tells the listeners, not the plug-ins.
    cb("ValueChangeEvent", "C1", 40);
    EXPECT_EQ(hs("DeviceValue", "C1").longValue(), 40);
    EXPECT_EQ(listener->calls.size(), 1u);
    EXPECT_TRUE(plugin->setIO.empty());
}

TEST_F(SetupForm, AcceptedProceduresDoNothing)
{
    for (const char* procedure : {"GetSelectedPlugins", "UnRegisterAllMenus", "ForceFront", "CheckTrigger",
                                  "WriteSplash", "DisplayEvDTMF", "UnRegisterProxySpeakPlug"})
        EXPECT_TRUE(cb(procedure, "x").isEmpty()) << procedure;
    EXPECT_TRUE(cb("RegisterProxySpeakPlug", "x", vb::Variant::nothing()).isEmpty());
    EXPECT_TRUE(sender.sent.empty());
}

TEST_F(SetupForm, ShutdownCallsThePluginsShutdownMembersByCapability)
{
    vb::Ref<FakePlugin> plugin = hostPlugin();
    plugin->capabilities = 5;
    // A second plug-in without Capabilities does not stop the shutdown.
    host::PluginCollection(hostRegistry)->append(vb::Variant(vb::Ref<vb::Object>(vb::make<vb::Collection>())));
    vb::Ref<FakePlugin> third = vb::make<FakePlugin>();
    third->capabilities = 2;
    host::PluginCollection(hostRegistry)->append(vb::Variant(vb::Ref<vb::Object>(third)));
    cb("App_Terminate");
    EXPECT_EQ(plugin->shutdowns, (Texts{"ShutDownX10", "ShutdownIO"}));
    EXPECT_EQ(third->shutdowns, (Texts{"ShutDownIR"}));
    // The dictionaries are gone: variables now fail (reported), and App_Initialize makes them again.
    hs("CreateVar", "x");
    EXPECT_EQ(reportsOf("CreateVar"), 1);
    // SetX10Status has no trap of its own: without the command codes its error reaches the caller.
    EXPECT_THROW(hs("SetX10Status", "A1", "on", std::int16_t(0), std::int16_t(0)), vb::Error);
    cb("App_Initialize");
    EXPECT_EQ(hs("CreateVar", "x").stringValue(), "");
}

TEST_F(SetupForm, UnloadReleasesTheHostAndLoadBuildsAFreshOne)
{
    hostPlugin();
    listen(4);
    hs("NewEvent", "e");
    services::unloadSetupForm(servicesState);
    EXPECT_EQ(services::setupForm(servicesState), nullptr);
    EXPECT_EQ(host::loadedState(hostRegistry), nullptr);
    EXPECT_FALSE(host::HostedPlugin(hostRegistry));
    EXPECT_FALSE(host::PluginCollection(hostRegistry));
    loadHost();
    EXPECT_EQ(hsGet("EventCount").integerValue(), 0);
    EXPECT_TRUE(host::state(hostRegistry).eventListeners[2].empty());
}

TEST_F(SetupForm, AnUnreadableSettingsFileIsLoggedAndNeverSavedOver)
{
    if (!testing_support::Unprivileged::available())
        GTEST_SKIP() << "needs root to read as another user";
    app.reset();
    form.reset();
    services::unloadSetupForm(servicesState);
    const std::string original = "[General]\r\nDebugLog=1\r\n";
    dir.write("Config/Settings.ini", original);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod((dir / "Config/Settings.ini").c_str(), 0), 0);
    dir.write("Data/raruveViziva.txt", "");
    ASSERT_EQ(::chmod((dir / "Data/raruveViziva.txt").c_str(), 0666), 0); // the log stays writable
    {
        testing_support::Unprivileged nobody;
        loadHost();
    }
    // The host runs on defaults and says why in its log file.
    EXPECT_NE(dir.read("Data/raruveViziva.txt").find("Settings.ini"), std::string::npos);
    // What the setup dialog would save does not replace the user's file.
    services::IniTool& settings = form->settingsStore();
    settings.WriteKey("General", "DebugLog", "0");
    EXPECT_FALSE(settings.Save());
    EXPECT_EQ(dir.read("Config/Settings.ini"), original);
}
