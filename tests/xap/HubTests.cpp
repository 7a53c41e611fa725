#include "NetworkEnvironment.h"

#include "ClientTable.h"
#include "Hub.h"
#include "StateFile.h"

#include "support/TempFolder.h"

#include "platform/UdpSocket.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <thread>

using namespace std::chrono_literals;
using xaphub::ClientTable;
using xaphub::readHeartbeat;

namespace {

std::string beat(const std::string& port, const std::string& interval = "60", const std::string& cls = "xap-hbeat.alive",
                 const std::string& source = "vyn.Audrey.PC1")
{
    return "xap-hbeat\n{\nv=13\nhop=1\nuid=FF.0097:00\nclass=" + cls + "\nsource=" + source + "\ninterval=" + interval +
        "\nport=" + port + "\n}\n";
}

xaphub::HubOptions quietHub(std::uint16_t port, const std::string& bind = "0.0.0.0")
{
    xaphub::HubOptions options;
    options.port = port;
    options.bindAddress = bind;
    options.verbosity = 0;
    return options;
}

using Heard = ClientTable::Heard;

// A hub relaying on a thread of its own from start() until stop() or its end.
class RunningHub {
public:
    explicit RunningHub(xaphub::HubOptions options) : hub(std::move(options)) { }
    ~RunningHub() { stop(); }
    bool start()
    {
        std::string error;
        if (!hub.open(error))
            return false;
        thread_ = std::thread([this] { hub.run(); });
        return true;
    }
    void stop()
    {
        if (!thread_.joinable())
            return;
        hub.stop();
        thread_.join();
    }
    xaphub::Hub hub;

private:
    std::thread thread_;
};

} // namespace

TEST(HubHeartbeats, OnlyHeartbeatsWithAUsablePortCount)
{
    const auto b = readHeartbeat(beat("32768", "600"));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->port, 32768);
    EXPECT_EQ(b->intervalSeconds, 600);
    EXPECT_EQ(b->source, "vyn.Audrey.PC1");
    EXPECT_TRUE(readHeartbeat("XAP-HBEAT\n{\n Port = 40000 \n}\n"));
    EXPECT_FALSE(readHeartbeat("xap-header\n{\nport=40000\n}\n"));
    EXPECT_FALSE(readHeartbeat("xap-hbeat\n{\ninterval=60\n}\n"));
    EXPECT_FALSE(readHeartbeat(beat("0")));
    EXPECT_FALSE(readHeartbeat(beat("70000")));
    EXPECT_FALSE(readHeartbeat(beat("12ab")));
    EXPECT_FALSE(readHeartbeat(""));
}

TEST(HubClients, LearnedRefreshedAndForgottenAfterTwiceTheirInterval)
{
    ClientTable table;
    const auto t0 = xaphub::Clock::time_point{} + 1000s;
    EXPECT_EQ(table.heard(*readHeartbeat(beat("40000", "10")), t0), Heard::Joined);
    EXPECT_EQ(table.heard(*readHeartbeat(beat("40000", "10")), t0 + 15s), Heard::Refreshed);
    EXPECT_EQ(table.heard(*readHeartbeat(beat("40001", "0")), t0), Heard::Joined); // no interval: 60 s
    ASSERT_EQ(table.clients().size(), 2u);

    EXPECT_TRUE(table.expire(t0 + 35s).empty()); // refreshed at 15 s, due at 35 s
    const auto gone = table.expire(t0 + 36s);
    ASSERT_EQ(gone.size(), 1u);
    EXPECT_EQ(gone[0].port, 40000);
    EXPECT_TRUE(table.expire(t0 + 120s).empty());
    EXPECT_EQ(table.expire(t0 + 121s).size(), 1u);
    EXPECT_TRUE(table.clients().empty());
}

