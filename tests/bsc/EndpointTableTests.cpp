// Stable endpoint numbers in Config/vynBSC.ini.
#include "bsc/EndpointTable.h"
#include "bsc/Settings.h"
#include "ini/IniState.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

using bsc::EndpointTable;

namespace {

class BscEndpointTable : public ::testing::Test {
protected:
    EndpointTable table(std::string name = "vynBSC.ini")
    {
        return EndpointTable(dir / name, [this] { return now; });
    }
    testing_support::TempFolder dir;
    std::int64_t now = 1'800'000'000;
};

} // namespace

TEST_F(BscEndpointTable, DevicesKeepTheirNumbersAcrossRestarts)
{
    EndpointTable first = table();
    EXPECT_EQ(first.load(), "");
    EXPECT_TRUE(first.update({"A1", "B2", "^12"}).changed);
    EXPECT_EQ(first.numberOf("A1"), 1);
    EXPECT_EQ(first.numberOf("B2"), 2);
    EXPECT_EQ(first.numberOf("^12"), 3);
    EXPECT_FALSE(first.update({"A1", "B2", "^12"}).changed); // nothing to save
    EXPECT_EQ(first.save(), "");
    EXPECT_EQ(dir.read("vynBSC.ini").find("[Endpoints]\r\n01=A1\r\n02=B2\r\n03=^12\r\n") != std::string::npos, true);

    // The next run lists the devices in another order, and one more.
    EndpointTable second = table();
    EXPECT_EQ(second.load(), "");
    second.update({"C3", "^12", "A1", "B2"});
    EXPECT_EQ(second.numberOf("A1"), 1);
    EXPECT_EQ(second.numberOf("^12"), 3);
    EXPECT_EQ(second.numberOf("C3"), 4);
}

TEST_F(BscEndpointTable, AGoneDevicesNumberWaitsADayAndComesBackWithIt)
{
    EndpointTable t = table();
    t.update({"A1", "B2"});
    EXPECT_TRUE(t.update({"B2"}).changed); // A1 deleted
    EXPECT_FALSE(t.numberOf("A1"));
    t.update({"B2", "C3"});
    EXPECT_EQ(t.numberOf("C3"), 3); // not A1's number
    ASSERT_EQ(t.save(), "");

    // The gone mark survives a restart; A1 returns within the day with its number.
    EndpointTable again = table();
    ASSERT_EQ(again.load(), "");
    now += 3600;
    again.update({"A1", "B2", "C3"});
    EXPECT_EQ(again.numberOf("A1"), 1);

    // After a day the number is free for another device.
    again.update({"B2", "C3"});
    now += EndpointTable::kReuseAfterSeconds;
    again.update({"B2", "C3", "D4"});
    EXPECT_EQ(again.numberOf("D4"), 1);
    again.update({"A1", "B2", "C3", "D4"});
    EXPECT_EQ(again.numberOf("A1"), 4);
}

TEST_F(BscEndpointTable, TwoHundredFiftyFourNumbersAtMost)
{
    EndpointTable t = table();
    std::vector<std::string> codes;
    for (int i = 0; i < 256; ++i)
        codes.push_back("Z" + std::to_string(i));
    const EndpointTable::Update update = t.update(codes);
    EXPECT_EQ(t.numberOf("Z0"), 1);
    EXPECT_EQ(t.numberOf("Z253"), 0xFE);
    EXPECT_EQ(update.unnumbered, (std::vector<std::string>{"Z254", "Z255"}));
}

TEST_F(BscEndpointTable, AFileWithLinesItCannotUseKeepsTheGoodOnes)
{
    dir.write("vynBSC.ini", "; comment\r\n[Other]\r\n09=Q9\r\n[endpoints]\r\n01=A1\r\n02=A1\r\nFF=B2\r\n03=C 3\r\n"
                            "04=D4;soon\r\n05=E5;1799999000\r\nnonsense\r\n01=F6\r\n06 = G7 \r\n"
                            "07=H8;99999999999999999999\r\n08=J9;+1799999000\r\n0A=K1;-5\r\n0B=L2;17x\r\n");
    EndpointTable t = table();
    EXPECT_EQ(t.load(), t.path() + ": 9 line(s) of [Endpoints] not understood and left out");
    t.update({"A1", "E5", "G7", "Q9", "J9"});
    EXPECT_EQ(t.numberOf("A1"), 1);
    EXPECT_EQ(t.numberOf("E5"), 5);
    EXPECT_EQ(t.numberOf("G7"), 6);
    EXPECT_EQ(t.numberOf("J9"), 8);
    EXPECT_EQ(t.numberOf("Q9"), 2); // the lowest free number
}

TEST_F(BscEndpointTable, AnUnwritableFileIsReportedAndTheTableStillServes)
{
    EndpointTable t(dir / "missing-folder/vynBSC.ini", [this] { return now; });
    t.update({"A1"});
    EXPECT_NE(t.save().find("cannot be written"), std::string::npos);
    EXPECT_EQ(t.numberOf("A1"), 1);
}

TEST(BscSettings, OffUnlessConfiguredAndBadValuesNamed)
{
    services::IniState iniState;
    testing_support::TempFolder dir;
    EXPECT_FALSE(bsc::readSettings(iniState, dir / "vynXap.ini").enabled); // no file

    dir.write("vynXap.ini", "[Interface]\r\nBroadcastAddress=127.255.255.255\r\n");
    bsc::Settings none = bsc::readSettings(iniState, dir / "vynXap.ini");
    EXPECT_FALSE(none.enabled);
    EXPECT_FALSE(none.commands);
    EXPECT_EQ(none.infoIntervalSeconds, 120);
    EXPECT_EQ(none.problems, "");

    dir.write("vynXap.ini", "[bsc]\r\nenabled=1\r\nCOMMANDS=yes\r\nInfoInterval=30\r\n");
    bsc::Settings on = bsc::readSettings(iniState, dir / "VYNXAP.INI");
    EXPECT_TRUE(on.enabled);
    EXPECT_TRUE(on.commands);
    EXPECT_EQ(on.infoIntervalSeconds, 30);

    dir.write("vynXap.ini", "[BSC]\r\nEnabled=1\r\nCommands=perhaps\r\nInfoInterval=2\r\n");
    bsc::Settings odd = bsc::readSettings(iniState, dir / "vynXap.ini");
    EXPECT_TRUE(odd.enabled);
    EXPECT_FALSE(odd.commands);
    EXPECT_EQ(odd.infoIntervalSeconds, bsc::kMinInfoInterval);
    EXPECT_EQ(odd.problems, "Commands=perhaps is not 0 or 1; InfoInterval=2 is taken as 10");

    dir.write("vynXap.ini", "[BSC]\r\nEnabled=1\r\nInfoInterval=soon\r\n");
    EXPECT_EQ(bsc::readSettings(iniState, dir / "vynXap.ini").infoIntervalSeconds, 120);
    dir.write("vynXap.ini", "[BSC]\r\nEnabled=1\r\nInfoInterval=0\r\n");
    EXPECT_EQ(bsc::readSettings(iniState, dir / "vynXap.ini").infoIntervalSeconds, 0);
}
