// The infrared dictionary from irlbl.cfg and irzones.cfg, and SendIR using it.
#include "host/HostFixture.h"

using namespace host_testing;

namespace {

class IRDictionary : public HostTest {
protected:
    // irlbl.cfg: 14 label lines, 18 ignored lines, then the button lines given.
    void writeLabels(const std::vector<std::string>& labels, const std::vector<std::pair<int, std::string>>& buttons,
                     int lines)
    {
        std::vector<std::string> content(static_cast<std::size_t>(lines));
        for (std::size_t i = 0; i < labels.size(); ++i)
            content[i] = labels[i];
        for (const auto& [line, text] : buttons)
            content[static_cast<std::size_t>(line - 1)] = text;
        std::string file;
        for (const std::string& l : content)
            file += l + "\r\n";
        dir.write("Config/irlbl.cfg", file);
    }
    const std::unordered_map<std::string, std::string>& dictionary() { return host::state(hostRegistry).irDictionary; }
};

} // namespace

TEST_F(IRDictionary, ButtonsAreKeyedByLabelAndNameWithIndexAndZone)
{
    writeLabels({"TV", "\"VCR\""}, {{33, "Power"}, {37, "Mute"}, {69, "Play"}, {70, ""}, {71, "\"Stop\""}}, 80);
    dir.write("Config/irzones.cfg", "2\r\n17\r\n");
    vb::call(*form, "SetupIRDictionary");
    EXPECT_EQ(dictionary().size(), 4u);
    EXPECT_EQ(dictionary().at("TV POWER"), "0,2");
    EXPECT_EQ(dictionary().at("TV MUTE"), "4,2");
    // Line 69 is the first button of the second group; zone 17 counts as 0.
    EXPECT_EQ(dictionary().at("VCR PLAY"), "36,0");
    EXPECT_EQ(dictionary().at("VCR STOP"), "38,0");
    // The short irzones.cfg gives zone 0 to the labels it lacks, reported once.
    int reports = 0;
    for (const std::string& data : sender.logData())
        reports += data.find("irzones.cfg") != std::string::npos;
    EXPECT_EQ(reports, 1);

    hs("SendIR", "TV,Mute");
    hs("SendIR", "vcr,play");
    const auto ir = sender.ofClass("Homeseer.IR");
    ASSERT_EQ(ir.size(), 2u);
    EXPECT_EQ(ir[0].items(), (Items{{"Zone", "2"}, {"Location", "4"}}));
    EXPECT_EQ(ir[1].items(), (Items{{"Location", "36"}}));
}

TEST_F(IRDictionary, WithoutZonesEveryZoneIsZeroAndLinesAfterTheLastGroupAreIgnored)
{
    std::vector<std::string> labels(14);
    for (int k = 1; k <= 14; ++k)
        labels[static_cast<std::size_t>(k - 1)] = "L" + std::to_string(k);
    writeLabels(labels, {{16, "Ignored"}, {536, "Last"}, {537, "After"}}, 540);
    vb::call(*form, "SetupIRDictionary");
    EXPECT_EQ(dictionary().size(), 1u);
    EXPECT_EQ(dictionary().at("L14 LAST"), "503,0");
    EXPECT_TRUE(sender.logData().empty());
}

TEST_F(IRDictionary, ADuplicateButtonIsSkippedAndTheRestIsBuilt)
{
    writeLabels({"TV"}, {{33, "Power"}, {34, "power"}, {35, "Mute"}}, 40);
    vb::call(*form, "SetupIRDictionary");
    EXPECT_EQ(dictionary().at("TV POWER"), "0,0");
    EXPECT_EQ(dictionary().at("TV MUTE"), "2,0");
    const auto logs = sender.logData();
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_NE(logs[0].find("TV POWER"), std::string::npos) << logs[0];
    // Building it again gives the same dictionary; only the duplicate is reported again.
    vb::call(*form, "SetupIRDictionary");
    EXPECT_EQ(dictionary().size(), 2u);
    EXPECT_EQ(sender.logData().size(), 2u);
}

TEST_F(IRDictionary, NothingWithoutALabelFile)
{
    vb::call(*form, "SetupIRDictionary");
    EXPECT_TRUE(dictionary().empty());
    EXPECT_TRUE(sender.sent.empty());
}