TEST(HubHeartbeats, StopHeartbeatsInBothFormsWithoutRegardToCase)
{
    for (const char* cls : {"xap-hbeat.stop", "xap-hbeat.stopped", "XAP-HBEAT.Stopped"}) {
        const auto b = readHeartbeat(beat("40000", "60", cls));
        ASSERT_TRUE(b) << cls;
        EXPECT_TRUE(b->stopping) << cls;
    }
    EXPECT_FALSE(readHeartbeat(beat("40000"))->stopping);
    EXPECT_FALSE(readHeartbeat(beat("40000", "60", "xap-hbeat.stoppedx"))->stopping);
    // A stop heartbeat may name its client by source alone; an alive one needs a port.
    const auto bySource = readHeartbeat("xap-hbeat\n{\nclass=xap-hbeat.stopped\nsource=acme.node.pc\n}\n");
    ASSERT_TRUE(bySource);
    EXPECT_EQ(bySource->port, 0);
    EXPECT_FALSE(readHeartbeat("xap-hbeat\n{\nclass=xap-hbeat.alive\nsource=acme.node.pc\n}\n"));
    EXPECT_FALSE(readHeartbeat("xap-hbeat\n{\nclass=xap-hbeat.stopped\n}\n"));
}

TEST(HubClients, StopHeartbeatForgetsOnlyFromTheClientsPortOrNamingPortAndSource)
{
    ClientTable table;
    const auto t0 = xaphub::Clock::time_point{} + 1000s;
    table.heard(*readHeartbeat(beat("40000")), t0);
    table.heard(*readHeartbeat(beat("40001", "60", "xap-hbeat.alive", "acme.other.pc")), t0);
    table.heard(*readHeartbeat(beat("40002", "60", "xap-hbeat.alive", "acme.other.pc")), t0);
    // A stop naming a source alone, from some other local port, is a spoof: nothing goes.
    EXPECT_TRUE(table.forget(*readHeartbeat("xap-hbeat\n{\nclass=xap-hbeat.stopped\nsource=ACME.other.PC\n}\n"), 50000).empty());
    // Nor does a stop naming a port with another source.
    EXPECT_TRUE(table.forget(*readHeartbeat(beat("40000", "60", "xap-hbeat.stop", "acme.spoof.pc")), 50000).empty());
    // From the client's own port it counts, with or without a port item.
    auto gone = table.forget(*readHeartbeat("xap-hbeat\n{\nclass=xap-hbeat.stopped\nsource=acme.other.pc\n}\n"), 40002);
    ASSERT_EQ(gone.size(), 1u);
    EXPECT_EQ(gone[0].port, 40002);
    // From elsewhere, naming both the port and the source, it counts for that port only.
    gone = table.forget(*readHeartbeat(beat("40001", "60", "xap-hbeat.stop", "ACME.other.PC")), 50000);
    ASSERT_EQ(gone.size(), 1u);
    EXPECT_EQ(gone[0].port, 40001);
    gone = table.forget(*readHeartbeat(beat("40000", "60", "xap-hbeat.stop")), 40000);
    ASSERT_EQ(gone.size(), 1u);
    EXPECT_TRUE(table.clients().empty());
}

TEST(HubClients, SystemPortsAndOtherHubsPortsAreNeverClients)
{
    ClientTable table(xaphub::TableLimits{8, 3600, {3639}});
    const auto t0 = xaphub::Clock::time_point{} + 1000s;
    EXPECT_EQ(table.heard(*readHeartbeat(beat("7")), t0), Heard::Reserved);    // echo
    EXPECT_EQ(table.heard(*readHeartbeat(beat("1023")), t0), Heard::Reserved);
    EXPECT_EQ(table.heard(*readHeartbeat(beat("3640")), t0), Heard::Joined);
    // Another hub turns up on 3640: its client entry goes and the port stays refused.
    std::vector<xaphub::Client> removed;
    EXPECT_TRUE(table.reserve(3640, removed));
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_FALSE(table.reserve(3640, removed));
    EXPECT_EQ(table.heard(*readHeartbeat(beat("3640")), t0), Heard::Reserved);
    EXPECT_TRUE(table.clients().empty());
    // A hub is told by its source's device part.
    EXPECT_TRUE(readHeartbeat(beat("3640", "60", "xap-hbeat.alive", "tallis.xaphub.pc1"))->fromHub());
    EXPECT_TRUE(readHeartbeat(beat("3640", "60", "xap-hbeat.alive", "ACME.Hub.pc1"))->fromHub());
    EXPECT_FALSE(readHeartbeat(beat("3640", "60", "xap-hbeat.alive", "vyn.Audrey.hubby"))->fromHub());
}

