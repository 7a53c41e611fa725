// The node's BSC endpoints over a loaded host: reports, queries and commands.
#include "bsc/EndpointService.h"

#include "host/DeviceClass.h"
#include "host/HostFixture.h"
#include "xap/XapMessage.h"

using namespace host_testing;
using bsc::EndpointService;
using bsc::Items;

namespace {

class BscEndpoints : public HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        program.xapSource = "vyn.Audrey.PC1";
        addDevice("Kitchen", "Lamp", "A1");
        addDevice("Hall", "Dimmer", "B2")->can_dim = true;
        addDevice("", "Panel", "C3");
        hs("SetDeviceStatus", "A1", std::int16_t(2));
        hs("SetDeviceValue", "B2", 40);
        hs("SetDeviceStatus", "B2", std::int16_t(4));
        hs("SetDeviceString", "C3", "Hello");
    }
    void TearDown() override
    {
        service.reset();
        HostTest::TearDown();
    }

    host::DeviceClass* addDevice(const std::string& location, const std::string& name, const std::string& code)
    {
        auto* device = dynamic_cast<host::DeviceClass*>(&vb::requireObject(hs("NewDeviceEx", name, code)));
        device->location = vb::Variant(location);
        return device;
    }

    void startService(bool commands = true)
    {
        bsc::Settings settings;
        settings.enabled = true;
        settings.commands = commands;
        service = std::make_unique<EndpointService>(
            program, hostRegistry, settings, dir / "Config/vynBSC.ini",
            [this](const EndpointService::Report& r) { reports.push_back(r); },
            [this](const std::string& line) { log.push_back(line); }, false);
        service->start();
    }
    void drain()
    {
        while (service->sendNextAnswer()) { }
    }
    std::vector<EndpointService::Report> take(std::string_view cls)
    {
        std::vector<EndpointService::Report> out;
        for (const auto& r : reports)
            if (r.cls == cls)
                out.push_back(r);
        reports.clear();
        return out;
    }
    bool receive(const std::string& text)
    {
        vb::Ref<xap::XapMessage> message = vb::make<xap::XapMessage>(program);
        message->fromXap(text);
        return service->handle(*message);
    }
    static std::string message(const std::string& cls, const std::string& target, const std::string& body)
    {
        return "xap-header\n{\nv=12\nhop=1\nuid=FF123400\nclass=" + cls + "\nsource=acme.controller.den\ntarget=" + target
            + "\n}\n" + body;
    }
    static std::string cmd(const std::string& target, const std::string& body) { return message("xAPBSC.cmd", target, body); }

    std::unique_ptr<EndpointService> service;
    std::vector<EndpointService::Report> reports;
    std::vector<std::string> log;
};

} // namespace

TEST_F(BscEndpoints, StartReportsEveryDeviceOnceWithItsState)
{
    addDevice("Spare", "Lamp", "a1"); // the same code again: one endpoint, the first record's
    addDevice("Bad", "Code", "A"); // one character: no endpoint
    startService();
    EXPECT_EQ(service->endpointCount(), 3u);
    drain();
    const auto infos = take("xAPBSC.info");
    ASSERT_EQ(infos.size(), 3u);
    EXPECT_EQ(infos[0].subAddress, "A1");
    EXPECT_EQ(infos[0].uid, "FF.0097:01");
    EXPECT_EQ(infos[0].block, "output.state");
    EXPECT_EQ(infos[0].items, (Items{{"state", "on"}, {"displaytext", "Kitchen Lamp"}}));
    EXPECT_EQ(infos[1].uid, "FF.0097:02");
    EXPECT_EQ(infos[1].items, (Items{{"state", "on"}, {"level", "40/100"}, {"displaytext", "Hall Dimmer"}}));
    EXPECT_EQ(infos[2].items, (Items{{"state", "?"}, {"text", "Hello"}, {"displaytext", " Panel"}}));
    EXPECT_NE(dir.read("Config/vynBSC.ini").find("01=A1\r\n02=B2\r\n03=C3\r\n"), std::string::npos);
}

