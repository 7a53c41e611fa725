// Text beyond 16 bits: into the engine as UTF-16 units, out again as well-formed UTF-8.
#include "automation/Utf16Text.h"

#include <gtest/gtest.h>

using vb::utf16::toUnits;
using vb::utf16::toWellFormed;

namespace {

const std::string kClef = "\xF0\x9D\x84\x9E";             // U+1D11E
const std::string kClefUnits = "\xED\xA0\xB4\xED\xB4\x9E"; // D834 DD1E
const std::string kReplacement = "\xEF\xBF\xBD";

TEST(Utf16Text, FourByteCharactersBecomeTwoUnitsAndBack)
{
    EXPECT_EQ(toUnits(kClef), kClefUnits);
    EXPECT_EQ(toUnits("a" + kClef + "b\xC3\xA9"), "a" + kClefUnits + "b\xC3\xA9");
    EXPECT_EQ(toWellFormed(kClefUnits), kClef);
    EXPECT_EQ(toWellFormed(toUnits("x" + kClef + kClef)), "x" + kClef + kClef);
}

TEST(Utf16Text, LoneSurrogatesLeaveAsReplacementCharacters)
{
    const std::string high = "\xED\xA0\xB4", low = "\xED\xB4\x9E";
    EXPECT_EQ(toWellFormed(high), kReplacement);
    EXPECT_EQ(toWellFormed(low + high), kReplacement + kReplacement);
    EXPECT_EQ(toWellFormed(high + "a" + low), kReplacement + "a" + kReplacement);
    // A high unit cut off at the end of the text.
    EXPECT_EQ(toWellFormed("a\xED\xA0"), "a\xED\xA0");
}

TEST(Utf16Text, OtherBytesPassUnchanged)
{
    // Valid text below 16 bits, 8-bit bytes of the program's files, and the first
    // plane's own characters near the surrogates (U+D7FF, U+E000).
    const std::string text = "plain \xC3\xA9 \xE9 \xFF \xED\x9F\xBF \xEE\x80\x80";
    EXPECT_EQ(toUnits(text), text);
    EXPECT_EQ(toWellFormed(text), text);
    // Four bytes that are no character (beyond U+10FFFF, or cut short) stay bytes.
    EXPECT_EQ(toUnits("\xF4\x90\x80\x80"), "\xF4\x90\x80\x80");
    EXPECT_EQ(toUnits("\xF0\x9D\x84"), "\xF0\x9D\x84");
}

} // namespace
