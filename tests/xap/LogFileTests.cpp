#include "xap/ProgramState.h"
#include "xap/LogFileWriter.h"
#include "xap/Logging.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using testing_support::TempFolder;
using xap::LogFileWriter;

namespace {

// A writer on a file of its own, with a clock the test moves.
class LogFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        writer.setClock([this] { return now; });
    }
    void write(const std::string& source, const std::string& text, const std::string& detail = "0 ")
    {
        writer.write(path, source, text, source + " " + text + " " + detail + "\r\n");
    }
    TempFolder dir;
    std::string path = dir / "log.txt";
    LogFileWriter writer;
    LogFileWriter::Clock::time_point now = LogFileWriter::Clock::time_point{} + 1000s;
};

} // namespace

TEST_F(LogFileTest, RepeatsAreCountedAndReportedEveryMinuteAndBeforeTheNextRecord)
{
    write("From XAP", "");
    for (int i = 0; i < 1000; ++i) {
        now += 10ms;
        write("From XAP", "");
    }
    EXPECT_EQ(dir.read("log.txt"), "From XAP  0 \r\n");
    now += 50s;
    write("From XAP", "");
    EXPECT_EQ(dir.read("log.txt"), "From XAP  0 \r\nlast message repeated 1001 times\r\n");
    write("From XAP", "");
    write("raruveViziva", "Main Load");
    write("raruveViziva", "Main Load");
    writer.flush();
    writer.flush();
    EXPECT_EQ(dir.read("log.txt"), "From XAP  0 \r\nlast message repeated 1001 times\r\nlast message repeated 1 times\r\n"
                                   "raruveViziva Main Load 0 \r\nlast message repeated 1 times\r\n");
}

TEST_F(LogFileTest, DifferentFailuresAreDifferentRecordsAndAlternationCollapsesToo)
{
    // Same source and text, different failures: both are written.
    write("From XAP", "", "9 Subscript out of range");
    write("From XAP", "", "457 This key is already associated with an element of this collection");
    EXPECT_EQ(dir.read("log.txt"), "From XAP  9 Subscript out of range\r\n"
                                   "From XAP  457 This key is already associated with an element of this collection\r\n");
    // Alternating the two from then on writes nothing more until the minute is up.
    for (int i = 0; i < 2000; ++i) {
        now += 10ms;
        write("From XAP", "", i % 2 ? "457 This key is already associated with an element of this collection"
                                    : "9 Subscript out of range");
    }
    const std::string afterFlood = dir.read("log.txt");
    EXPECT_LT(afterFlood.size(), 400u) << afterFlood;
    // Each is reported with its own count, the earlier one by its text.
    writer.flush();
    const std::string text = dir.read("log.txt");
    EXPECT_NE(text.find("message repeated 1000 times: From XAP  9 Subscript out of range\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("last message repeated 1000 times\r\n"), std::string::npos) << text;
}

TEST_F(LogFileTest, ManyDistinctRecordsPushOlderOnesOutOfTheWindow)
{
    // Nine records in rotation: the window holds eight, so each is written every time
    // and no count is ever wrong.
    for (int round = 0; round < 3; ++round)
        for (int r = 0; r < 9; ++r) {
            now += 1ms;
            write("raruveViziva", "record " + std::to_string(r));
        }
    writer.flush();
    const std::string text = dir.read("log.txt");
    std::size_t lines = 0;
    for (char c : text)
        lines += c == '\n';
    EXPECT_EQ(lines, 27u) << text;
    EXPECT_EQ(text.find("repeated"), std::string::npos) << text;
    // A record seen again after more than the window is written again, not counted.
    now += 61s;
    write("raruveViziva", "record 8");
    EXPECT_EQ(dir.read("log.txt").size(), text.size() + std::string("raruveViziva record 8 0 \r\n").size());
}

TEST_F(LogFileTest, TheFileIsRenamedWhenItWouldPassItsCap)
{
    writer.setMaxBytes(2000);
    for (int i = 0; i < 250; ++i)
        write("raruveViziva", "record " + std::to_string(i)); // about 25 bytes each
    const std::string current = dir.read("log.txt");
    const std::string older = dir.read("log.txt.1");
    EXPECT_LE(current.size(), 2000u);
    EXPECT_GT(older.size(), 1950u);
    EXPECT_LE(older.size(), 2000u);
    EXPECT_NE(current.find("record 249 0 \r\n"), std::string::npos);
    // Every record is whole in one file or the other, none lost at the seam.
    const std::string seam = older.substr(older.rfind("record "));
    const int lastOld = std::stoi(seam.substr(7));
    EXPECT_EQ(current.rfind("raruveViziva record " + std::to_string(lastOld + 1) + " 0 \r\n", 0), 0u);
    // Caps below the smallest are raised to it.
    writer.setMaxBytes(10);
    EXPECT_EQ(writer.maxBytes(), LogFileWriter::kMinMaxBytes);
}

TEST(LogFileCap, ParsedFromItsSettingText)
{
    EXPECT_EQ(xap::parseLogSizeCap("1048576"), 1048576u);
    EXPECT_EQ(xap::parseLogSizeCap(" 4096 "), 4096u);
    EXPECT_EQ(xap::parseLogSizeCap("\t4096\t"), 4096u);
    EXPECT_EQ(xap::parseLogSizeCap("999999999999999999"), 999999999999999999u);
    for (const char* bad : {"", "10 MB", "-5", "+4096", "0x10000", "40 96", "4096\r", "100", "99999999999999999999"})
        EXPECT_EQ(xap::parseLogSizeCap(bad), 0u) << bad;
}

TEST_F(LogFileTest, CharactersBeyondSixteenBitsAreWrittenAsWellFormedUtf8)
{
    // A script's G clef is two surrogate units (ED A0 B4, ED B4 9E); a lone one stays alone.
    write("Script", "clef \xED\xA0\xB4\xED\xB4\x9E lone \xED\xA0\xB4.");
    EXPECT_EQ(dir.read("log.txt"), "Script clef \xF0\x9D\x84\x9E lone \xEF\xBF\xBD. 0 \r\n");
}
