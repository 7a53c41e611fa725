// The host object's member table: every member answers by name with its full argument
// list, fixed results have their exact types and values, and the error convention holds.
#include "HostFixture.h"

#include "automation/DateTime.h"

using namespace host_testing;

namespace {

class HostMemberTable : public HostTest {
protected:
    // Calls a member with `count` arguments, each the text "1" (which every parameter type accepts).
    vb::Variant callWith(std::string_view member, vb::CallKind kind, std::size_t count)
    {
        std::vector<vb::Variant> values(count, vb::Variant("1"));
        std::vector<vb::Variant*> pointers;
        for (vb::Variant& v : values)
            pointers.push_back(&v);
        return app->invoke(member, kind, vb::Args(pointers.data(), pointers.size()));
    }
};

struct Expected {
    const char* member;
    std::size_t arguments;
    vb::Variant result;
};

} // namespace

TEST_F(HostMemberTable, FixedResultMembersReturnTheirValueWithTheirType)
{
    const Expected expected[] = {
        {"Version", 0, vb::Variant("1.6.174")},
        {"InterfaceVersion", 0, vb::Variant(std::int16_t(2))},
        {"WEBValidateUser", 2, vb::Variant(true)},
        {"Sunrise", 0, vb::Variant("8")},
        {"Sunset", 0, vb::Variant("8")},
        {"TimeZoneName", 0, vb::Variant("EST")},
        {"AppStarting", 0, vb::Variant(false)},
        {"CheckRunStatus", 2, vb::Variant(false)},
        {"DaylightSavings", 0, vb::Variant(false)},
        {"MuteSpeech", 0, vb::Variant(false)},
        {"GetComPortCount", 1, vb::Variant(std::int16_t(0))},
        {"GetVolume", 2, vb::Variant(std::int32_t(0))},
        {"hwnd", 0, vb::Variant(std::int32_t(0))},
        {"NewIRKey", 6, vb::Variant(std::int32_t(0))},
        {"NewRecurringEvent", 13, vb::Variant(std::int16_t(0))},
        {"NewTimeEvent", 14, vb::Variant(std::int16_t(0))},
        {"Transmit", 8, vb::Variant(std::int16_t(0))},
        {"ping", 2, vb::Variant(std::int16_t(0))},
        {"ThreadID", 0, vb::Variant(std::int32_t(0))},
        {"GetIPAddress", 0, vb::Variant("")},
        {"DecryptString", 2, vb::Variant("")},
        {"ftp", 7, vb::Variant("")},
        {"OpenComPortEx", 7, vb::Variant("")},
        {"EncryptString", 3, vb::Variant("")},
        {"SetComPortRTSDTR", 3, vb::Variant("")},
        {"UnregisterStatusChangeCB", 0, vb::Variant("")},
        {"AddVoiceCommand", 1, vb::Variant()},
        {"ftpSetProxy", 5, vb::Variant()},
        {"SetX10TransmitEvent", 6, vb::Variant()},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.member);
        const vb::Variant r = callWith(e.member, vb::Method | vb::Get, e.arguments);
        ASSERT_EQ(r.type(), e.result.type());
        EXPECT_EQ(vb::CStr(r), vb::CStr(e.result));
        // One argument too many is the caller's error.
        EXPECT_THROW(callWith(e.member, vb::Method | vb::Get, e.arguments + 1), vb::Error);
    }
    EXPECT_TRUE(hs("GetHSPRef").isNothing());
    EXPECT_TRUE(hs("GetPrinter").isNothing());
    EXPECT_EQ(hsGet("SunriseDt").type(), vb::vbDate);
    EXPECT_LT(std::abs(hsGet("SolarNoon").dateValue().serial - vb::now().serial), 1.0 / 24);
    EXPECT_EQ(hsGet("SunsetDt").dateValue(), vb::CDate(vb::Variant("8")));
    EXPECT_TRUE(sender.logData().empty());
}

TEST_F(HostMemberTable, PropertyLetsAreAcceptedAndDropped)
{
    for (const char* property : {"DaylightSavings", "DeviceCount", "EventCount", "hwnd", "LastCommandSelected",
                                 "LastVoiceCommand", "MediaFilename", "MediaVolume", "MuteSpeech", "NewUpdateAvailable",
                                 "ScheduleFile", "SolarNoon", "Sunrise", "Sunset", "SunriseDt", "SunsetDt", "ThreadID",
                                 "TimeZoneName", "WEBStatsPageViews"}) {
        SCOPED_TRACE(property);
        EXPECT_NO_THROW(callWith(property, vb::Let, 1));
    }
    EXPECT_EQ(hsGet("DeviceCount").integerValue(), 0);
    EXPECT_EQ(hsGet("Sunrise").stringValue(), "8");
    // Properties with state of their own.
    vb::setProperty(*app, "DebugMode", vb::Variant(3));
    EXPECT_EQ(hsGet("DebugMode").longValue(), 3);
    vb::setProperty(*app, "NoLog", vb::Variant(true));
    EXPECT_TRUE(hsGet("NoLog").booleanValue());
}

