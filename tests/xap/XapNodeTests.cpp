#include "NetworkEnvironment.h"

#include "xap/ProgramState.h"
#include "xap/LogFileWriter.h"
#include "xap/XapNode.h"

#include "platform/UdpSocket.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <list>
#include <thread>

using testing_support::processEventsUntil;
using testing_support::TempFolder;
using xap::XapNode;

namespace {

// Stands in for the hub: whatever the node sends to port 3639 arrives here.
class HubPort {
public:
    HubPort() { bound = !socket.bind(3639, ""); }
    std::string next(int milliseconds = 2000)
    {
        std::string text;
        if (socket.waitReadable(milliseconds))
            socket.receive(text);
        return text;
    }
    bool bound = false;
    platform::UdpSocket socket;
};

// A listener with onMessage, counting its calls and draining the node.
class Listener final : public vb::Dispatch<Listener> {
public:
    static const vb::MemberTable<Listener>& members()
    {
        static const vb::MemberTable<Listener> table("Listener", {vb::method<&Listener::onMessage>("onMessage")});
        return table;
    }
    void onMessage()
    {
        ++calls;
        for (std::string text = node->GetMessage(); !text.empty(); text = node->GetMessage())
            received.push_back(text);
    }
    XapNode* node = nullptr;
    int calls = 0;
    std::vector<std::string> received;
};

class NodeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_PRIVATE_NETWORK();
        std::filesystem::create_directories(dir / "Data");
        program.baseFolder = dir.path();
        node = vb::make<XapNode>(program);
        node->letXapSource("vyn.Audrey.PC1");
        node->letXapUID("FF.0097:00");
        node->letBroadcastAddress("127.255.255.255");
    }
    void TearDown() override
    {
        if (node)
            node->unload();
    }

    TempFolder dir;
    // The node's own program: its log goes into `dir`, which outlives it.
    xap::ProgramState program;
    vb::Ref<XapNode> node;
};

std::string heartbeat(const std::string& interval, int port)
{
    return "xap-hbeat\n{\nv=13\nhop=1\nuid=FF.0097:00\nclass=xap-hbeat.alive\nsource=vyn.Audrey.PC1\ninterval=" + interval +
        "\nport=" + std::to_string(port) + "\n}\n";
}

} // namespace

TEST_F(NodeTest, BindsTheFirstFreePortFrom32768)
{
    platform::UdpSocket other;
    ASSERT_FALSE(other.bind(32768, "127.0.0.1"));
    EXPECT_EQ(node->Init(), 32769);
    EXPECT_EQ(node->nodePort(), 32769);
    // Without a network address the loopback address is the interface, on one socket.
    EXPECT_EQ(node->interfaceIP(), "127.0.0.1");
    EXPECT_TRUE(node->lanSocketBound());
    EXPECT_FALSE(node->loopbackSocketBound());
    EXPECT_EQ(node->resolvedBroadcast(), "127.255.255.255");
    EXPECT_EQ(node->heartbeatSuffix(), "0\nport=32769\n}\n");
}

TEST_F(NodeTest, PortHeldOnEveryAddressIsSkippedToo)
{
    platform::UdpSocket other;
    ASSERT_FALSE(other.bind(32768, ""));
    EXPECT_EQ(node->Init(), 32769);
}

TEST_F(NodeTest, NoFreePortGivesMinusOne)
{
    std::list<platform::UdpSocket> held(200);
    int port = 32768;
    for (platform::UdpSocket& s : held)
        ASSERT_FALSE(s.bind(static_cast<std::uint16_t>(port++), "127.0.0.1"));
    EXPECT_EQ(node->Init(), -1);
}

TEST_F(NodeTest, InterfaceBindFailureGivesTheNegatedErrorNumber)
{
    // An address the machine does not have: the loopback socket binds, the interface one cannot.
    node->setAddressLister([] { return std::optional<std::vector<std::string>>({"10.99.0.5"}); });
    EXPECT_EQ(node->Init(), -10049);
    EXPECT_TRUE(node->loopbackSocketBound());
    EXPECT_FALSE(node->lanSocketBound());
}

