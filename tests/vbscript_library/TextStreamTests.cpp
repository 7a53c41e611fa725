#include "LibraryTestSupport.h"

#include "support/TempFolder.h"

#include "automation/Conversions.h"

using namespace library_test;
using testing_support::TempFolder;
using vb::Variant;

namespace {

constexpr std::int16_t kForReading = 1;
constexpr std::int16_t kForWriting = 2;
constexpr std::int16_t kForAppending = 8;
constexpr std::int16_t kUnicode = -1;
constexpr std::int16_t kUseDefault = -2;

class TextStreamTest : public ::testing::Test {
protected:
    vb::Ref<vb::Object> fso = vbscript::createObjectByProgId(context().library(), "Scripting.FileSystemObject");
    TempFolder temp;

    vb::Ref<vb::Object> stream(const Variant& v) { return object(v); }
    std::string path(const std::string& name) const { return temp / name; }
};

} // namespace

TEST_F(TextStreamTest, WriteThenRead)
{
    vb::Ref<vb::Object> out = stream(vb::call(*fso, "CreateTextFile", path("t.txt")));
    EXPECT_EQ("TextStream", out->typeName());
    vb::call(*out, "WriteLine", "first");
    vb::call(*out, "Write", "sec");
    vb::call(*out, "Write", "ond");
    vb::call(*out, "WriteBlankLines", std::int16_t(2));
    vb::call(*out, "WriteLine");
    EXPECT_EQ(5, vb::getProperty(*out, "Line").longValue());
    EXPECT_EQ("first\r\nsecond\r\n\r\n\r\n", temp.read("t.txt")); // written through at once
    EXPECT_VB_ERROR(54, vb::getProperty(*out, "AtEndOfStream"));
    EXPECT_VB_ERROR(54, vb::call(*out, "ReadLine"));
    vb::call(*out, "Close");
    EXPECT_VB_ERROR(52, vb::call(*out, "Write", "x"));

    vb::Ref<vb::Object> in = stream(vb::call(*fso, "OpenTextFile", path("t.txt")));
    EXPECT_EQ("first", vb::call(*in, "ReadLine").stringValue());
    EXPECT_EQ(2, vb::getProperty(*in, "Line").longValue());
    EXPECT_EQ("se", vb::call(*in, "Read", std::int16_t(2)).stringValue());
    EXPECT_EQ(3, vb::getProperty(*in, "Column").longValue());
    vb::call(*in, "Skip", std::int16_t(3));
    EXPECT_FALSE(vb::getProperty(*in, "AtEndOfLine").booleanValue());
    EXPECT_EQ("d", vb::call(*in, "Read", std::int16_t(1)).stringValue());
    EXPECT_TRUE(vb::getProperty(*in, "AtEndOfLine").booleanValue());
    vb::call(*in, "SkipLine");
    EXPECT_FALSE(vb::getProperty(*in, "AtEndOfStream").booleanValue());
    EXPECT_EQ("\r\n\r\n", vb::call(*in, "ReadAll").stringValue());
    EXPECT_TRUE(vb::getProperty(*in, "AtEndOfStream").booleanValue());
    EXPECT_VB_ERROR(62, vb::call(*in, "ReadLine"));
    EXPECT_VB_ERROR(62, vb::call(*in, "ReadAll"));
    EXPECT_VB_ERROR(54, vb::call(*in, "Write", "x"));
}

TEST_F(TextStreamTest, LineEndsOfEveryKind)
{
    temp.write("mixed.txt", "a\r\nb\nc\rd");
    vb::Ref<vb::Object> in = stream(vb::call(*fso, "OpenTextFile", path("mixed.txt")));
    std::vector<std::string> lines;
    while (!vb::getProperty(*in, "AtEndOfStream").booleanValue())
        lines.push_back(vb::call(*in, "ReadLine").stringValue());
    EXPECT_EQ((std::vector<std::string>{"a", "b", "c", "d"}), lines);

    temp.write("empty.txt", "");
    vb::Ref<vb::Object> empty = stream(vb::call(*fso, "OpenTextFile", path("empty.txt")));
    EXPECT_TRUE(vb::getProperty(*empty, "AtEndOfStream").booleanValue());
    EXPECT_VB_ERROR(62, vb::call(*empty, "ReadAll"));
}