TEST_F(BscEndpoints, ChangesThatAlterAReportSendOneEventEach)
{
    startService();
    drain();
    reports.clear();
    hs("SetDeviceStatus", "a1", std::int16_t(3));
    auto events = take("xAPBSC.event");
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].subAddress, "A1");
    EXPECT_EQ(events[0].items[0], (bsc::Item{"state", "off"}));

    hs("SetDeviceStatus", "A1", std::int16_t(3)); // no change: the host tells nobody
    hs("SetDeviceValue", "A1", 7); // A1 reports no level: nothing to tell
    EXPECT_TRUE(take("xAPBSC.event").empty());

    hs("SetDeviceValue", "B2", 75);
    events = take("xAPBSC.event");
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].items[1], (bsc::Item{"level", "75/100"}));

    // A device that gets a text becomes a text endpoint and stays one.
    hs("SetDeviceString", "A1", "warm");
    hs("SetDeviceString", "A1", "");
    events = take("xAPBSC.event");
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].items, (Items{{"state", "off"}, {"text", ""}, {"displaytext", "Kitchen Lamp"}}));

    // A device added while running reports from its first change on.
    addDevice("Porch", "Light", "D4");
    hs("SetDeviceStatus", "D4", std::int16_t(2));
    events = take("xAPBSC.event");
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].subAddress, "D4");
    EXPECT_EQ(events[0].uid, "FF.0097:04");
}

TEST_F(BscEndpoints, QueriesAnswerOncePerEndpointTheTargetNames)
{
    startService();
    drain();
    reports.clear();
    EXPECT_TRUE(receive(message("xAPBSC.query", "vyn.Audrey.PC1:>", "request\n{\n}\n")));
    EXPECT_TRUE(receive(message("xAPBSC.query", "vyn.Audrey.*:*", "request\n{\n}\n"))); // before the first is answered
    EXPECT_EQ(service->queuedAnswers(), 3u);
    drain();
    EXPECT_EQ(take("xAPBSC.info").size(), 3u);

    EXPECT_TRUE(receive(message("xAPBSC.query", "vyn.audrey.pc1:b2", "request\n{\n}\n")));
    drain();
    const auto one = take("xAPBSC.info");
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].subAddress, "B2");

    EXPECT_TRUE(receive(message("xAPBSC.query", "vyn.Audrey.PC1:Z9", "request\n{\n}\n")));
    drain();
    EXPECT_TRUE(take("xAPBSC.info").empty());
    // Reports of other endpoints are not the endpoints' business.
    EXPECT_FALSE(receive(message("xAPBSC.event", "vyn.Audrey.PC1:A1", "output.state\n{\nstate=on\n}\n")));
}

TEST_F(BscEndpoints, CommandsChangeDevicesThroughTheHostMembersAndAnswerOnce)
{
    vb::Ref<Listener> status = listen(4);
    vb::Ref<Listener> text = listen(64);
    startService();
    drain();
    reports.clear();

    EXPECT_TRUE(receive(cmd("vyn.Audrey.PC1:A1", "output.state.1\n{\nid=*\nstate=off\n}\n")));
    ASSERT_EQ(status->calls.size(), 1u);
    EXPECT_EQ(status->calls[0], (std::vector<std::string>{"4", "1", "A", "3"}));
    EXPECT_EQ(hs("DeviceStatus", "A1").integerValue(), 3);
    auto events = take("xAPBSC.event");
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].items[0], (bsc::Item{"state", "off"}));

    // Level and state in one block: value then status change, one event.
    status->calls.clear();
    receive(cmd("vyn.Audrey.PC1:A1", "output.state.1\n{\nid=01\nstate=on\nlevel=128/255\n}\n"));
    EXPECT_EQ(status->calls.size(), 2u);
    EXPECT_EQ(hs("DeviceValue", "A1").longValue(), 50);
    EXPECT_EQ(hs("DeviceStatus", "A1").integerValue(), 4);
    events = take("xAPBSC.event");
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].items, (Items{{"state", "on"}, {"level", "50/100"}, {"displaytext", "Kitchen Lamp"}}));

    // Toggle and text; the node's own address without a sub-address names every endpoint.
    receive(cmd("vyn.Audrey.PC1", "output.state.1\n{\nid=03\nstate=toggle\ntext=Bye now\n}\n"));
    EXPECT_EQ(hs("DeviceStatus", "C3").integerValue(), 2);
    EXPECT_EQ(hs("DeviceString", "C3").stringValue(), "Bye now");
    ASSERT_EQ(text->calls.size(), 1u);
    EXPECT_EQ(take("xAPBSC.event").size(), 1u);

    // A command that changes nothing is answered with an info.
    receive(cmd("vyn.Audrey.PC1:C3", "output.state.1\n{\nid=*\nstate=on\n}\n"));
    EXPECT_TRUE(reports.empty());
    drain();
    ASSERT_EQ(take("xAPBSC.info").size(), 1u);
}

