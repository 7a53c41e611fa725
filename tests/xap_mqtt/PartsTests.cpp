// The bridge's parts without a network: ids, frames, BSC reports and commands,
// settings, the tunnel's loop guard, discovery messages and the reconnect waits.
#include "Backoff.h"
#include "Bsc.h"
#include "Config.h"
#include "Discovery.h"
#include "Log.h"
#include "TopicId.h"
#include "Tunnel.h"
#include "XapFrame.h"

#include "DiscoveryChecker.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace xapmqtt;

namespace {

std::string report(const std::string& cls, const std::string& source, const std::string& uid, const std::string& block,
                   const std::string& items)
{
    return "xap-header\n{\nv=13\nhop=1\nuid=" + uid + "\nclass=" + cls + "\nsource=" + source + "\n}\n" + block + "\n{\n" +
        items + "}\n";
}

bsc::Report read(const std::string& text)
{
    const auto frame = readFrame(text);
    EXPECT_TRUE(frame);
    std::string why;
    const auto r = bsc::readReport(*frame, &why);
    EXPECT_TRUE(r) << why;
    return r ? *r : bsc::Report{};
}

} // namespace

TEST(TopicIdTests, HostileTextsBecomePlainIdsAndComeBack)
{
    const std::vector<std::string> texts = {
        "vyn.audrey.pc1", "a+b#c/d", "x_y-z", "with blank", std::string("nul\0byte", 8), "\xff\xfe not utf-8", "", "Ünïcode",
    };
    for (const std::string& text : texts) {
        const std::string id = topicId(text);
        for (char c : id)
            EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-') << id;
        ASSERT_EQ(fromTopicId(id), text) << id;
    }
    EXPECT_EQ(topicId("vyn.Audrey.PC1"), "vyn-Audrey-PC1");
    // Distinct texts never share an id, and ids no text produces are refused.
    EXPECT_NE(topicId("a.b"), topicId("a-b"));
    EXPECT_NE(topicId("a_b"), topicId("a-b"));
    EXPECT_FALSE(fromTopicId("a_2"));
    EXPECT_FALSE(fromTopicId("a_61")); // "a" must stay a letter
    EXPECT_FALSE(fromTopicId("a/b"));
}

TEST(XapFrameTests, ReadsHeadersBlocksAndRefusesWhatIsNoFrame)
{
    const auto frame = readFrame("xap-header\n{\nv=13\nHop = 2\nuid=FF.1:01\nclass=xAPBSC.event\nsource=a.b.c:d\n}\n"
                                 "output.state\n{\nstate=on\nstate=off\n}\n");
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->header("hop"), "2");
    EXPECT_EQ(frame->source(), "a.b.c:d");
    ASSERT_EQ(frame->blocks.size(), 2u);
    EXPECT_EQ(*frame->blocks[1].find("state"), "on"); // the first of repeated keys

    EXPECT_TRUE(readFrame("xap-hbeat\n{\nclass=xap-hbeat.alive\nsource=a.b.c\ninterval=60\nport=40000\n}\n")->isHeartbeat());

    std::string why;
    EXPECT_FALSE(readFrame("hello", &why));
    EXPECT_FALSE(readFrame("xap-header\n{\nclass=x\n", &why));
    EXPECT_EQ(why, "the last block is not closed");
    EXPECT_FALSE(readFrame("other\n{\n}\n", &why));
    EXPECT_FALSE(readFrame("xap-header\n{\nnot an item\n}\n", &why));
    std::string many = "xap-header\n{\n}\n";
    for (std::size_t i = 0; i < XapFrame::kMaxBlocks; ++i)
        many += "b\n{\n}\n";
    EXPECT_FALSE(readFrame(many, &why));
    EXPECT_EQ(why, "too many blocks");
}

TEST(XapFrameTests, HopIsRewrittenInTheHeaderOnly)
{
    const std::string text = "xap-header\n{\nv=13\nhop=1\nuid=u\n}\nbody\n{\nhop=1\n}\n";
    EXPECT_EQ(withHop(text, 2), "xap-header\n{\nv=13\nhop=2\nuid=u\n}\nbody\n{\nhop=1\n}\n");
    // A header without hop gets one.
    EXPECT_EQ(withHop("xap-header\n{\nv=13\n}\n", 3), "xap-header\n{\nhop=3\nv=13\n}\n");
}

