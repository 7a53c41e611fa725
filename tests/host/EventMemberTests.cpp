// Event records, scripts and plug-ins through the host object.
#include "HostFixture.h"

#include "events/EventClass.h"

using namespace host_testing;

namespace {

class HostEventMembers : public HostTest { };

std::string nameOf(const vb::Variant& event)
{
    return vb::CStr(vb::getProperty(vb::requireObject(event), "name"));
}

} // namespace

TEST_F(HostEventMembers, EventsAreFoundByNameInAnyCaseFirstMatchFirst)
{
    EXPECT_EQ(hs("NewEvent", "Porch Light").integerValue(), 1);
    EXPECT_EQ(hs("NewEvent", "Porch Light").integerValue(), 2);
    const vb::Variant third = hs("NewEventEx", "Garage");
    EXPECT_EQ(nameOf(third), "Garage");
    EXPECT_EQ(hsGet("EventCount").integerValue(), 3);
    EXPECT_EQ(hs("GetEventIndex", "pORCH lIGHT").integerValue(), 1);
    EXPECT_EQ(hs("GetEventIndex", "Attic").integerValue(), -1);
    EXPECT_EQ(hs("GetEventEx", "GARAGE").objectValue(), third.objectValue());
    EXPECT_TRUE(hs("EventExists", "garage").booleanValue());
    EXPECT_FALSE(hs("EventExists", "attic").booleanValue());
    EXPECT_TRUE(hs("GetEvent", 0).isNothing());
    EXPECT_TRUE(hs("GetEvent", 4).isNothing());

    const vb::Variant list = hs("GetEventList");
    hs("DeleteEvent", "attic"); // unknown: nothing
    hs("DeleteEvent", "porch light");
    EXPECT_EQ(vb::CLng(vb::getProperty(vb::requireObject(list), "Count")), 2);
    EXPECT_EQ(hs("GetEventIndex", "Garage").integerValue(), 2);
    EXPECT_EQ(hs("GetEventIndex", "Porch Light").integerValue(), 1);
}

TEST_F(HostEventMembers, EnableAndDisableSetEnabledOfTheNamedEvent)
{
    const vb::Variant event = hs("NewEventEx", "Porch");
    EXPECT_FALSE(vb::getProperty(vb::requireObject(event), "Enabled").booleanValue());
    hs("EnableEvent", "PORCH");
    EXPECT_TRUE(vb::getProperty(vb::requireObject(event), "Enabled").booleanValue());
    hs("DisableEvent", "porch");
    EXPECT_FALSE(vb::getProperty(vb::requireObject(event), "Enabled").booleanValue());
    hs("EnableEvent", "unknown");
    EXPECT_TRUE(sender.logData().empty());
}

TEST_F(HostEventMembers, ConditionsAndDeviceActionsAreNewEveryTime)
{
    const vb::Variant a = hs("NewCondition");
    const vb::Variant b = hs("NewCondition");
    EXPECT_NE(a.objectValue(), b.objectValue());
    EXPECT_EQ(vb::typeName(a), "condition");
    const vb::Variant f = hs("NewDevFunc");
    EXPECT_EQ(vb::typeName(f), "devFunc");
    EXPECT_NE(f.objectValue(), hs("NewDevFunc").objectValue());
    EXPECT_EQ(hsGet("EventCount").integerValue(), 0);
}

TEST_F(HostEventMembers, ScriptsRunThroughTheScriptHost)
{
    scripts.result = vb::Variant("done");
    hs("Run", "startup.vbs");
    EXPECT_EQ(hs("RunEx", "lights.vbs", "Toggle", "A1").stringValue(), "done");
    EXPECT_EQ(scripts.runs, (std::vector<std::string>{"startup.vbs"}));
    ASSERT_EQ(scripts.calls.size(), 1u);
    EXPECT_EQ(scripts.calls[0].function, "Toggle");
    EXPECT_EQ(scripts.calls[0].param.stringValue(), "A1");
    // The engine was prepared once, when the host object was created.
    EXPECT_EQ(scripts.initCount, 1);
    hs("InitScriptControl");
    EXPECT_EQ(scripts.initCount, 2);
}

TEST_F(HostEventMembers, PluginIsFoundByNameInAnyCase)
{
    vb::Ref<FakePlugin> plugin = hostPlugin();
    EXPECT_EQ(hsGet("GetPlugins").objectValue(), host::PluginCollection(hostRegistry).get());
    EXPECT_EQ(vb::call(*app, "plugin", "AUDREY").objectValue(), plugin.get());
    EXPECT_TRUE(vb::call(*app, "plugin", "other").isNothing());
    // A plug-in without a name property is an error of plugin, reported.
    host::PluginCollection(hostRegistry)->append(vb::Variant(vb::Ref<vb::Object>(vb::make<vb::Collection>())));
    EXPECT_TRUE(vb::call(*app, "plugin", "other").isNothing());
    EXPECT_EQ(reportsOf("plugin"), 1);
}