TEST(HubClients, CapsOnClientsIntervalsAndTheHubsOwnPort)
{
    ClientTable table(xaphub::TableLimits{3, 3600, {3639}});
    const auto t0 = xaphub::Clock::time_point{} + 1000s;
    EXPECT_EQ(table.heard(*readHeartbeat(beat("3639")), t0), Heard::Reserved);
    EXPECT_EQ(table.heard(*readHeartbeat(beat("40000", "999999999")), t0), Heard::Joined);
    EXPECT_EQ(table.clients()[0].intervalSeconds, 3600);
    EXPECT_EQ(table.heard(*readHeartbeat(beat("40001")), t0), Heard::Joined);
    EXPECT_EQ(table.heard(*readHeartbeat(beat("40002")), t0), Heard::Joined);
    EXPECT_EQ(table.heard(*readHeartbeat(beat("40003")), t0), Heard::Full);
    EXPECT_EQ(table.heard(*readHeartbeat(beat("40001")), t0 + 1s), Heard::Refreshed); // members still refresh
    EXPECT_EQ(table.clients().size(), 3u);
    // The huge interval is believed for an hour only: gone two hours after.
    EXPECT_EQ(table.expire(t0 + 7201s).size(), 3u);
}

TEST(HubState, ClientsSurviveARestartUntilTheirTimeHasPassed)
{
    testing_support::TempFolder dir;
    const std::string path = dir / "hub.clients";
    const auto t0 = xaphub::Clock::time_point{} + 1000s;
    const auto wall0 = xaphub::WallClock::time_point{} + 1'700'000'000s;
    ClientTable before;
    before.heard(*readHeartbeat(beat("32768", "600", "xap-hbeat.alive", "vyn.Audrey.PC1")), t0);
    before.heard(*readHeartbeat(beat("40000", "10", "xap-hbeat.alive", "acme.short.pc")), t0);
    ASSERT_TRUE(xaphub::saveClients(path, before, t0 + 5s, wall0 + 5s));

    // Restarted 30 s later on another steady clock: the 10 s client is due (20 s), the other is not.
    const auto t1 = xaphub::Clock::time_point{} + 50s;
    ClientTable after;
    EXPECT_EQ(xaphub::loadClients(path, after, t1, wall0 + 30s), 1u);
    ASSERT_EQ(after.clients().size(), 1u);
    const xaphub::Client& c = after.clients()[0];
    EXPECT_EQ(c.port, 32768);
    EXPECT_EQ(c.intervalSeconds, 600);
    EXPECT_EQ(c.source, "vyn.Audrey.PC1");
    EXPECT_TRUE(after.expire(t1 + 1169s).empty()); // due 1200 s after it was heard
    EXPECT_EQ(after.expire(t1 + 1171s).size(), 1u);

    // Limits apply to what the file says; a damaged file gives nothing.
    ClientTable guarded(xaphub::TableLimits{256, 3600, {32768}});
    EXPECT_EQ(xaphub::loadClients(path, guarded, t1, wall0 + 30s), 0u);
    dir.write("bad.clients", "xaphub clients 1\nx y z\n0 5 99999999999 a\n70000 5 99999999999 b\n40000 -1 99999999999 c\n");
    EXPECT_EQ(xaphub::loadClients(dir / "bad.clients", after, t1, wall0), 0u);
    dir.write("old.clients", "something else\n40000 60 99999999999 x\n");
    EXPECT_EQ(xaphub::loadClients(dir / "old.clients", after, t1, wall0), 0u);
    EXPECT_EQ(xaphub::loadClients(dir / "missing", after, t1, wall0), 0u);
}