TEST(BscTests, ReportsMapToHomeAssistantKinds)
{
    const auto sw = read(report("xAPBSC.event", "acme.plug.hall:Lamp", "FF.1234:05", "output.state", "state=ON\n"));
    EXPECT_EQ(sw.kind(), bsc::Kind::Switch);
    EXPECT_TRUE(sw.isEvent);
    EXPECT_EQ(sw.device, "acme.plug.hall");
    EXPECT_EQ(sw.subAddress, "Lamp");
    EXPECT_EQ(sw.uid, "FF.1234");
    EXPECT_EQ(sw.subUid, "05");
    EXPECT_EQ(sw.state, "on");
    EXPECT_EQ(read(report("xAPBSC.info", "a.b.c:d", "FF.1:01", "output.state", "state=on\nlevel=3/10\n")).kind(), bsc::Kind::Light);
    EXPECT_EQ(read(report("xAPBSC.info", "a.b.c:d", "FF.1:01", "output.state", "state=on\ntext=hi\n")).kind(), bsc::Kind::Text);
    EXPECT_EQ(read(report("xAPBSC.info", "a.b.c:d", "FF.1:01", "input.state", "state=off\n")).kind(), bsc::Kind::BinarySensor);
    EXPECT_EQ(read(report("xAPBSC.info", "a.b.c:d", "FF.1:01", "input.state", "level=40%\n")).kind(), bsc::Kind::Sensor);

    std::string why;
    const auto bad = readFrame(report("xAPBSC.event", "a.b.c:d", "FF.1:01", "output.state", "state=maybe\n"));
    EXPECT_FALSE(bsc::readReport(*bad, &why));
    EXPECT_NE(why, "");
    const auto badLevel = readFrame(report("xAPBSC.event", "a.b.c:d", "FF.1:01", "output.state", "level=7/0\n"));
    EXPECT_FALSE(bsc::readReport(*badLevel, &why));
    // Other classes are simply not reports.
    why.clear();
    EXPECT_FALSE(bsc::readReport(*readFrame(report("xap-x10.event", "a.b.c", "FF.1:00", "x", "a=b\n")), &why));
    EXPECT_EQ(why, "");
}

TEST(BscTests, LevelsAndBrightnessBothWays)
{
    EXPECT_EQ(bsc::brightnessOf("50%"), 128);
    EXPECT_EQ(bsc::brightnessOf("100%"), 255);
    EXPECT_EQ(bsc::brightnessOf("5/10"), 128);
    EXPECT_EQ(bsc::brightnessOf("0/255"), 0);
    EXPECT_FALSE(bsc::brightnessOf("11/10"));
    EXPECT_FALSE(bsc::brightnessOf("101%"));
    EXPECT_FALSE(bsc::brightnessOf("-1%"));
    EXPECT_FALSE(bsc::brightnessOf("x/10"));
    // The device's own scale is kept on the way back.
    EXPECT_EQ(bsc::levelFor(128, "3/10"), "5/10");
    EXPECT_EQ(bsc::levelFor(255, "40%"), "100%");
    EXPECT_EQ(bsc::levelFor(0, ""), "0%");
    EXPECT_EQ(bsc::levelFor(999, "1/4"), "4/4");
}

TEST(BscTests, CommandAndQueryTexts)
{
    const bsc::Sender me{"tallis.xap-mqtt.host", "FF.00D2:00"};
    bsc::Command command;
    command.state = "off";
    command.level = "5/10";
    const std::string text = bsc::composeCommand(me, "acme.plug.hall:Lamp", "05", command);
    const auto frame = readFrame(text);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->cls(), "xAPBSC.cmd");
    EXPECT_EQ(frame->header("target"), "acme.plug.hall:Lamp");
    ASSERT_EQ(frame->blocks.size(), 2u);
    EXPECT_EQ(frame->blocks[1].name, "output.state.1");
    EXPECT_EQ(*frame->blocks[1].find("id"), "05");
    EXPECT_EQ(*frame->blocks[1].find("state"), "off");
    EXPECT_EQ(*frame->blocks[1].find("level"), "5/10");
    EXPECT_EQ(readFrame(bsc::composeQuery(me, ">"))->blocks[1].name, "request");
}