TEST_F(NodeTest, BroadcastDefaultMeansTheWholeNetwork)
{
    // Init only binds and resolves the address; nothing is sent, and the test runs in a
    // network of its own.
    node->letBroadcastAddress("DEFAULT");
    node->setAddressLister([] { return std::optional<std::vector<std::string>>({"10.99.0.5"}); });
    node->Init();
    EXPECT_EQ(node->resolvedBroadcast(), "255.255.255.255");
    node->letBroadcastAddress("192.168.1.255");
    node->Init();
    EXPECT_EQ(node->resolvedBroadcast(), "192.168.1.255");
}

TEST_F(NodeTest, GetIPChoosesByPattern)
{
    node->setAddressLister([] { return std::optional<std::vector<std::string>>({"10.0.0.5", "192.168.1.7"}); });
    node->letInterfaceAddress("Default");
    EXPECT_EQ(node->GetIP(), "10.0.0.5");
    node->letInterfaceAddress("192.168.1.0");
    EXPECT_EQ(node->GetIP(), "192.168.1.7");
    node->setAddressLister([] { return std::optional<std::vector<std::string>>(std::vector<std::string>{}); });
    EXPECT_EQ(node->GetIP(), "127.0.0.1");
    node->setAddressLister([] { return std::optional<std::vector<std::string>>(); });
    EXPECT_EQ(node->GetIP(), "");
}

TEST(AddressMatches, BitPatterns)
{
    EXPECT_TRUE(XapNode::AddressMatches("192.168.1.5", "192.168.1.0"));
    EXPECT_TRUE(XapNode::AddressMatches("192.168.3.5", "192.168.1.0")); // 1 & 3 == 1
    EXPECT_FALSE(XapNode::AddressMatches("192.168.2.5", "192.168.1.0"));
    EXPECT_FALSE(XapNode::AddressMatches("10.0.0.5", "Default"));
    EXPECT_FALSE(XapNode::AddressMatches("10.0.0", "0.0.0.0"));
    EXPECT_TRUE(XapNode::AddressMatches("10.0.0.5", "0.0.0.x")); // no digits reads 0
    EXPECT_TRUE(XapNode::AddressMatches("10.0.0.5", "10.0.0.5abc"));
    EXPECT_EQ(XapNode::hibyte(0x0201), 2);
    EXPECT_EQ(XapNode::lobyte(0x0201), 1);
    EXPECT_EQ(XapNode::hibyte(-1), 0); // -1 \ 256 is 0 in integer division
    EXPECT_EQ(XapNode::lobyte(-1), 255);
}

TEST_F(NodeTest, HeartbeatTextAndClamping)
{
    HubPort hub;
    ASSERT_TRUE(hub.bound);
    ASSERT_EQ(node->Init(), 32768);

    node->SendHeartbeat(60);
    EXPECT_EQ(hub.next(), heartbeat("600", 32768));
    EXPECT_EQ(node->heartbeatTimer().interval(), 60000);
    EXPECT_TRUE(node->heartbeatTimer().enabled());

    node->SendHeartbeat(3);
    EXPECT_EQ(hub.next(), heartbeat("50", 32768));
    node->SendHeartbeat(600);
    EXPECT_EQ(hub.next(), heartbeat("600", 32768));
    node->SendHeartbeat(-4);
    EXPECT_EQ(hub.next(), heartbeat("00", 32768));
    EXPECT_FALSE(node->heartbeatTimer().running());

    // A "|" in the source becomes a line break in the heartbeat only.
    node->letXapSource("a|b");
    node->SendHeartbeat(10);
    EXPECT_NE(hub.next().find("source=a\nb\ninterval=100\n"), std::string::npos);
    EXPECT_EQ(node->SendXap("", "c", "s", "", "", ""), "");
    EXPECT_NE(hub.next().find("source=a|b\n"), std::string::npos);
}

