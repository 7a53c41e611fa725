// Script files in the encodings Windows editors save.
#include "vbscript/ScriptText.h"

#include <gtest/gtest.h>

using vbscript::scriptTextFromFile;

TEST(ScriptText, ByteOrderMarksAreReadAndDropped)
{
    EXPECT_EQ(scriptTextFromFile("\xEF\xBB\xBFx = 1"), "x = 1");
    EXPECT_EQ(scriptTextFromFile(std::string("\xFF\xFEx\0 \0=\0 \0\xE9\0", 12)), "x = \xC3\xA9");
    EXPECT_EQ(scriptTextFromFile(std::string("\xFE\xFF\0x\x20\xAC", 6)), "x\xE2\x82\xAC");
    // A character beyond the first plane stays its two UTF-16 units, as strings hold it.
    EXPECT_EQ(scriptTextFromFile(std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6)), "\xED\xA0\xBD\xED\xB8\x80");
}

TEST(ScriptText, OtherTextStaysAsItIs)
{
    EXPECT_EQ(scriptTextFromFile("x = \"\xE9\""), "x = \"\xE9\"");
    EXPECT_EQ(scriptTextFromFile(""), "");
    EXPECT_EQ(scriptTextFromFile("\xFF"), "\xFF");
    // An odd byte at the end of a UTF-16 file is no character.
    EXPECT_EQ(scriptTextFromFile(std::string("\xFF\xFEx\0y", 5)), "x");
}