// The schema library's rules hold for what the bridge reads and writes.
TEST(BscTests, SchemaRulesForReportsAndCommands)
{
    // An unknown level keeps its scale for the way back but has no brightness.
    const auto unknown = read(report("xAPBSC.info", "a.b.c:d", "FF.1:01", "output.state", "state=on\nlevel=?/255\n"));
    EXPECT_EQ(unknown.kind(), bsc::Kind::Light);
    EXPECT_FALSE(bsc::brightnessOf(*unknown.level));
    EXPECT_EQ(bsc::levelFor(255, *unknown.level), "255/255");
    // Percentages with decimals round half up; sensors' percentages come from the level
    // itself, not from a rounded brightness.
    EXPECT_EQ(bsc::brightnessOf("50.5%"), 130);
    EXPECT_EQ(bsc::percentOf("1/200"), 1);
    EXPECT_FALSE(bsc::brightnessOf("1/2000000")); // beyond the largest range
    // Only "output.state" and "input.state" are report blocks; a command's numbered
    // block in an info is not.
    std::string why;
    EXPECT_FALSE(bsc::readReport(*readFrame(report("xAPBSC.info", "a.b.c:d", "FF.1:01", "output.state.1", "state=on\n")), &why));
    EXPECT_NE(why, "");

    // A sub-uid that is no endpoint number addresses the endpoint by its target alone;
    // levels go out as N/M and texts stay on one line.
    const bsc::Sender me{"tallis.xap-mqtt.host", "FF.00D2:00"};
    bsc::Command command;
    command.level = "40%";
    command.text = "two\nlines";
    const auto frame = readFrame(bsc::composeCommand(me, "acme.plug.hall:Lamp", "zz", command));
    ASSERT_TRUE(frame);
    EXPECT_EQ(*frame->blocks[1].find("id"), "*");
    EXPECT_EQ(*frame->blocks[1].find("level"), "40/100");
    EXPECT_EQ(*frame->blocks[1].find("text"), "two lines");
    EXPECT_EQ(frame->blocks.size(), 2u);
}

TEST(ConfigTests, FileAndOptionsWithErrorsNamed)
{
    Config config;
    std::string error;
    EXPECT_TRUE(readConfigText("; comment\n[Broker]\nHost = broker.lan\nport=8883\nProtocol=3.1.1\n[topics]\nBase=home/xap\n"
                               "[Bridge]\nTunnel=1\nSite=north\nAllowSources=acme.*.*, vyn.>\nMinInterval=0.5\n",
                               "test.ini", config, error))
        << error;
    EXPECT_EQ(config.broker.host, "broker.lan");
    EXPECT_EQ(config.broker.port, 8883);
    EXPECT_EQ(config.broker.protocol, 311);
    EXPECT_EQ(config.base, "home/xap");
    EXPECT_TRUE(config.tunnel);
    EXPECT_EQ(config.allowSources, (std::vector<std::string>{"acme.*.*", "vyn.>"}));
    EXPECT_DOUBLE_EQ(config.minInterval, 0.5);

    EXPECT_FALSE(readConfigText("[Broker]\nPort=70000\n", "a.ini", config, error));
    EXPECT_EQ(error, "a.ini:2: Port must be a port from 1 to 65535");
    EXPECT_FALSE(readConfigText("[Broker]\nColour=red\n", "a.ini", config, error));
    EXPECT_EQ(error, "a.ini:2: unknown key Colour in [Broker]");
    EXPECT_FALSE(readConfigText("[Topics]\nBase=xap/#\n", "a.ini", config, error));
    EXPECT_FALSE(readConfigText("[Broker\n", "a.ini", config, error));

    auto parse = [&](std::vector<std::string> args) {
        args.insert(args.begin(), "xap-mqtt");
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        return parseCommandLine(static_cast<int>(argv.size()), argv.data(), error);
    };
    const auto line = parse({"--port", "1884", "--protocol=5", "--min-interval", "2"});
    ASSERT_TRUE(line) << error;
    EXPECT_EQ(line->config.broker.port, 1884);
    EXPECT_FALSE(parse({"--password", "secret"}));
    EXPECT_NE(error.find("never"), std::string::npos);
    EXPECT_FALSE(parse({"--tunnel", "1"})); // a tunnel needs its site
    EXPECT_FALSE(parse({"--bogus"}));
    EXPECT_FALSE(parse({"--port"}));
    EXPECT_FALSE(parse({"--config", "/nonexistent/xap-mqtt.ini"}));
}

