// Device state changes and their reports: the tables, listeners, status-change
// callbacks and the X10 command members.
#include "HostFixture.h"

#include "automation/DateTime.h"

using namespace host_testing;
using Texts = std::vector<std::string>;

namespace {

class HostDeviceState : public HostTest { };

} // namespace

TEST_F(HostDeviceState, StatusListenersHearTheChangeBeforeItIsStored)
{
    vb::Ref<Listener> listener = listen(4);
    std::int16_t seenDuring = -1;
    listener->during = [&] { seenDuring = hs("DeviceStatus", "A1").integerValue(); };

    hs("SetDeviceStatus", "a1", std::int16_t(2));
    ASSERT_EQ(listener->calls.size(), 1u);
    // Unit text and house character exactly as the caller gave them.
    EXPECT_EQ(listener->calls[0], (Texts{"4", "1", "a", "2"}));
    EXPECT_EQ(listener->arrayType, vb::vbArray | vb::vbVariant);
    EXPECT_EQ(seenDuring, 0);
    EXPECT_EQ(hs("DeviceStatus", "A01").integerValue(), 2);
    EXPECT_TRUE(hs("isOn", "A1").booleanValue());
    EXPECT_FALSE(hs("isOff", "A1").booleanValue());

    // The same status again notifies nobody.
    hs("SetDeviceStatus", "A1", std::int16_t(2));
    EXPECT_EQ(listener->calls.size(), 1u);
    // A one-character code does nothing at all.
    hs("SetDeviceStatus", "A", std::int16_t(3));
    EXPECT_EQ(listener->calls.size(), 1u);
    EXPECT_EQ(hs("DeviceStatus", "A").integerValue(), 0);
}

TEST_F(HostDeviceState, ValueChangesCallThePluginsInputOutputEveryTimeAndListenersOnChange)
{
    vb::Ref<FakePlugin> plugin = hostPlugin();
    vb::Ref<Listener> listener = listen(4);
    hs("NewDevice", "Dimmer", "B2");
    hs("SetDeviceValue", "B2", 7);
    hs("SetDeviceValue", "B2", 7);
    ASSERT_EQ(plugin->setIO.size(), 2u);
    const auto& call = plugin->setIO[0];
    ASSERT_EQ(call.size(), 7u);
    EXPECT_EQ(vb::CStr(vb::getProperty(vb::requireObject(call[0]), "name")), "Dimmer");
    EXPECT_EQ(call[1].stringValue(), "B");
    EXPECT_EQ(call[2].stringValue(), "2");
    EXPECT_EQ(call[3].integerValue(), 19);
    EXPECT_EQ(call[4].integerValue(), 7);
    ASSERT_EQ(listener->calls.size(), 1u);
    EXPECT_EQ(listener->calls[0], (Texts{"4", "2", "B", "7"}));
    EXPECT_EQ(hs("DeviceValue", "b2").longValue(), 7);

    // NoReport bit 1 skips the input/output entry; bit 2 does not.
    hs("SetDeviceValueNoReport", "B2", 8, std::int16_t(1));
    EXPECT_EQ(plugin->setIO.size(), 2u);
    hs("SetDeviceValueNoReport", "B2", 9, std::int16_t(2));
    EXPECT_EQ(plugin->setIO.size(), 3u);
    EXPECT_EQ(listener->calls.size(), 3u);
    // Without a device record the entry gets no object.
    hs("SetDeviceValue", "C3", 1);
    EXPECT_TRUE(plugin->setIO.back()[0].isNothing());
}

TEST_F(HostDeviceState, StatusChangeCallbacksRunWithTheFourValuesEvenWithoutListeners)
{
    vb::Ref<Listener> listener = listen(4);
    hs("NewDevice", "Lamp", "A1");
    hs("RegisterStatusChangeCB", "lights.vbs", "OnChange");
    std::int16_t seenDuring = -1;
    scripts.during = [&] { seenDuring = hs("DeviceStatus", "A1").integerValue(); };

    hs("SetDeviceStatusNoReport", "a1", std::int16_t(3), std::int16_t(2));
    ASSERT_EQ(scripts.calls.size(), 1u);
    EXPECT_EQ(scripts.calls[0].script, "lights.vbs");
    EXPECT_EQ(scripts.calls[0].function, "OnChange");
    EXPECT_EQ(textsOf(scripts.calls[0].param), (Texts{"a", "1", "3", "1"}));
    EXPECT_EQ(seenDuring, 0);
    EXPECT_TRUE(listener->calls.empty());
    // A code without a device record runs no callback.
    hs("SetDeviceStatus", "Z9", std::int16_t(2));
    EXPECT_EQ(scripts.calls.size(), 1u);
    EXPECT_EQ(listener->calls.size(), 1u);
}

TEST_F(HostDeviceState, AFailingCallbackIsReportedAndTheStatusIsNotStored)
{
    hs("NewDevice", "Lamp", "A1");
    hs("RegisterStatusChangeCB", "broken.vbs", "main");
    scripts.during = [] { vb::raiseError(vb::err::FileNotFound); };
    EXPECT_NO_THROW(hs("SetDeviceStatus", "A1", std::int16_t(2)));
    EXPECT_EQ(reportsOf("SetDeviceStatus"), 1);
    EXPECT_EQ(hs("DeviceStatus", "A1").integerValue(), 0);
}