TEST_F(NodeTest, EveryTenthTimerTickSendsAHeartbeat)
{
    HubPort hub;
    ASSERT_EQ(node->Init(), 32768);
    node->SendHeartbeat(60);
    ASSERT_FALSE(hub.next().empty());
    for (int i = 0; i < 9; ++i)
        node->onHeartbeatTick();
    EXPECT_EQ(hub.next(100), "");
    node->onHeartbeatTick();
    EXPECT_EQ(node->heartbeatTicks(), 0);
    EXPECT_EQ(hub.next(), heartbeat("600", 32768));
}

TEST_F(NodeTest, SendXapComposesOneMessage)
{
    HubPort hub;
    ASSERT_EQ(node->Init(), 32768);
    std::string data = std::string("Text\1a=b") + '\0' + "Other\1x\1y" + '\0' + "no separator" + '\0';
    EXPECT_EQ(node->SendXap("acme.panel.hall", "Audrey.Cmd", "Audrey.Cmd", data, "02", ""), "");
    EXPECT_EQ(hub.next(), "xap-header\n{\nv=13\nhop=1\nuid=FF.0097:00\nclass=Audrey.Cmd\nsource=vyn.Audrey.PC1:02\n"
                          "target=acme.panel.hall\n}\nAudrey.Cmd\n{\nText=a=b\nOther=x\1y\n}\n");

    // No target line for an empty target; the caller's UID wins; an empty section name stays empty.
    EXPECT_EQ(vb::CStr(vb::call(*node, "SendXap", "", "c.d", "", "k\1v", vb::Variant::missing(), "FF.0097:05")), "");
    EXPECT_EQ(hub.next(), "xap-header\n{\nv=13\nhop=1\nuid=FF.0097:05\nclass=c.d\nsource=vyn.Audrey.PC1\n}\n\n{\nk=v\n}\n");
}

TEST_F(NodeTest, SendXapWritesCharactersBeyondSixteenBitsAsWellFormedUtf8)
{
    HubPort hub;
    ASSERT_EQ(node->Init(), 32768);
    // As a script holds them: a pair of surrogate units, then a lone one.
    EXPECT_EQ(node->SendXap("", "c.d", "s", "Text\1\xED\xA0\xB4\xED\xB4\x9E \xED\xB4\x9E", "", ""), "");
    EXPECT_EQ(hub.next(), "xap-header\n{\nv=13\nhop=1\nuid=FF.0097:00\nclass=c.d\nsource=vyn.Audrey.PC1\n}\n"
                          "s\n{\nText=\xF0\x9D\x84\x9E \xEF\xBF\xBD\n}\n");
}

TEST_F(NodeTest, SendXapReportsAFailedSendAsText)
{
    ASSERT_EQ(node->Init(), 32768);
    // Too large for one datagram.
    const std::string result = node->SendXap("", "c", "s", "k\1" + std::string(70000, 'x'), "", "");
    EXPECT_FALSE(result.empty());
    EXPECT_NE(result.find(' '), std::string::npos);
}

TEST_F(NodeTest, HeartbeatFilterAndQueueOrder)
{
    node->processReceivedMessage("xap-hbeat\n{\n}\n");
    node->processReceivedMessage("something else");
    EXPECT_EQ(node->queuedCount(), 0u);
    node->processReceivedMessage("XAP-HEADER\n{\n}\n");
    node->processReceivedMessage("xap-header\n{\nsecond\n");
    EXPECT_EQ(node->queuedCount(), 2u);
    EXPECT_TRUE(node->receiveTimer().running());
    EXPECT_EQ(node->GetMessage(), "XAP-HEADER\n{\n}\n");
    EXPECT_EQ(node->GetMessage(), "xap-header\n{\nsecond\n");
    EXPECT_EQ(node->GetMessage(), "");
    EXPECT_EQ(node->queuedCount(), 0u);

    vb::setProperty(*node, "FilterHeartbeats", false);
    node->processReceivedMessage("xap-hbeat\n{\n}\n");
    EXPECT_EQ(node->GetMessage(), "xap-hbeat\n{\n}\n");
}