TEST(TunnelTests, OwnBroadcastsAreNeverPublishedAgainAndHopsAreLimited)
{
    Config config;
    config.site = "north";
    config.hopLimit = 3;
    Tunnel tunnel(config);
    const std::string frame = "xap-header\n{\nv=13\nhop=1\nuid=FF.1:00\nclass=xAPBSC.cmd\nsource=acme.x.y\n}\nb\n{\nk=v\n}\n";

    // Our own publication comes back from the broker: ignored.
    EXPECT_FALSE(tunnel.inbound("xap/tunnel/north/xAPBSC-cmd", frame, 0, nullptr));
    // Another site's frame is broadcast with the hop raised...
    std::string why;
    const auto text = tunnel.inbound("xap/tunnel/south/xAPBSC-cmd", frame, 0, &why);
    ASSERT_TRUE(text) << why;
    EXPECT_NE(text->find("hop=2"), std::string::npos);
    // ...and when the hub hands that broadcast back, it does not go out again.
    EXPECT_FALSE(tunnel.shouldPublish(*text, *readFrame(*text), 10));
    EXPECT_TRUE(tunnel.shouldPublish(frame, *readFrame(frame), 10));
    // After a while the same text may legitimately be sent again.
    EXPECT_TRUE(tunnel.shouldPublish(*text, *readFrame(*text), 10 + Tunnel::kRememberMs + 1));

    EXPECT_FALSE(tunnel.inbound("xap/tunnel/south/x", withHop(frame, 3), 0, &why));
    EXPECT_NE(why.find("limit"), std::string::npos);
    EXPECT_FALSE(tunnel.inbound("xap/tunnel/south/x", "garbage", 0, &why));
    EXPECT_FALSE(tunnel.inbound("xap/tunnel/south/x", frame + std::string(70000, '\n'), 0, &why));
    EXPECT_EQ(why, "it is larger than one datagram");

    // A heartbeat from another site loses its port (meaningless on this machine).
    const auto beat = tunnel.inbound("xap/tunnel/south/xap-hbeat-alive",
                                     "xap-hbeat\n{\nv=13\nhop=1\nuid=FF.1:00\nclass=xap-hbeat.alive\nsource=a.b.c\ninterval=60\nport=40000\n}\n",
                                     0, &why);
    ASSERT_TRUE(beat);
    EXPECT_EQ(beat->find("port="), std::string::npos);
    EXPECT_NE(beat->find("interval=60"), std::string::npos);
}

TEST(TunnelTests, SourceAndClassFilters)
{
    Config config;
    config.site = "a";
    config.allowSources = {"acme.>"};
    config.denySources = {"acme.secret.*"};
    config.tunnelClasses = {"xAPBSC.*", "xap-hbeat.*"};
    Tunnel tunnel(config);
    EXPECT_TRUE(tunnel.sourceAllowed("acme.plug.hall:Lamp"));
    EXPECT_FALSE(tunnel.sourceAllowed("acme.secret.box"));
    EXPECT_FALSE(tunnel.sourceAllowed("other.x.y"));
    EXPECT_TRUE(tunnel.classAllowed("xapbsc.event"));
    EXPECT_FALSE(tunnel.classAllowed("xap-x10.request"));
}

TEST(DiscoveryTests, DeviceMessagePassesTheCheckerAndCarriesEveryEndpoint)
{
    const Topics topics{"xap", "homeassistant"};
    DeviceEntry device;
    device.source = "acme.Plug+#/.hall";
    device.uid = "FF.1234";
    const std::vector<std::string> reports = {
        report("xAPBSC.info", "acme.Plug+#/.hall:Lamp/1", "FF.1234:01", "output.state", "state=on\n"),
        report("xAPBSC.info", "acme.Plug+#/.hall:Dimmer", "FF.1234:02", "output.state", "state=on\nlevel=5/10\n"),
        report("xAPBSC.info", "acme.Plug+#/.hall:Sign", "FF.1234:03", "output.state", "text=hello\n"),
        report("xAPBSC.info", "acme.Plug+#/.hall:Door", "FF.1234:04", "input.state", "state=?\n"),
        report("xAPBSC.info", "acme.Plug+#/.hall:Temp", "FF.1234:05", "input.state", "level=21%\n"),
    };
    for (const std::string& text : reports) {
        const bsc::Report r = read(text);
        applyReport(device.endpoints[endpointIdOf(r.subAddress, r.subUid)], r);
    }
    const std::string id = deviceIdOf(device.source);
    const std::string payload = discoveryPayload(topics, id, device, "xap_mqtt_bridge", "1.0");
    const auto problems = testing_support::checkDeviceDiscovery(topics.discovery(id), payload, "homeassistant", "xap");
    EXPECT_TRUE(problems.empty()) << problems.front() << "\n" << payload;
    for (const char* platform : {"\"switch\"", "\"light\"", "\"text\"", "\"binary_sensor\"", "\"sensor\""})
        EXPECT_NE(payload.find(platform), std::string::npos) << platform;
    EXPECT_EQ(device.endpoints["dimmer"].brightness, "128");
    EXPECT_EQ(device.endpoints["door"].state, "None");
    EXPECT_EQ(device.endpoints["temp"].state, "21");
    EXPECT_TRUE(testing_support::checkDeviceDiscovery(
                    topics.discovery("xap_mqtt_b"), bridgeDiscoveryPayload(topics, "xap_mqtt_b", "t.x-mqtt.h", "1.0"),
                    "homeassistant", "xap")
                    .empty());
    // Forgetting one endpoint leaves only its platform; forgetting the last, nothing.
    const auto rest = withoutComponent(payload, "lamp_2f1");
    ASSERT_TRUE(rest);
    EXPECT_NE(rest->find("\"lamp_2f1\":{\"p\":\"switch\"}"), std::string::npos) << *rest;
    EXPECT_TRUE(testing_support::checkDeviceDiscovery(topics.discovery(id), *rest, "homeassistant", "xap").empty());
    EXPECT_FALSE(withoutComponent(payload, "nothing"));
    DeviceEntry single;
    single.source = "a.b.c";
    applyReport(single.endpoints["x"], read(report("xAPBSC.info", "a.b.c:x", "FF.1:01", "output.state", "state=on\n")));
    EXPECT_EQ(withoutComponent(discoveryPayload(topics, "a-b-c", single, "b", "1"), "x"), std::string());
    // The checker itself catches what it is there for.
    EXPECT_FALSE(testing_support::checkDeviceDiscovery("homeassistant/device/a.b/config", payload, "homeassistant", "xap").empty());
    EXPECT_FALSE(testing_support::checkDeviceDiscovery(topics.discovery(id), "{\"dev\":{},\"cmps\":{}}", "homeassistant", "xap").empty());
}

