// What the xap tool makes of a good command line: KEY=VALUE pairs belong to the
// --section before them, in order; the options that mean a filter for listen and a
// header field otherwise; bsc's words (a text value may start with "-"); the last of
// a repeated option counts; and the same line read twice reads the same.
#include "CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Items = std::vector<std::pair<std::string, std::string>>;

xaptool::ParseResult parse(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "xap");
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    return xaptool::parseCommandLine(static_cast<int>(arguments.size()), argv.data());
}

} // namespace

TEST(XapCommandLine, SendKeepsEachItemWithTheSectionBeforeIt)
{
    const std::vector<std::string> line = {"send", "--class", "A.B", "--section", "first", "k=v", "x=",
                                           "--target", "t.u.v", "--section", "second", "a=b=c", "k=w",
                                           "--uid", "FF.1234:00", "--class", "C.D"};
    for (int reading = 0; reading < 2; ++reading) {
        SCOPED_TRACE(reading);
        const xaptool::ParseResult result = parse(line);
        ASSERT_TRUE(result.line);
        const xaptool::Options& o = result.line->options;
        EXPECT_EQ(result.line->command, "send");
        EXPECT_EQ(o.header.cls, "C.D"); // the last one
        EXPECT_EQ(o.header.target, "t.u.v");
        EXPECT_EQ(o.header.uid, "FF.1234:00");
        ASSERT_EQ(o.blocks.size(), 2u);
        EXPECT_EQ(o.blocks[0].name, "first");
        EXPECT_EQ(o.blocks[0].items, (Items{{"k", "v"}, {"x", ""}}));
        EXPECT_EQ(o.blocks[1].name, "second");
        EXPECT_EQ(o.blocks[1].items, (Items{{"a", "b=c"}, {"k", "w"}}));
    }
}

TEST(XapCommandLine, ListenTakesFiltersAndQueryItsQuestion)
{
    const xaptool::ParseResult listen =
        parse({"listen", "--source", "a.*.c", "--class", "x.>", "--target", "t", "--filter", "state=on",
               "--filter", "level=1=2", "--no-heartbeats", "--count", "5", "--timeout", "2.5", "--listen-port", "50001",
               "--hub-port", "3640", "--broadcast", "10.0.0.255", "--summary"});
    ASSERT_TRUE(listen.line);
    const xaptool::Options& o = listen.line->options;
    EXPECT_EQ(o.sourceFilter, "a.*.c");
    EXPECT_EQ(o.classFilter, "x.>");
    EXPECT_EQ(o.targetFilter, "t");
    EXPECT_EQ(o.header.target, "");
    EXPECT_EQ(o.itemFilters, (Items{{"state", "on"}, {"level", "1=2"}}));
    EXPECT_FALSE(o.heartbeats);
    EXPECT_TRUE(o.summary);
    EXPECT_EQ(o.count, 5);
    EXPECT_DOUBLE_EQ(o.timeout, 2.5);
    EXPECT_EQ(o.listenPort, 50001);
    EXPECT_EQ(o.hubPort, 3640);
    EXPECT_EQ(o.broadcast, "10.0.0.255");

    const xaptool::ParseResult role = parse({"query", "role", "--role", "hub", "--all", "--target", "a.b.c"});
    ASSERT_TRUE(role.line);
    EXPECT_EQ(role.line->command, "query");
    EXPECT_EQ(role.line->options.query, "role");
    EXPECT_EQ(role.line->options.role, "hub");
    EXPECT_TRUE(role.line->options.all);
    EXPECT_EQ(role.line->options.header.target, "a.b.c");
}

TEST(XapCommandLine, BscWordsAroundOptionsAndATextThatLooksLikeOne)
{
    const xaptool::ParseResult level = parse({"bsc", "--id", "0A", "v.a.h:>", "--all", "level", "40"});
    ASSERT_TRUE(level.line);
    EXPECT_EQ(level.line->options.bscTarget, "v.a.h:>");
    EXPECT_EQ(level.line->options.bscId, "0A");
    EXPECT_TRUE(level.line->options.all);
    EXPECT_EQ(level.line->options.bscItems, (Items{{"level", "40%"}}));

    for (const char* text : {"-5", "--", "--summary", "-"}) {
        SCOPED_TRACE(text);
        const xaptool::ParseResult result = parse({"bsc", "v.a.h:A1", "text", text, "--summary"});
        ASSERT_TRUE(result.line);
        EXPECT_EQ(result.line->options.bscItems, (Items{{"text", text}}));
        EXPECT_TRUE(result.line->options.summary);
    }

    const xaptool::ParseResult query = parse({"bsc-query", "--count", "2", "v.a.h:*"});
    ASSERT_TRUE(query.line);
    EXPECT_EQ(query.line->options.bscTarget, "v.a.h:*");
    EXPECT_EQ(query.line->options.count, 2);
}

TEST(XapCommandLine, RefusedLinesGiveStatusTwoAndHelpZero)
{
    for (const std::vector<std::string>& line : std::vector<std::vector<std::string>>{
             {"send", "--class=A.B", "--section", "s"}, {"send", "--sec", "s", "--class", "A.B"},
             {"send", "k=v", "--section", "s", "--class", "A.B"}, {"listen", "--count"}, {"listen", "--"},
             {"bsc", "t", "on", "-"}, {"query", "echo", "--role", "r"}}) {
        SCOPED_TRACE(line[1]);
        const xaptool::ParseResult result = parse(line);
        EXPECT_FALSE(result.line);
        EXPECT_EQ(result.exitStatus, 2);
    }
    const xaptool::ParseResult help = parse({"send", "--bogus", "--class", "-h"});
    EXPECT_FALSE(help.line);
    EXPECT_EQ(help.exitStatus, 0);
}