TEST_F(BscEndpoints, OneCommandChangesEachEndpointOnce)
{
    startService();
    drain();
    reports.clear();
    vb::Ref<Listener> status = listen(4);
    receive(cmd("vyn.Audrey.PC1:>", "output.state.1\n{\nid=*\nstate=toggle\n}\n"
                                     "output.state.2\n{\nid=01\nstate=toggle\n}\n"
                                     "output.state.3\n{\nid=*\nstate=toggle\n}\n"));
    // A1 on -> off, B2 dimmed -> off, C3 unknown -> on: once each.
    EXPECT_EQ(status->calls.size(), 3u);
    EXPECT_EQ(hs("DeviceStatus", "A1").integerValue(), 3);
    EXPECT_EQ(hs("DeviceStatus", "B2").integerValue(), 3);
    EXPECT_EQ(hs("DeviceStatus", "C3").integerValue(), 2);
    EXPECT_EQ(take("xAPBSC.event").size(), 3u);
    drain();
    EXPECT_TRUE(take("xAPBSC.info").empty());
}

TEST_F(BscEndpoints, ChangesMadeByListenersDuringACommandAreReportedToo)
{
    startService();
    drain();
    reports.clear();
    vb::Ref<Listener> status = listen(4);
    status->during = [&] {
        if (status->calls.size() == 1)
            hs("SetDeviceString", "C3", "A1 went off");
    };
    receive(cmd("vyn.Audrey.PC1:A1", "output.state.1\n{\nid=*\nstate=off\n}\n"));
    const auto events = take("xAPBSC.event");
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].subAddress, "A1");
    EXPECT_EQ(events[1].subAddress, "C3");
}

TEST_F(BscEndpoints, CommandsOffOrMalformedChangeNothingAndSayItInOneLine)
{
    startService(false);
    drain();
    reports.clear();
    EXPECT_TRUE(receive(cmd("vyn.Audrey.PC1:A1", "output.state.1\n{\nid=*\nstate=off\n}\n")));
    EXPECT_EQ(hs("DeviceStatus", "A1").integerValue(), 2);
    EXPECT_TRUE(reports.empty());
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "BSC: xAPBSC.cmd from acme.controller.den ignored: commands are off (Commands=0 in [BSC] of vynXap.ini)");

    service.reset();
    log.clear();
    startService(true);
    drain();
    reports.clear();
    receive(cmd("vyn.Audrey.PC1:>", "output.state.1\n{\nstate=off\n}\n"
                                     "output.state.2\n{\nid=*\nstate=dim\n}\n"
                                     "output.state.3\n{\nid=*\nlevel=50\n}\n"
                                     "output.state.4\n{\nid=77\nstate=on\n}\n"
                                     "output.state.5\n{\nid=03\nstate=on\n}\n"
                                     "other.block\n{\nstate=off\n}\n"));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "BSC: xAPBSC.cmd from acme.controller.den: 3 malformed block(s) changed nothing: "
                      "output.state.1 (no id); output.state.2 (state=dim is not on, off or toggle); "
                      "output.state.3 (level=50 is neither N/M nor N%)");
    // The good block still acts (id 77 names no endpoint of this node).
    EXPECT_EQ(hs("DeviceStatus", "A1").integerValue(), 2);
    EXPECT_EQ(hs("DeviceStatus", "B2").integerValue(), 4);
    EXPECT_EQ(hs("DeviceStatus", "C3").integerValue(), 2);
}

TEST_F(BscEndpoints, CodesThatCannotBeSubAddressesAreLeftOutAndNamedOnce)
{
    addDevice("Odd", "One", "A.");
    addDevice("Odd", "Two", "*5");
    startService();
    EXPECT_EQ(service->endpointCount(), 3u);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "BSC: device codes that cannot be sub-addresses are not published: \"A.\" \"*5\"");
    service->sendNextPeriodicInfo(); // a new round reads the list again: no new line
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(BscEndpoints, PeriodicInfoWalksTheEndpointsSpreadOverTheInterval)
{
    startService();
    EXPECT_EQ(service->periodicGapMs(), 40000); // 120 s over three endpoints
    drain();
    reports.clear();
    for (int i = 0; i < 4; ++i)
        service->sendNextPeriodicInfo();
    const auto infos = take("xAPBSC.info");
    ASSERT_EQ(infos.size(), 4u);
    EXPECT_EQ(infos[0].subAddress, "A1");
    EXPECT_EQ(infos[2].subAddress, "C3");
    EXPECT_EQ(infos[3].subAddress, "A1");
}

TEST_F(BscEndpoints, AFirstDeviceAddedToAnEmptyListReportsItsFirstChange)
{
    for (std::int32_t ref = 1; ref <= 3; ++ref)
        hs("DeleteDevice", ref);
    startService();
    EXPECT_EQ(service->endpointCount(), 0u);
    addDevice("Porch", "Light", "D4");
    hs("SetDeviceStatus", "D4", std::int16_t(3));
    const auto events = take("xAPBSC.event");
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].uid, "FF.0097:01");
    EXPECT_EQ(events[0].items[0], (bsc::Item{"state", "off"}));
}
