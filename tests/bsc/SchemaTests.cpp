// The BSC schema as text: levels, states, command blocks, reports and target matching.
#include "bsc/Schema.h"

#include <gtest/gtest.h>

using namespace bsc;

TEST(BscLevel, ReadsFractionsPercentagesAndUnknownLevels)
{
    EXPECT_EQ(parseLevel("40/100"), (Level{40, 100, true}));
    EXPECT_EQ(parseLevel(" 128/255 "), (Level{128, 255, true}));
    EXPECT_EQ(parseLevel("0/1"), (Level{0, 1, true}));
    EXPECT_EQ(parseLevel("?/255"), (Level{0, 255, false}));
    EXPECT_EQ(parseLevel("50%"), (Level{50, 100, true}));
    EXPECT_EQ(parseLevel("50.5%"), (Level{51, 100, true}));  // half up
    EXPECT_EQ(parseLevel("99.49%"), (Level{99, 100, true}));
    EXPECT_EQ(parseLevel("100.0%"), (Level{100, 100, true}));
    for (const char* bad : {"", "50", "5/0", "6/5", "-1/5", "1/-5", "101%", "100.5%", "abc%", "%", ".5%", "1/2/3",
                            "4294967296/4294967297", "1/2000000", "?/0", "x/10", "5 0/100"})
        EXPECT_FALSE(parseLevel(bad)) << bad;
}

TEST(BscLevel, ConvertsToAndFromPercent)
{
    EXPECT_EQ(percentOf(Level{1, 3, true}), 33);
    EXPECT_EQ(percentOf(Level{2, 3, true}), 67);
    EXPECT_EQ(percentOf(Level{128, 255, true}), 50);
    EXPECT_EQ(percentOf(Level{255, 255, true}), 100);
    EXPECT_EQ(percentOf(Level{1, 200, true}), 1); // 0.5% rounds up
    EXPECT_EQ(percentOf(Level{7, 255, false}), 0);
    EXPECT_EQ(percentOf(Level{1000000, 1000000, true}), 100);
    EXPECT_EQ(formatLevel(levelFromPercent(40)), "40/100");
    EXPECT_EQ(formatLevel(levelFromPercent(-5)), "0/100");
    EXPECT_EQ(formatLevel(levelFromPercent(250)), "100/100");
    EXPECT_EQ(formatLevel(Level{0, 255, false}), "?/255");
}

TEST(BscState, CommandsTakeToggleReportsTakeUnknown)
{
    EXPECT_EQ(parseState("ON", true), State::On);
    EXPECT_EQ(parseState(" off ", false), State::Off);
    EXPECT_EQ(parseState("Toggle", true), State::Toggle);
    EXPECT_FALSE(parseState("toggle", false));
    EXPECT_EQ(parseState("?", false), State::Unknown);
    EXPECT_FALSE(parseState("?", true));
    EXPECT_FALSE(parseState("dim", true));
    EXPECT_FALSE(parseState("", true));
}

TEST(BscEndpointNumber, TwoHexDigitsFrom01ToFE)
{
    EXPECT_EQ(endpointNumberText(5), "05");
    EXPECT_EQ(endpointNumberText(0xFE), "FE");
    EXPECT_EQ(parseEndpointNumber("05"), 5);
    EXPECT_EQ(parseEndpointNumber("a"), 10);
    EXPECT_EQ(parseEndpointNumber("fe"), 0xFE);
    for (const char* bad : {"00", "FF", "0", "100", "", "x1", "1x", "-1", "+1"})
        EXPECT_FALSE(parseEndpointNumber(bad)) << bad;
    EXPECT_EQ(endpointUid("FF.0097:00", 0x2A), "FF.0097:2A");
    EXPECT_EQ(endpointUid("FF123400", 3), "FF123403");
}