TEST_F(HostDeviceState, AFailingListenerDoesNotStopTheOthers)
{
    vb::Ref<Listener> first = listen(64);
    first->fail = true;
    // An object without HSEvent is skipped as well.
    hs("RegisterEventCB", 64, vb::Variant(vb::Ref<vb::Object>(vb::make<vb::Collection>())));
    vb::Ref<Listener> last = listen(64);
    hs("SetDeviceString", "A1", "On");
    EXPECT_EQ(first->calls.size(), 1u);
    ASSERT_EQ(last->calls.size(), 1u);
    EXPECT_EQ(last->calls[0], (Texts{"64", "A1", "On"}));
    EXPECT_EQ(hs("DeviceString", "a1").stringValue(), "On");
    EXPECT_TRUE(sender.logData().empty());
    // The text compares exactly: another case is a change.
    hs("SetDeviceString", "A1", "On");
    hs("SetDeviceString", "A1", "ON");
    EXPECT_EQ(last->calls.size(), 2u);
}

TEST_F(HostDeviceState, TimesAndLastChangesAreStoredWithoutNotification)
{
    vb::Ref<Listener> listener = listen(127);
    hs("SetDeviceTime", "A", 5);
    EXPECT_EQ(hs("DeviceTime", "A0").longValue(), 5);
    const vb::Date when = vb::dateSerial(2026, 12, 7);
    hs("SetDeviceLastChange", "A2", vb::Variant(when));
    EXPECT_EQ(hs("DeviceLastChange", "A2").dateValue(), when);
    hs("SetDeviceLastChange", "A", vb::Variant(when)); // too short: ignored
    EXPECT_EQ(hs("DeviceLastChange", "A0").dateValue(), vb::Date{});
    EXPECT_TRUE(listener->calls.empty());
    // An empty code is an error of SetDeviceTime, reported and not raised.
    hs("SetDeviceTime", "", 1);
    EXPECT_EQ(reportsOf("SetDeviceTime"), 1);
}

TEST_F(HostDeviceState, ByNameMembersGoThroughTheFullName)
{
    vb::setProperty(vb::requireObject(hs("NewDeviceEx", "Lamp", "C3")), "location", vb::Variant("Kitchen"));
    hs("SetDeviceValueByName", "kitchen lamp", 12);
    hs("SetDeviceStringByName", "Kitchen Lamp", "bright");
    hs("SetDeviceStatus", "C3", std::int16_t(2));
    hs("SetDeviceTime", "C3", 9);
    EXPECT_EQ(hs("DeviceValueByName", "KITCHEN LAMP").longValue(), 12);
    EXPECT_EQ(hs("DeviceStringByName", "Kitchen Lamp").stringValue(), "bright");
    EXPECT_EQ(hs("DeviceTimeByName", "Kitchen Lamp").longValue(), 9);
    EXPECT_TRUE(hs("isOnByName", "Kitchen Lamp").booleanValue());
    EXPECT_FALSE(hs("isOffByName", "Kitchen Lamp").booleanValue());
    // Unknown names: the defaults, and the member's own name for DeviceStringByName.
    EXPECT_EQ(hs("DeviceValueByName", "Attic").longValue(), 0);
    EXPECT_EQ(hs("DeviceStringByName", "Attic").stringValue(), "DeviceStringByName");
    EXPECT_FALSE(hs("isOnByName", "Attic").booleanValue());
    hs("SetDeviceValueByName", "Attic", 5); // nothing happens
    EXPECT_TRUE(sender.logData().empty());
}

TEST_F(HostDeviceState, SetX10StatusReportsTheEventTypeAndStoresTheCommandCode)
{
    vb::Ref<Listener> x10 = listen(16);
    vb::Ref<Listener> state = listen(4);
    hs("SetDeviceStatus", "A1", std::int16_t(2));
    hs("SetX10Status", "A1", "on", std::int16_t(0), std::int16_t(0));
    ASSERT_EQ(x10->calls.size(), 1u);
    EXPECT_EQ(x10->calls[0], (Texts{"16", "1", "A", "on", "0", "0"}));
    EXPECT_EQ(hs("DeviceStatus", "A1").integerValue(), 2);

    hs("SetDeviceStatus", "A1", std::int16_t(3));
    hs("SetX10Status", "A1", "ON", std::int16_t(40), std::int16_t(7));
    EXPECT_EQ(x10->calls[1], (Texts{"20", "1", "A", "ON", "40", "7"}));
    EXPECT_EQ(hs("DeviceStatus", "A1").integerValue(), 2);
    // The state listeners heard only the two SetDeviceStatus calls.
    EXPECT_EQ(state->calls.size(), 2u);

    hs("SetX10Status", "A1", "all_lights_on", std::int16_t(0), std::int16_t(0));
    EXPECT_EQ(hs("DeviceStatus", "A1").integerValue(), 17);
    EXPECT_EQ(x10->calls[2][0], "20");
}