TEST_F(NodeTest, ABurstOfDatagramsLeadsToOneCallThatDrainsThemAll)
{
    vb::Ref<Listener> listener = vb::make<Listener>();
    listener->node = node.get();
    vb::call(*node, "RegisterNewMessageCallback", vb::Variant(vb::Ref<vb::Object>(listener)));
    ASSERT_EQ(node->Init(), 32768);

    platform::UdpSocket peer;
    const std::string big = "xap-header\n" + std::string(platform::UdpSocket::kMaxDatagram - 11, 'z');
    for (const std::string& text : {std::string("xap-header\n{\none\n"), std::string("xap-hbeat\n"), big,
                                    std::string("xap-header\n{\nthree\n")})
        ASSERT_FALSE(peer.sendTo("127.0.0.1", 32768, text));
    ASSERT_TRUE(processEventsUntil([&] { return listener->calls > 0; }));
    testing_support::processEventsFor(120);
    EXPECT_EQ(listener->calls, 1);
    ASSERT_EQ(listener->received.size(), 3u);
    EXPECT_EQ(listener->received[0], "xap-header\n{\none\n");
    EXPECT_EQ(listener->received[1], big); // read whole
    EXPECT_EQ(listener->received[2], "xap-header\n{\nthree\n");
    EXPECT_FALSE(node->receiveTimer().running());
}

TEST_F(NodeTest, ListenerWithoutOnMessageIsReportedNotFatal)
{
    vb::Ref<XapNode> notAListener = vb::make<XapNode>(program);
    node->RegisterNewMessageCallback(vb::Ref<vb::Object>(notAListener));
    node->processReceivedMessage("xap-header\n");
    node->onReceiveTimer();
    EXPECT_NE(dir.read("Data/raruveViziva.txt").find("raruveViziva ReceiveTimer_Timer"), std::string::npos);
    EXPECT_EQ(node->queuedCount(), 1u); // the text waits for GetMessage
    notAListener->unload();
}

TEST_F(NodeTest, IdentitySettersWriteTheSharedValues)
{
    vb::setProperty(*node, "XapSource", "vyn.Audrey.KITCHEN");
    vb::setProperty(*node, "XapTarget", "ignored.target");
    vb::setProperty(*node, "XapClass", "some.class");
    EXPECT_EQ(program.xapSource, "vyn.Audrey.KITCHEN");
    EXPECT_EQ(program.xapTarget, "ignored.target");
    EXPECT_EQ(vb::CStr(vb::getProperty(*node, "XapClass")), "some.class");
    EXPECT_EQ(program.headerPrefix, "xap-header\n{\nv=13\nhop=1\nuid=");
    EXPECT_EQ(node->heartbeatPrefix(), "xap-hbeat\n{\nv=13\nhop=1\nuid=FF.0097:00\nclass=xap-hbeat.alive\nsource=vyn.Audrey.KITCHEN\ninterval=");
}

// ---- Words for settings and situations that would otherwise fail without a trace ----

class NodeDiagnosticsTest : public NodeTest {
protected:
    std::string log() const { return dir.exists("Data/raruveViziva.txt") ? dir.read("Data/raruveViziva.txt") : ""; }
    bool logged(const std::string& words) const { return log().find(words) != std::string::npos; }
    void useAddress(std::string address)
    {
        node->setAddressLister([address] { return std::optional<std::vector<std::string>>({address}); });
    }
};