TEST(BscCommand, ReadsOneBlockOrSaysWhyItIsMalformed)
{
    EXPECT_TRUE(isCommandBlock("output.state.1"));
    EXPECT_TRUE(isCommandBlock("Output.State.12"));
    EXPECT_TRUE(isCommandBlock("output.state"));
    EXPECT_FALSE(isCommandBlock("output.state."));
    EXPECT_FALSE(isCommandBlock("output.state.x"));
    EXPECT_FALSE(isCommandBlock("input.state.1"));
    EXPECT_FALSE(isCommandBlock("output.statement"));

    CommandParse all = parseCommand({{"ID", "*"}, {"State", "toggle"}, {"Level", "50%"}, {"text", " Hello world "}});
    ASSERT_TRUE(all.command);
    EXPECT_TRUE(all.command->allEndpoints);
    EXPECT_TRUE(all.command->selects(7));
    EXPECT_EQ(all.command->state, State::Toggle);
    EXPECT_EQ(all.command->level, (Level{50, 100, true}));
    EXPECT_EQ(all.command->text, " Hello world "); // texts stand as sent

    CommandParse one = parseCommand({{"id", "0a"}});
    ASSERT_TRUE(one.command); // nothing to change is no fault: the endpoint answers
    EXPECT_TRUE(one.command->selects(10));
    EXPECT_FALSE(one.command->selects(11));
    EXPECT_FALSE(one.command->state || one.command->level || one.command->text);

    EXPECT_EQ(parseCommand({{"state", "on"}}).error, "no id");
    EXPECT_EQ(parseCommand({{"id", "FF"}}).error, "id=FF is neither * nor an endpoint number 01 to FE");
    EXPECT_EQ(parseCommand({{"id", "*"}, {"state", "dim"}}).error, "state=dim is not on, off or toggle");
    EXPECT_EQ(parseCommand({{"id", "*"}, {"level", "?/255"}}).error, "level=?/255 is neither N/M nor N%");
    // What a controller sends reads back as it was meant.
    Command dim;
    dim.endpoint = 0x2A;
    dim.state = State::On;
    dim.level = Level{3, 7, true};
    dim.text = "two\nlines";
    EXPECT_EQ(commandBlockName(2), "output.state.2");
    EXPECT_EQ(commandItems(dim), (Items{{"id", "2A"}, {"state", "on"}, {"level", "3/7"}, {"text", "two lines"}}));
    dim.text = "two lines";
    EXPECT_EQ(parseCommand(commandItems(dim)).command, dim);

    // What a malformed value says is short and on one line, whatever was sent.
    const CommandParse hostile = parseCommand({{"id", "*"}, {"state", std::string(5000, 'x') + "\r"}});
    EXPECT_FALSE(hostile.command);
    EXPECT_LT(hostile.error.size(), 60u);
}

TEST(BscStatus, ReportsItemsInOrderOnOneLineEach)
{
    Status status;
    status.state = State::On;
    status.level = Level{40, 100, true};
    status.text = "line one\nline two\r";
    status.displayText = "Kitchen Lamp";
    EXPECT_EQ(statusBlockName(status), "output.state");
    const Items items = statusItems(status);
    EXPECT_EQ(items, (Items{{"state", "on"}, {"level", "40/100"}, {"text", "line one line two "}, {"displaytext", "Kitchen Lamp"}}));

    // A long text is cut, never inside a UTF-8 sequence.
    Status longText;
    longText.input = true;
    longText.text = std::string(kMaxReportText - 1, 'a') + "\xC3\xA9" + "zz";
    const Items cut = statusItems(longText);
    EXPECT_EQ(statusBlockName(longText), "input.state");
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(cut[0], (Item{"state", "?"}));
    EXPECT_EQ(cut[1].second, std::string(kMaxReportText - 1, 'a'));

    // What a reader makes of a report.
    const std::optional<Status> read = parseStatus("Output.State", {{"State", "OFF"}, {"level", "?/255"}, {"displaytext", "x"}});
    ASSERT_TRUE(read);
    EXPECT_EQ(read->state, State::Off);
    EXPECT_EQ(read->level, (Level{0, 255, false}));
    EXPECT_FALSE(read->text);
    EXPECT_EQ(read->displayText, "x");
    EXPECT_FALSE(parseStatus("output.state", {{"state", "toggle"}}));
    EXPECT_FALSE(parseStatus("output.state.1", {{"state", "on"}}));
    EXPECT_FALSE(parseStatus("input.state", {{"level", "5"}}));
}

TEST(BscTarget, MatchesEndpointsWithWildcardsAndSubAddresses)
{
    const std::string a1 = "vyn.Audrey.PC1:A1";
    EXPECT_TRUE(targetMatches("vyn.Audrey.PC1:A1", a1));
    EXPECT_TRUE(targetMatches("VYN.audrey.pc1:a1", a1));
    EXPECT_TRUE(targetMatches("vyn.Audrey.PC1", a1)); // the whole node
    EXPECT_TRUE(targetMatches("vyn.Audrey.PC1:*", a1));
    EXPECT_TRUE(targetMatches("vyn.Audrey.PC1:>", a1));
    EXPECT_TRUE(targetMatches("vyn.*.PC1:A1", a1));
    EXPECT_TRUE(targetMatches("vyn.>", a1));
    EXPECT_TRUE(targetMatches("vyn.Audrey.PC1:A1", "vyn.Audrey.PC1:a1"));
    EXPECT_FALSE(targetMatches("vyn.Audrey.PC1:B1", a1));
    EXPECT_FALSE(targetMatches("vyn.Audrey.PC2:A1", a1));
    EXPECT_FALSE(targetMatches("vyn.Audrey:A1", a1));
    EXPECT_FALSE(targetMatches("vyn.Audrey.PC1.x:A1", a1));
    EXPECT_FALSE(targetMatches("vyn.Audrey.PC1:A1.x", a1));
    EXPECT_FALSE(targetMatches("vyn.Audrey.PC1:A1", "vyn.Audrey.PC1"));
    EXPECT_FALSE(targetMatches("", a1));

    EXPECT_TRUE(isSubAddressText("A1"));
    EXPECT_TRUE(isSubAddressText("^12"));
    for (const char* bad : {"", "A 1", "A.1", "A:1", "*1", ">1", "A=1", "A;1", "{1", "\xC3\xA9" "1", "A\t1"})
        EXPECT_FALSE(isSubAddressText(bad)) << bad;
}