TEST_F(HostDeviceState, ExecX10RoutesHousesAToPToXapAndOthersToThePlugins)
{
    vb::Ref<FakePlugin> plugin = hostPlugin();
    EXPECT_EQ(hs("ExecX10", "p5", "ON").integerValue(), 1);
    const auto requests = sender.ofClass("xap-x10.request");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].section, "xap-x10.request");
    EXPECT_EQ(requests[0].items(), (Items{{"Device", "p5"}, {"Command", "ON"}}));
    EXPECT_TRUE(plugin->setIO.empty());

    EXPECT_EQ(hs("ExecX10", "Q5", "ON", std::int16_t(30), std::int16_t(4)).integerValue(), 1);
    ASSERT_EQ(plugin->setIO.size(), 1u);
    const auto& call = plugin->setIO[0];
    EXPECT_TRUE(call[0].isNothing());
    EXPECT_EQ(call[1].stringValue(), "Q");
    EXPECT_EQ(call[2].stringValue(), "5");
    EXPECT_EQ(call[3].integerValue(), 2);  // the command code of ON
    EXPECT_EQ(call[4].integerValue(), 30); // dim level as level
    EXPECT_EQ(call[5].integerValue(), 4);  // data2 as data1
    EXPECT_EQ(call[6].integerValue(), 0);
    EXPECT_EQ(sender.ofClass("xap-x10.request").size(), 1u);
    // An empty code and words outside the four go to the plug-ins with command 0.
    hs("ExecX10", "", "blink");
    EXPECT_EQ(plugin->setIO.back()[3].integerValue(), 0);
}

TEST_F(HostDeviceState, ExecX10NoLogAndByNameAlsoSetTheStatus)
{
    vb::Ref<Listener> x10 = listen(16);
    hs("ExecX10NoLog", "B3", "off");
    EXPECT_EQ(hs("DeviceStatus", "B3").integerValue(), 3);
    EXPECT_EQ(sender.ofClass("xap-x10.request").size(), 1u);
    vb::setProperty(vb::requireObject(hs("NewDeviceEx", "Fan", "C2")), "location", vb::Variant("Hall"));
    EXPECT_EQ(hs("ExecX10ByName", "hall fan", "dim", std::int16_t(50)).integerValue(), 1);
    EXPECT_EQ(hs("DeviceStatus", "C2").integerValue(), 4);
    EXPECT_EQ(x10->calls.size(), 2u);
    EXPECT_EQ(sender.ofClass("xap-x10.request").back().item("Device"), "C2");
}

TEST_F(HostDeviceState, RegisterEventCBPutsTheObjectIntoOneListPerBit)
{
    vb::Ref<Listener> listener = listen(68); // bits 4 and 64
    hs("SetDeviceStatus", "A1", std::int16_t(2));
    hs("SetDeviceString", "A1", "x");
    hs("SetX10Status", "A1", "off", std::int16_t(0), std::int16_t(0));
    hs("WriteLog", "c", "m");
    EXPECT_EQ(listener->calls.size(), 2u);
    // Registered twice, notified twice; bits above 64 are ignored.
    hs("RegisterEventCB", 4 | 128, vb::Variant(vb::Ref<vb::Object>(listener)));
    hs("SetDeviceStatus", "A1", std::int16_t(5));
    EXPECT_EQ(listener->calls.size(), 4u);
}

TEST_F(HostDeviceState, WhileTheHostLoadsChangesAreStoredSilently)
{
    vb::Ref<Listener> listener = listen(127);
    hs("NewDevice", "Lamp", "A1");
    hs("RegisterStatusChangeCB", "s.vbs", "f");
    host::state(hostRegistry).hostLoading = true;
    hs("SetDeviceStatus", "A1", std::int16_t(2));
    hs("SetDeviceValue", "A1", 5);
    hs("SetDeviceString", "A1", "on");
    hs("RegisterStatusChangeCB", "dropped.vbs", "f");
    host::state(hostRegistry).hostLoading = false;
    EXPECT_TRUE(listener->calls.empty());
    EXPECT_TRUE(scripts.calls.empty());
    EXPECT_EQ(hs("DeviceString", "A1").stringValue(), "on");
    hs("SetDeviceStatus", "A1", std::int16_t(3));
    EXPECT_EQ(scripts.calls.size(), 1u); // only the registration made outside loading
}

TEST_F(HostDeviceState, SilentDeviceCollectionRaisesItsErrorsToTheCaller)
{
    vb::Ref<vb::Collection> devices = vb::make<vb::Collection>();
    devices->append(vb::Variant("A1"));
    devices->append(vb::Variant("B2"));
    EXPECT_NO_THROW(hs("SetSilentDeviceCollection", vb::Variant(vb::Ref<vb::Object>(devices))));
    EXPECT_EQ(host::state(hostRegistry).silentDevices->Count(), 2);
    devices->append(vb::Variant("A1"));
    EXPECT_THROW(hs("SetSilentDeviceCollection", vb::Variant(vb::Ref<vb::Object>(devices))), vb::Error);
    EXPECT_THROW(hs("SetSilentDeviceCollection", vb::Variant::nothing()), vb::Error);
}