TEST_F(NodeDiagnosticsTest, NoNetworkAddressIsSaidOnce)
{
    node->setAddressLister([] { return std::optional<std::vector<std::string>>(std::vector<std::string>{}); });
    ASSERT_EQ(node->Init(), 32768);
    EXPECT_TRUE(logged("raruveViziva no network address: serving this computer only"));
    EXPECT_FALSE(logged("BroadcastAddress")); // 127.255.255.255 is loopback's own
}

TEST_F(NodeDiagnosticsTest, BroadcastAddressesThatReachNothingAreNamed)
{
    // 127.0.0.2 is on the loopback network, as an interface address of the machine would be.
    useAddress("127.0.0.2");
    ASSERT_GT(node->Init(), 0);
    EXPECT_FALSE(logged("BroadcastAddress")) << log();
    EXPECT_FALSE(logged("no network address"));
    node->unload();

    for (const auto& [setting, words] : std::vector<std::pair<std::string, std::string>>{
             {"10.99.0.255", "BroadcastAddress 10.99.0.255 in vynXap.ini is on no network of this computer"},
             {"house.lan", "BroadcastAddress \"house.lan\" in vynXap.ini is not an IPv4 address"},
             {"10.1.2", "BroadcastAddress \"10.1.2\" in vynXap.ini is not an IPv4 address"}}) {
        node = vb::make<XapNode>(program);
        useAddress("127.0.0.2");
        node->letBroadcastAddress(setting);
        ASSERT_GT(node->Init(), 0);
        EXPECT_TRUE(logged(words)) << setting << "\n" << log();
        node->unload();
    }
    // The standard broadcast address never draws a word.
    const std::string before = log();
    node = vb::make<XapNode>(program);
    useAddress("127.0.0.2");
    node->letBroadcastAddress("Default");
    ASSERT_GT(node->Init(), 0);
    EXPECT_EQ(log(), before);
}

TEST_F(NodeDiagnosticsTest, FailedSendsAreLoggedFirstAndThenCounted)
{
    program.log.reset();
    ASSERT_EQ(node->Init(), 32768);
    // Too large for one datagram, five times over: one line and a count.
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(node->SendXap("", "c", "s", "k\1" + std::string(70000, 'x'), "", "").empty());
    const std::string text = log();
    const std::size_t first = text.find("raruveViziva cannot send to 127.255.255.255:3639: ");
    ASSERT_NE(first, std::string::npos) << text;
    EXPECT_EQ(text.find("cannot send to", first + 30), std::string::npos) << text;
    program.log.flush();
    EXPECT_TRUE(logged("last message repeated 4 times")) << log();
}

TEST_F(NodeDiagnosticsTest, ANodeNoHubRelaysToSaysSo)
{
    node->setHubCheckDelay(100);
    ASSERT_EQ(node->Init(), 32768);
    EXPECT_TRUE(processEventsUntil([&] { return logged("no xAP hub relays to this node (port 32768): start xaphub on this computer"); }, 2000));
}

TEST_F(NodeDiagnosticsTest, ANodeThatHearsAnythingIsQuietAboutTheHub)
{
    node->setHubCheckDelay(300);
    ASSERT_EQ(node->Init(), 32768);
    platform::UdpSocket hub;
    ASSERT_FALSE(hub.sendTo("127.0.0.1", 32768, "xap-hbeat\n{\nclass=xap-hbeat.alive\n}\n"));
    ASSERT_TRUE(processEventsUntil([&] { return node->anythingReceived(); }));
    testing_support::processEventsFor(500);
    EXPECT_FALSE(logged("no xAP hub relays")) << log();
}