TEST_F(TextStreamTest, OpenModesAndErrors)
{
    EXPECT_VB_ERROR(53, vb::call(*fso, "OpenTextFile", path("missing.txt")));
    EXPECT_VB_ERROR(53, vb::call(*fso, "OpenTextFile", path("missing.txt"), kForWriting));
    EXPECT_VB_ERROR(76, vb::call(*fso, "OpenTextFile", path("no/dir.txt"), kForWriting, true));
    EXPECT_VB_ERROR(70, vb::call(*fso, "OpenTextFile", temp.path(), kForReading));
    EXPECT_VB_ERROR(5, vb::call(*fso, "OpenTextFile", path("x.txt"), std::int16_t(3), true));

    vb::call(*stream(vb::call(*fso, "OpenTextFile", path("log.txt"), kForAppending, true)), "WriteLine", "one");
    vb::call(*stream(vb::call(*fso, "OpenTextFile", path("log.txt"), kForAppending)), "WriteLine", "two");
    EXPECT_EQ("one\r\ntwo\r\n", temp.read("log.txt"));
    vb::call(*stream(vb::call(*fso, "OpenTextFile", path("log.txt"), kForWriting)), "Write", "new");
    EXPECT_EQ("new", temp.read("log.txt"));

    EXPECT_VB_ERROR(58, vb::call(*fso, "CreateTextFile", path("log.txt")));
    EXPECT_VB_ERROR(58, vb::call(*fso, "CreateTextFile", path("log.txt"), false));
    vb::call(*fso, "CreateTextFile", path("log.txt"), true);
    EXPECT_EQ("", temp.read("log.txt"));
}

TEST_F(TextStreamTest, UnicodeFiles)
{
    vb::Ref<vb::Object> out = stream(vb::call(*fso, "CreateTextFile", path("u.txt"), true, true));
    vb::call(*out, "Write", "A\xE2\x82\xAC");
    vb::call(*out, "Close");
    EXPECT_EQ(std::string("\xFF\xFE" "A\0\xAC\x20", 6), temp.read("u.txt"));

    vb::Ref<vb::Object> in = stream(vb::call(*fso, "OpenTextFile", path("u.txt"), kForReading, false, kUnicode));
    EXPECT_EQ("A\xE2\x82\xAC", vb::call(*in, "ReadAll").stringValue());
    vb::Ref<vb::Object> detected = stream(vb::call(*fso, "OpenTextFile", path("u.txt"), kForReading, false, kUseDefault));
    EXPECT_EQ("A\xE2\x82\xAC", vb::call(*detected, "ReadAll").stringValue());

    // Opened through the File object too.
    vb::Ref<vb::Object> file = object(vb::call(*fso, "GetFile", path("u.txt")));
    vb::Ref<vb::Object> viaFile = stream(vb::call(*file, "OpenAsTextStream", kForReading, kUnicode));
    EXPECT_EQ("A", vb::call(*viaFile, "Read", std::int16_t(1)).stringValue());
}

TEST_F(TextStreamTest, FolderCreateTextFile)
{
    vb::Ref<vb::Object> folder = object(vb::call(*fso, "GetFolder", temp.path()));
    vb::Ref<vb::Object> out = stream(vb::call(*folder, "CreateTextFile", "inside.txt"));
    vb::call(*out, "Write", "hi");
    EXPECT_EQ("hi", temp.read("inside.txt"));
    EXPECT_VB_ERROR(58, vb::call(*folder, "CreateTextFile", "inside.txt"));
}
