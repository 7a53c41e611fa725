#include "xap/HeartbeatHeader.h"

#include <gtest/gtest.h>

using xap::readHeartbeatHeader;

TEST(HeartbeatHeader, ReadsWhatTheNodeNeedsAndTellsHubsFromNodes)
{
    const auto hub = readHeartbeatHeader(
        "xap-hbeat\n{\nv=12\nhop=1\nuid=FF.00D1:00\nClass = XAP-HBEAT.Alive\nsource=tallis.xaphub.pc1\ninterval=60\n}\n");
    ASSERT_TRUE(hub);
    EXPECT_EQ(hub->uid, "FF.00D1:00");
    EXPECT_EQ(hub->source, "tallis.xaphub.pc1");
    EXPECT_EQ(hub->intervalSeconds, 60);
    EXPECT_TRUE(hub->fromHub());
    // A node's heartbeat, a hub's stop and a hub named only in the instance are not
    // hubs' live heartbeats.
    EXPECT_FALSE(readHeartbeatHeader("xap-hbeat\n{\nclass=xap-hbeat.alive\nsource=vyn.Audrey.hub\n}\n")->fromHub());
    EXPECT_FALSE(readHeartbeatHeader("xap-hbeat\n{\nclass=xap-hbeat.stopped\nsource=acme.hub.pc\n}\n")->fromHub());
    EXPECT_TRUE(readHeartbeatHeader("xap-hbeat\n{\nclass=xap-hbeat.alive\nsource=ACME.Hub.pc\n}\n")->fromHub());
    EXPECT_FALSE(readHeartbeatHeader("xap-header\n{\nclass=xap-hbeat.alive\nsource=acme.hub.pc\n}\n"));
    EXPECT_FALSE(readHeartbeatHeader("xap-hb"));
}

TEST(HeartbeatHeader, OnlyTheFirstLinesOfAHugeDatagramAreRead)
{
    // 9,000 lines of junk before the class: never reached, so nothing is believed.
    std::string text = "xap-hbeat\n{\n";
    for (int i = 0; i < 9000; ++i)
        text += "port=" + std::to_string(i) + "\n";
    text += "class=xap-hbeat.alive\nsource=acme.hub.pc\n}\n";
    const auto beat = readHeartbeatHeader(text);
    ASSERT_TRUE(beat);
    EXPECT_TRUE(beat->cls.empty());
    EXPECT_FALSE(beat->fromHub());
    // An interval too long for a number is cut, not overflowed.
    EXPECT_LE(readHeartbeatHeader("xap-hbeat\n{\ninterval=99999999999999999999\n}\n")->intervalSeconds, 999999);
}