TEST_F(NodeDiagnosticsTest, AFloodTheListenerCannotKeepUpWithIsDroppedNotHoarded)
{
    // 60 KB datagrams with no listener draining them: the queue stops at its cap.
    const std::string big = "xap-header\n" + std::string(60000, 'x');
    const std::size_t fits = XapNode::kMaxQueuedBytes / big.size();
    for (std::size_t i = 0; i < fits + 50; ++i)
        node->processReceivedMessage(big);
    EXPECT_EQ(node->queuedCount(), fits);
    EXPECT_LE(node->queuedBytes(), XapNode::kMaxQueuedBytes);
    const std::string text = log();
    const std::size_t first = text.find("receive queue full: xAP messages dropped until the plug-in catches up");
    ASSERT_NE(first, std::string::npos) << text;
    EXPECT_EQ(text.find("receive queue full", first + 20), std::string::npos); // once

    // Once drained, the queue takes messages again, in order, and a new flood is named again.
    while (!node->GetMessage().empty()) { }
    EXPECT_EQ(node->queuedBytes(), 0u);
    node->processReceivedMessage("xap-header\n{\nafter\n");
    EXPECT_EQ(node->GetMessage(), "xap-header\n{\nafter\n");
}

// ---- Being heard: re-announcing to a hub that may not know the node ----

namespace {

std::string hubHeartbeat(const std::string& uid = "FF.00D1:00", const std::string& interval = "60")
{
    return "xap-hbeat\n{\nv=12\nhop=1\nuid=" + uid + "\nclass=xap-hbeat.alive\nsource=tallis.xaphub.pc1\ninterval=" + interval +
        "\n}\n";
}

// The heartbeats the node sent to port 3639 within `milliseconds`, the event loop running.
std::vector<std::string> heartbeatsWithin(HubPort& hub, int milliseconds)
{
    std::vector<std::string> beats;
    testing_support::processEventsFor(milliseconds);
    while (hub.socket.waitReadable(0)) {
        std::string text;
        hub.socket.receive(text);
        if (text.rfind("xap-hbeat", 0) == 0)
            beats.push_back(text);
    }
    return beats;
}

} // namespace

TEST_F(NodeTest, ANewOrReturningHubHearsTheNodeAtOnceAndOnlyThen)
{
    HubPort hub;
    ASSERT_TRUE(hub.bound);
    ASSERT_EQ(node->Init(), 32768);
    node->SendHeartbeat(60);
    ASSERT_EQ(heartbeatsWithin(hub, 100).size(), 1u);
    platform::UdpSocket sender;
    // A hub heard for the first time: one heartbeat at once.
    ASSERT_FALSE(sender.sendTo("127.0.0.1", 32768, hubHeartbeat()));
    auto beats = heartbeatsWithin(hub, 300);
    ASSERT_EQ(beats.size(), 1u);
    EXPECT_NE(beats[0].find("class=xap-hbeat.alive\nsource=vyn.Audrey.PC1\ninterval=600\nport=32768\n"), std::string::npos) << beats[0];
    // The same hub again within its interval: nothing; a hub with a new uid (a restart
    // without its state): once more, but not faster than once a second.
    ASSERT_FALSE(sender.sendTo("127.0.0.1", 32768, hubHeartbeat()));
    EXPECT_TRUE(heartbeatsWithin(hub, 300).empty());
    std::this_thread::sleep_for(std::chrono::milliseconds(XapNode::kReannounceGapMs));
    ASSERT_FALSE(sender.sendTo("127.0.0.1", 32768, hubHeartbeat("FF.00D1:01")));
    EXPECT_EQ(heartbeatsWithin(hub, 300).size(), 1u);
    // Other nodes' heartbeats are not hubs'.
    std::this_thread::sleep_for(std::chrono::milliseconds(XapNode::kReannounceGapMs));
    ASSERT_FALSE(sender.sendTo("127.0.0.1", 32768, heartbeat("60", 40000)));
    EXPECT_TRUE(heartbeatsWithin(hub, 300).empty());
    EXPECT_EQ(node->extraHeartbeats(), 2u);
}