TEST_F(HostMemberTable, EveryWorkingMemberAnswersByNameAndNoneRaises)
{
    // Each member with its full argument list; what they do is tested by family elsewhere.
    const std::pair<const char*, std::size_t> members[] = {
        {"InitScriptControl", 0}, {"GetAppPath", 0}, {"WaitEvents", 0}, {"NewDevice", 2}, {"NewDeviceEx", 2},
        {"GetDeviceEx", 1}, {"GetDeviceByCode", 1}, {"GetDeviceCode", 1}, {"GetDeviceRef", 1},
        {"GetDeviceRefByName", 1}, {"DeviceExists", 1}, {"SetDeviceStatus", 2}, {"SetDeviceStatusNoReport", 3},
        {"SetDeviceValue", 2}, {"SetDeviceValueNoReport", 3}, {"SetDeviceValueByName", 2}, {"SetDeviceString", 3},
        {"SetDeviceStringByName", 3}, {"SetDeviceTime", 2}, {"DeviceStatus", 1}, {"DeviceValue", 1},
        {"DeviceValueByName", 1}, {"DeviceString", 1}, {"DeviceStringByName", 1}, {"DeviceTime", 1},
        {"DeviceTimeByName", 1}, {"DeviceLastChange", 1}, {"isOn", 1}, {"isOnByName", 1}, {"isOff", 1},
        {"isOffByName", 1}, {"ExecX10", 5}, {"ExecX10ByName", 5}, {"ExecX10NoLog", 5}, {"SetX10Status", 4},
        {"RegisterStatusChangeCB", 2}, {"Speak", 2}, {"SpeakEx", 3}, {"SpeakToFile", 3}, {"SendIR", 1},
        {"ExecIO", 4}, {"WriteLog", 2}, {"CreateVar", 1}, {"GetVar", 1}, {"SaveVar", 2}, {"DeleteVar", 1},
        {"GetINISetting", 4}, {"GetINISection", 2}, {"ClearIniSection", 2}, {"StringItem", 3}, {"GetScriptPath", 0},
        {"NewEvent", 1}, {"NewEventEx", 1}, {"GetEventIndex", 1}, {"GetEventEx", 1}, {"EventExists", 1},
        {"DeleteEvent", 1}, {"EnableEvent", 1}, {"DisableEvent", 1}, {"Run", 1}, {"RunEx", 3}, {"plugin", 1},
    };
    for (const auto& [member, count] : members) {
        SCOPED_TRACE(member);
        EXPECT_NO_THROW(callWith(member, vb::Method | vb::Get, count));
    }
    EXPECT_EQ(hs("System").objectValue(), app.get());
    EXPECT_EQ(vb::typeName(hs("CreateClassString")), "clsString");
    EXPECT_EQ(vb::typeName(hs("GetDeviceList")), "Collection");
}

TEST_F(HostMemberTable, AFailureInsideAMemberIsReportedWithItsNameAndTheDefaultReturned)
{
    // DeviceStatus of an empty code fails inside the member.
    const vb::Variant status = hs("DeviceStatus", "");
    EXPECT_EQ(status.type(), vb::vbInteger);
    EXPECT_EQ(status.integerValue(), 0);
    const auto logs = sender.ofClass("Homeseer.Event");
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(logs[0].item("Type"), "raruveViziva");
    const std::string data = logs[0].item("Data");
    EXPECT_EQ(data.rfind("DeviceStatus Line ", 0), 0u) << data;
    EXPECT_NE(data.find("Invalid procedure call or argument"), std::string::npos) << data;
    EXPECT_FALSE(vb::currentFailure().active());

    // Member names are looked up without regard to case; the report uses the published name.
    EXPECT_EQ(hs("devicestring", "").stringValue(), "");
    EXPECT_EQ(reportsOf("DeviceString"), 1);
}

TEST_F(HostMemberTable, ArgumentErrorsAndUnknownMembersAreTheCallersErrors)
{
    EXPECT_THROW(hs("DeviceStatus"), vb::Error);                  // too few
    EXPECT_THROW(hs("DeviceStatus", "A1", "A2"), vb::Error);      // too many
    EXPECT_THROW(hs("SetDeviceStatus", "A1", 70000), vb::Error);  // does not fit an Integer
    EXPECT_THROW(hs("NoSuchMember"), vb::Error);
    EXPECT_TRUE(sender.logData().empty());
}

TEST_F(HostMemberTable, AMemberCalledInsideAnotherReportsUnderItsOwnName)
{
    // A listener that calls a failing member while being notified of another one.
    vb::Ref<Listener> listener = listen(4);
    listener->during = [&] { hs("SetDeviceTime", "", 1); };
    hs("SetDeviceStatus", "A1", std::int16_t(2));
    EXPECT_EQ(reportsOf("SetDeviceTime"), 1);
    EXPECT_EQ(reportsOf("SetDeviceStatus"), 0);
    EXPECT_EQ(hs("DeviceStatus", "A1").integerValue(), 2);
}

TEST_F(HostMemberTable, MembersCalledAfterTheHostUnloadedReportInsteadOfFailing)
{
    vb::Ref<host::Application> kept = app;
    app.reset();
    form.reset();
    services::unloadSetupForm(servicesState);
    EXPECT_EQ(vb::call(*kept, "DeviceCount").integerValue(), 0);
    EXPECT_EQ(vb::call(*kept, "Version").stringValue(), "1.6.174");
    EXPECT_EQ(reportsOf("DeviceCount"), 1);
    loadHost();
}