TEST(DiscoveryTests, LongTextsAreCutOnACharacterBoundary)
{
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "é";
    const std::string cut = cutText(text, 255);
    EXPECT_EQ(cut.size(), 510u);
    EXPECT_EQ(cutText("short", 255), "short");
    EndpointEntry e;
    bool wasCut = false;
    applyReport(e, read(report("xAPBSC.event", "a.b.c:d", "FF.1:01", "output.state", "text=" + text + "\n")), &wasCut);
    EXPECT_TRUE(wasCut);
    EXPECT_EQ(e.state, cut);
}

TEST(BackoffTests, DoublesToTheMaximumWithJitterAndStartsAgain)
{
    Backoff backoff(500, 30000, 0.2, 42);
    std::vector<int> waits;
    for (int i = 0; i < 10; ++i)
        waits.push_back(backoff.next());
    EXPECT_GE(waits[0], 400);
    EXPECT_LE(waits[0], 600);
    EXPECT_GE(waits[1], 800);
    EXPECT_LE(waits[1], 1200);
    for (int w : waits)
        EXPECT_LE(w, 30000);
    EXPECT_GE(waits[9], 24000); // at the maximum by now, less the jitter
    backoff.reset();
    EXPECT_LE(backoff.next(), 600);
    backoff.jumpToMaximum();
    EXPECT_GE(backoff.next(), 24000);
}

TEST(ConfigTests, TheShippedExampleReads)
{
    std::ifstream in(EXAMPLE_CONFIG);
    std::stringstream text;
    text << in.rdbuf();
    ASSERT_FALSE(text.str().empty());
    Config config;
    std::string error;
    EXPECT_TRUE(readConfigText(text.str(), "xap-mqtt.ini", config, error)) << error;
    EXPECT_EQ(config.base, "xap");
    EXPECT_EQ(config.discoveryPrefix, "homeassistant");
}

TEST(LogTests, JournalLinesCarryTheirPriorityAndOtherLinesTheProgramName)
{
    using P = Log::Priority;
    EXPECT_EQ(Log::format("MQTT: connected", P::Info, false), "xap-mqtt: MQTT: connected\n");
    EXPECT_EQ(Log::format("MQTT: connected", P::Info, true), "<6>MQTT: connected\n");
    EXPECT_EQ(Log::format("MQTT: refused", P::Warning, true), "<4>MQTT: refused\n");
    EXPECT_EQ(Log::format("--once: giving up", P::Error, true), "<3>--once: giving up\n");

    // A peer's text cannot start a second record or a line of its own.
    const std::string hostile = "a\n<0>forged\r\nb";
    EXPECT_EQ(Log::format(hostile, P::Warning, true), "<4>a <0>forged  b\n");
    EXPECT_EQ(Log::format(hostile, P::Warning, false), "xap-mqtt: a <0>forged  b\n");

    // Long texts are cut to 1000 bytes either way.
    const std::string line = Log::format(std::string(5000, 'x'), P::Notice, true);
    EXPECT_EQ(line, "<5>" + std::string(1000, 'x') + "...\n");
    EXPECT_EQ(Log::format(std::string(5000, 'x'), P::Notice, false).size(), std::string("xap-mqtt: ").size() + 1003 + 1);
}
