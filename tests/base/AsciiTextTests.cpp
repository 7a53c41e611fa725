#include "base/AsciiText.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

using namespace std::string_literals;

TEST(AsciiText, CaseChangesOnlyAsciiLetters)
{
    EXPECT_EQ(ascii::lower("XAP-Hbeat.Alive 09@[`{"), "xap-hbeat.alive 09@[`{");
    // Bytes next to the letter ranges and every byte above 0x7F are left alone.
    EXPECT_EQ(ascii::toLower('@'), '@');
    EXPECT_EQ(ascii::toLower('['), '[');
    EXPECT_EQ(ascii::toUpper('`'), '`');
    EXPECT_EQ(ascii::toUpper('{'), '{');
    EXPECT_EQ(ascii::lower("\xC3\x84\xC4"), "\xC3\x84\xC4");
    EXPECT_EQ(ascii::toUpper('q'), 'Q');
    EXPECT_EQ(ascii::upper("a1:fe\xC3\xA4z"), "A1:FE\xC3\xA4Z");
    EXPECT_EQ(ascii::lower(""), "");
}

TEST(AsciiText, ComparesIgnoringAsciiCaseOnly)
{
    EXPECT_TRUE(ascii::equalsIgnoreCase("", ""));
    EXPECT_TRUE(ascii::equalsIgnoreCase("Input.State", "INPUT.state"));
    EXPECT_FALSE(ascii::equalsIgnoreCase("input", "inputs"));
    EXPECT_FALSE(ascii::equalsIgnoreCase("a", ""));
    // Letters outside ASCII compare by their bytes: no Unicode folding.
    EXPECT_FALSE(ascii::equalsIgnoreCase("\xC3\x84", "\xC3\xA4"));
    EXPECT_TRUE(ascii::equalsIgnoreCase("\xC3\x84", "\xC3\x84"));
    // '@' and '`' differ from 'A'/'a' by 0x20 bits but are not letters.
    EXPECT_FALSE(ascii::equalsIgnoreCase("@", "`"));
    EXPECT_FALSE(ascii::equalsIgnoreCase("[", "{"));
    // Embedded NULs are ordinary bytes.
    EXPECT_TRUE(ascii::equalsIgnoreCase("a\0B"s, "A\0b"s));
    EXPECT_FALSE(ascii::equalsIgnoreCase("a\0B"s, "a\0C"s));
}

TEST(AsciiText, PrefixAndContains)
{
    EXPECT_TRUE(ascii::startsWithIgnoreCase("XAP-HBEAT\n{", "xap-hbeat"));
    EXPECT_TRUE(ascii::startsWithIgnoreCase("abc", ""));
    EXPECT_FALSE(ascii::startsWithIgnoreCase("xap", "xap-hbeat"));
    EXPECT_FALSE(ascii::startsWithIgnoreCase(" xap-hbeat", "xap-hbeat"));

    EXPECT_TRUE(ascii::containsIgnoreCase("myHUB1", "hub"));
    EXPECT_TRUE(ascii::containsIgnoreCase("HUB", "hub"));
    EXPECT_TRUE(ascii::containsIgnoreCase("xhuB", "HUB"));
    EXPECT_TRUE(ascii::containsIgnoreCase("anything", ""));
    EXPECT_TRUE(ascii::containsIgnoreCase("", ""));
    EXPECT_FALSE(ascii::containsIgnoreCase("hu", "hub"));
    EXPECT_FALSE(ascii::containsIgnoreCase("h-u-b", "hub"));
    // A partial match at the end must not read past the text.
    EXPECT_FALSE(ascii::containsIgnoreCase(std::string_view("xhubx", 3), "hub"));
    // Overlapping starts: the second candidate is the match.
    EXPECT_TRUE(ascii::containsIgnoreCase("xxap-hhead xap-header", "XAP-HEADER"));
}

TEST(AsciiText, TrimsOnlyTheNamedSet)
{
    EXPECT_EQ(ascii::trim("  \tkey\t "), "key");
    EXPECT_EQ(ascii::trim(" \t \t"), "");
    EXPECT_EQ(ascii::trim(""), "");
    EXPECT_EQ(ascii::trim("a b"), "a b");  // inner blanks stay
    // Spaces only: tabs and CRs are content.
    EXPECT_EQ(ascii::trim(" \tv\r ", ascii::kSpaces), "\tv\r");
    // Blanks, tabs and CRs at both ends.
    EXPECT_EQ(ascii::trim("\r\t v \r", ascii::kBlanksAndCr), "v");
    // Spaces and CRs: tabs are content.
    EXPECT_EQ(ascii::trim("\r \tv\t \r", ascii::kSpacesAndCr), "\tv\t");
    // Other white space (newline, vertical tab, form feed) is never trimmed.
    EXPECT_EQ(ascii::trim("\n\v\fv\f\v\n", ascii::kBlanksAndCr), "\n\v\fv\f\v\n");
    EXPECT_EQ(ascii::trimFront("  a  "), "a  ");
    EXPECT_EQ(ascii::trimBack("  a  "), "  a");
}

TEST(AsciiText, TrimLineDropsTheCrOfALineEndOnly)
{
    EXPECT_EQ(ascii::trimLine(" port = 3639 \r"), "port = 3639");
    EXPECT_EQ(ascii::trimLine("\tv\t\r \r"), "v");
    // A CR at the start is not a line end: it stays, and so does what it shields.
    EXPECT_EQ(ascii::trimLine("\r v"), "\r v");
    EXPECT_EQ(ascii::trimLine("\r"), "");  // all of it is the line end
    EXPECT_EQ(ascii::trimLine(""), "");
}

TEST(AsciiText, SplitKeepsEmptyPieces)
{
    using Pieces = std::vector<std::string_view>;
    EXPECT_EQ(ascii::split("10.0.0.1", '.'), (Pieces{"10", "0", "0", "1"}));
    EXPECT_EQ(ascii::split("a..b", '.'), (Pieces{"a", "", "b"}));
    EXPECT_EQ(ascii::split(".a.", '.'), (Pieces{"", "a", ""}));
    EXPECT_EQ(ascii::split("", '.'), (Pieces{""}));
    EXPECT_EQ(ascii::split("vyn.Audrey.host:Kitchen", ':'), (Pieces{"vyn.Audrey.host", "Kitchen"}));
}

TEST(AsciiText, UsableAtCompileTime)
{
    static_assert(ascii::equalsIgnoreCase("Alive", "aLIVE"));
    static_assert(ascii::trim(" x ") == "x");
    static_assert(ascii::containsIgnoreCase("vyn.Hub.x", "HUB"));
    SUCCEED();
}