TEST(HubState, ALinkPlantedAtTheTemporaryNameIsNeverFollowed)
{
    testing_support::TempFolder dir;
    const std::string path = dir / "hub.clients";
    // In a shared folder someone plants <state>.new pointing at a file of value.
    dir.write("precious", "keep me\n");
    std::filesystem::create_symlink(dir / "precious", path + ".new");
    ClientTable table;
    const auto t0 = xaphub::Clock::time_point{} + 1000s;
    table.heard(*readHeartbeat(beat("40000")), t0);
    ASSERT_TRUE(xaphub::saveClients(path, table, t0, xaphub::WallClock::now()));
    EXPECT_EQ(dir.read("precious"), "keep me\n");
    EXPECT_FALSE(std::filesystem::is_symlink(path));
    EXPECT_NE(dir.read("hub.clients").find("\n40000 60 "), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(path + ".new"));
    // A folder that cannot be written to: the save says so.
    EXPECT_FALSE(xaphub::saveClients(dir / "missing/hub.clients", table, t0, xaphub::WallClock::now()));
}

TEST(HubRelay, EveryDatagramReachesEveryRegisteredClient)
{
    REQUIRE_PRIVATE_NETWORK();
    RunningHub running(quietHub(3639));
    ASSERT_TRUE(running.start());

    platform::UdpSocket a, b, sender;
    ASSERT_FALSE(a.bind(40010, "127.0.0.1"));
    ASSERT_FALSE(b.bind(40011, "127.0.0.1"));
    a.setReceiveBuffer(8 << 20);
    b.setReceiveBuffer(8 << 20);
    ASSERT_FALSE(a.sendTo("127.0.0.1", 3639, beat("40010")));
    ASSERT_FALSE(b.sendTo("127.0.0.1", 3639, beat("40011")));
    ASSERT_TRUE(a.waitReadable(2000)); // the hub's heartbeat and a's own come back
    std::string text;
    while (a.waitReadable(200) && a.receive(text)) { }
    while (b.waitReadable(200) && b.receive(text)) { }

    // A burst, including one datagram of the largest size.
    std::vector<std::string> sent;
    for (int i = 0; i < 500; ++i)
        sent.push_back("xap-header\n{\nseq=" + std::to_string(i) + "\n}\n");
    sent.push_back("xap-header\n" + std::string(platform::UdpSocket::kMaxDatagram - 11, 'q'));
    for (const std::string& s : sent)
        ASSERT_FALSE(sender.sendTo("127.0.0.1", 3639, s));
    for (platform::UdpSocket* client : {&a, &b}) {
        std::vector<std::string> got;
        while (got.size() < sent.size() && client->waitReadable(2000))
            while (client->receive(text))
                got.push_back(text);
        ASSERT_EQ(got.size(), sent.size());
        EXPECT_TRUE(got == sent);
    }
    running.stop();
}

TEST(HubRelay, ASecondHubOnTheSamePortIsRefused)
{
    REQUIRE_PRIVATE_NETWORK();
    xaphub::Hub first(quietHub(3640));
    xaphub::Hub second(quietHub(3640, "127.0.0.1"));
    std::string error;
    ASSERT_TRUE(first.open(error)) << error;
    EXPECT_FALSE(second.open(error));
    EXPECT_NE(error.find("cannot bind 127.0.0.1:3640"), std::string::npos);
    EXPECT_EQ(second.openErrno(), EADDRINUSE); // main() then says another hub serves and ends with 0
    xaphub::Hub bad(quietHub(3641, "not-an-address"));
    EXPECT_FALSE(bad.open(error));
}

