#include "NetworkEnvironment.h"

#include "ClientTable.h"
#include "Hub.h"

#include "platform/UdpSocket.h"

#include <gtest/gtest.h>

#include <thread>

using namespace std::chrono_literals;
using xaphub::ClientTable;
using xaphub::readHeartbeat;

namespace {

std::string beat(const std::string& port, const std::string& interval = "60")
{
    return "xap-hbeat\n{\nv=13\nhop=1\nuid=FF.0097:00\nclass=xap-hbeat.alive\nsource=vyn.Audrey.PC1\ninterval=" + interval +
        "\nport=" + port + "\n}\n";
}

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
    EXPECT_TRUE(table.heard(*readHeartbeat(beat("40000", "10")), t0));
    EXPECT_FALSE(table.heard(*readHeartbeat(beat("40000", "10")), t0 + 15s));
    EXPECT_TRUE(table.heard(*readHeartbeat(beat("40001", "0")), t0)); // no interval: 60 s
    ASSERT_EQ(table.clients().size(), 2u);

    EXPECT_TRUE(table.expire(t0 + 35s).empty()); // refreshed at 15 s, due at 35 s
    const auto gone = table.expire(t0 + 36s);
    ASSERT_EQ(gone.size(), 1u);
    EXPECT_EQ(gone[0].port, 40000);
    EXPECT_TRUE(table.expire(t0 + 120s).empty());
    EXPECT_EQ(table.expire(t0 + 121s).size(), 1u);
    EXPECT_TRUE(table.clients().empty());
}

TEST(HubRelay, EveryDatagramReachesEveryRegisteredClient)
{
    REQUIRE_PRIVATE_NETWORK();
    xaphub::Hub hub(xaphub::HubOptions{3639, "0.0.0.0", 0});
    std::string error;
    ASSERT_TRUE(hub.open(error)) << error;
    std::thread relay([&] { hub.run(); });

    platform::UdpSocket a, b, sender;
    ASSERT_FALSE(a.bind(40010, "127.0.0.1"));
    ASSERT_FALSE(b.bind(40011, "127.0.0.1"));
    a.setReceiveBuffer(8 << 20);
    b.setReceiveBuffer(8 << 20);
    ASSERT_FALSE(a.sendTo("127.0.0.1", 3639, beat("40010")));
    ASSERT_FALSE(b.sendTo("127.0.0.1", 3639, beat("40011")));
    ASSERT_TRUE(a.waitReadable(2000)); // a's own heartbeat comes back
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
    hub.stop();
    relay.join();
}

TEST(HubRelay, ASecondHubOnTheSamePortIsRefused)
{
    REQUIRE_PRIVATE_NETWORK();
    xaphub::Hub first(xaphub::HubOptions{3640, "0.0.0.0", 0});
    xaphub::Hub second(xaphub::HubOptions{3640, "127.0.0.1", 0});
    std::string error;
    ASSERT_TRUE(first.open(error)) << error;
    EXPECT_FALSE(second.open(error));
    EXPECT_NE(error.find("cannot bind 127.0.0.1:3640"), std::string::npos);
    xaphub::Hub bad(xaphub::HubOptions{3641, "not-an-address", 0});
    EXPECT_FALSE(bad.open(error));
}