TEST_F(NodeTest, ADeafNodeAnnouncesItselfOftenUntilItHearsAHub)
{
    HubPort hub;
    ASSERT_TRUE(hub.bound);
    node->setHubCheckDelay(300);
    node->setDeafHeartbeatDelay(400);
    ASSERT_EQ(node->Init(), 32768);
    node->SendHeartbeat(60);
    // Nothing arrives: after the first check a heartbeat every 400 ms (scaled from 10 s).
    const auto deaf = heartbeatsWithin(hub, 1600);
    EXPECT_GE(deaf.size(), 3u);
    EXPECT_LE(deaf.size(), 6u);
    // A hub heartbeat and traffic: back to the interval (only the one answer to the new hub).
    platform::UdpSocket sender;
    ASSERT_FALSE(sender.sendTo("127.0.0.1", 32768, hubHeartbeat("FF.00D1:00", "60")));
    heartbeatsWithin(hub, 100);
    for (int i = 0; i < 10; ++i) {
        ASSERT_FALSE(sender.sendTo("127.0.0.1", 32768, "xap-header\n{\nclass=other\n}\n"));
        EXPECT_TRUE(heartbeatsWithin(hub, 100).empty());
    }
}

TEST_F(NodeTest, ANodeWhoseHubFellSilentAnnouncesItselfAgain)
{
    HubPort hub;
    ASSERT_TRUE(hub.bound);
    node->setHubCheckDelay(200);
    node->setDeafHeartbeatDelay(200);
    ASSERT_EQ(node->Init(), 32768);
    node->SendHeartbeat(60);
    platform::UdpSocket sender;
    // A hub that announces a 1 s interval and then says nothing for more than 2 s,
    // while other traffic still arrives.
    ASSERT_FALSE(sender.sendTo("127.0.0.1", 32768, hubHeartbeat("FF.00D1:00", "1")));
    heartbeatsWithin(hub, 300);
    for (int i = 0; i < 15; ++i) {
        ASSERT_FALSE(sender.sendTo("127.0.0.1", 32768, "xap-header\n{\nclass=other\n}\n"));
        testing_support::processEventsFor(100);
    }
    const auto early = heartbeatsWithin(hub, 0);
    EXPECT_TRUE(early.empty()) << "within twice the hub's interval";
    // Re-announcements are at most one a second: the first comes once the hub has
    // been silent for 2 s, the second a second later, so listen for 2 s.
    for (int i = 0; i < 20; ++i) {
        ASSERT_FALSE(sender.sendTo("127.0.0.1", 32768, "xap-header\n{\nclass=other\n}\n"));
        testing_support::processEventsFor(100);
    }
    EXPECT_GE(heartbeatsWithin(hub, 0).size(), 2u);
}

TEST_F(NodeTest, AnEndingNodeSaysItStopped)
{
    HubPort hub;
    ASSERT_TRUE(hub.bound);
    ASSERT_EQ(node->Init(), 32768);
    // A node that never announced itself has nothing to take back.
    node->unload();
    EXPECT_TRUE(heartbeatsWithin(hub, 100).empty());
    node = vb::make<XapNode>(program);
    node->letXapSource("vyn.Audrey.PC1");
    node->letXapUID("FF.0097:00");
    node->letBroadcastAddress("127.255.255.255");
    ASSERT_EQ(node->Init(), 32768);
    node->SendHeartbeat(60);
    heartbeatsWithin(hub, 100);
    node->unload();
    const auto beats = heartbeatsWithin(hub, 100);
    ASSERT_EQ(beats.size(), 1u);
    EXPECT_NE(beats[0].find("\nclass=xap-hbeat.stopped\nsource=vyn.Audrey.PC1\n"), std::string::npos) << beats[0];
    EXPECT_NE(beats[0].find("\nport=32768\n"), std::string::npos);
    node->unload(); // once only
    EXPECT_TRUE(heartbeatsWithin(hub, 100).empty());
}