namespace {

// Reads every datagram that arrives within `milliseconds` of quiet.
std::vector<std::string> drain(platform::UdpSocket& socket, int milliseconds = 300)
{
    std::vector<std::string> got;
    std::string text;
    while (socket.waitReadable(milliseconds))
        while (socket.receive(text))
            got.push_back(text);
    return got;
}

bool anyContains(const std::vector<std::string>& texts, const std::string& part)
{
    for (const std::string& t : texts)
        if (t.find(part) != std::string::npos)
            return true;
    return false;
}

// Sends a marker through the hub on port 3639 and waits until `client` has it. The hub
// handles datagrams in the order they arrive and relays each to every client before
// the next, so once the marker is in, everything sent before it has been handled and
// whatever it was relayed to `client` is already waiting in `client`'s socket.
bool markerPasses(platform::UdpSocket& client, const std::string& marker)
{
    platform::UdpSocket sender;
    if (sender.sendTo("127.0.0.1", 3639, "xap-header\n{\nseq=" + marker + "\n}\n"))
        return false;
    std::string text;
    while (client.waitReadable(2000))
        while (client.receive(text))
            if (text.find("seq=" + marker + "\n") != std::string::npos)
                return true;
    return false;
}

} // namespace

TEST(HubGuards, AClientOnTheHubsOwnPortMakesNoLoop)
{
    REQUIRE_PRIVATE_NETWORK();
    RunningHub running(quietHub(3639));
    ASSERT_TRUE(running.start());
    xaphub::Hub& hub = running.hub;
    platform::UdpSocket sender, witness;
    ASSERT_FALSE(sender.sendTo("127.0.0.1", 3639, beat("3639")));
    ASSERT_FALSE(sender.sendTo("127.0.0.1", 3639, "xap-header\n{\nseq=1\n}\n"));
    // A client that joins after the probes, and a marker that reaches it.
    ASSERT_FALSE(witness.bind(40010, "127.0.0.1"));
    ASSERT_FALSE(witness.sendTo("127.0.0.1", 3639, beat("40010")));
    ASSERT_TRUE(markerPasses(witness, "marker"));
    running.stop();
    ASSERT_EQ(hub.clients().clients().size(), 1u); // the witness only, never the hub itself
    EXPECT_EQ(hub.clients().clients()[0].port, 40010);
    // The probe relayed to nobody and never to the hub itself, then the witness's
    // heartbeat and the marker: no copy of anything came round again.
    EXPECT_LE(hub.relayedCount(), 4u);
}

TEST(HubGuards, StopHeartbeatEndsRelayingAtOnce)
{
    REQUIRE_PRIVATE_NETWORK();
    RunningHub running(quietHub(3639));
    ASSERT_TRUE(running.start());
    xaphub::Hub& hub = running.hub;
    platform::UdpSocket a, witness, sender;
    ASSERT_FALSE(a.bind(40020, "127.0.0.1"));
    ASSERT_FALSE(a.sendTo("127.0.0.1", 3639, beat("40020")));
    const auto joined = drain(a);
    // The hub greets a new client with its own heartbeat.
    EXPECT_TRUE(anyContains(joined, "class=xap-hbeat.alive\nsource=tallis.xaphub."));
    ASSERT_FALSE(witness.bind(40021, "127.0.0.1"));
    ASSERT_FALSE(witness.sendTo("127.0.0.1", 3639, beat("40021", "60", "xap-hbeat.alive", "vyn.Witness.PC2")));
    ASSERT_FALSE(a.sendTo("127.0.0.1", 3639, beat("40020", "60", "xap-hbeat.stopped")));
    ASSERT_FALSE(sender.sendTo("127.0.0.1", 3639, "xap-header\n{\nseq=after\n}\n"));
    ASSERT_TRUE(markerPasses(witness, "marker"));
    const auto afterStop = drain(a, 0);
    EXPECT_FALSE(anyContains(afterStop, "seq=after"));
    EXPECT_FALSE(anyContains(afterStop, "seq=marker"));
    running.stop();
    ASSERT_EQ(hub.clients().clients().size(), 1u);
    EXPECT_EQ(hub.clients().clients()[0].port, 40021);
}

TEST(HubGuards, ARestartedHubRelaysToItsClientsAtOnceAndSaysItStopped)
{
    REQUIRE_PRIVATE_NETWORK();
    testing_support::TempFolder dir;
    xaphub::HubOptions options = quietHub(3639);
    options.statePath = dir / "hub.clients";
    platform::UdpSocket a, sender;
    ASSERT_FALSE(a.bind(40030, "127.0.0.1"));
    {
        RunningHub running(options);
        ASSERT_TRUE(running.start());
        ASSERT_FALSE(a.sendTo("127.0.0.1", 3639, beat("40030", "600")));
        drain(a);
        running.stop();
        EXPECT_TRUE(anyContains(drain(a), "class=xap-hbeat.stopped"));
    }
    RunningHub restarted(options);
    ASSERT_TRUE(restarted.start());
    ASSERT_FALSE(sender.sendTo("127.0.0.1", 3639, "xap-header\n{\nseq=restarted\n}\n"));
    EXPECT_TRUE(anyContains(drain(a), "seq=restarted"));
    restarted.stop();
    EXPECT_EQ(restarted.hub.clients().clients().size(), 1u); // taken back from the file, not re-announced
}

TEST(HubGuards, TheStateFileIsWrittenAtMostOnceASecondNotPerChange)
{
    REQUIRE_PRIVATE_NETWORK();
    testing_support::TempFolder dir;
    xaphub::HubOptions options = quietHub(3639);
    options.statePath = dir / "hub.clients";
    RunningHub running(options);
    ASSERT_TRUE(running.start());
    // 200 clients join and leave within half a second.
    platform::UdpSocket sender;
    for (int i = 0; i < 200; ++i) {
        ASSERT_FALSE(sender.sendTo("127.0.0.1", 3639, beat(std::to_string(41000 + i))));
        ASSERT_FALSE(sender.sendTo("127.0.0.1", 3639, beat(std::to_string(41000 + i), "60", "xap-hbeat.stopped")));
    }
    ASSERT_FALSE(sender.sendTo("127.0.0.1", 3639, beat("42000")));
    const auto started = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(1500ms);
    EXPECT_NE(dir.read("hub.clients").find("\n42000 60 "), std::string::npos);
    running.stop();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started).count();
    EXPECT_EQ(running.hub.counters().joined, 201u);
    EXPECT_EQ(running.hub.counters().left, 200u);
    // One write per second at most (and one at the end), not 401.
    EXPECT_LE(running.hub.counters().stateWrites, static_cast<std::uint64_t>(seconds + 3));
}

TEST(HubGuards, AStateFileThatCannotBeWrittenIsSaidOncePerEpisode)
{
    REQUIRE_PRIVATE_NETWORK();
    testing_support::TempFolder dir;
    xaphub::HubOptions options = quietHub(3639);
    options.verbosity = 1;
    options.statePath = dir / "no-such-folder/hub.clients";
    testing::internal::CaptureStdout();
    {
        RunningHub running(options);
        ASSERT_TRUE(running.start());
        platform::UdpSocket sender;
        // Changes in three different seconds: three failed writes, one line.
        for (int i = 0; i < 3; ++i) {
            ASSERT_FALSE(sender.sendTo("127.0.0.1", 3639, beat(std::to_string(41100 + i))));
            std::this_thread::sleep_for(1100ms);
        }
        running.stop();
        EXPECT_GE(running.hub.counters().stateWrites, 3u);
    }
    const std::string out = testing::internal::GetCapturedStdout();
    std::size_t lines = 0;
    for (std::size_t at = out.find("cannot write the state file"); at != std::string::npos;
         at = out.find("cannot write the state file", at + 1))
        ++lines;
    EXPECT_EQ(lines, 1u) << out;
}
