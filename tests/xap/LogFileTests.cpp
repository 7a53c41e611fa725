#include "xap/Globals.h"
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
        // The failure's description may differ: source and text make a repeat.
        write("From XAP", "", i % 2 ? "0 Subscript out of range" : "0 This key is already associated");
    }
    EXPECT_EQ(dir.read("log.txt"), "From XAP  0 \r\n");
    now += 60s;
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

TEST(LogFileCap, ReadFromVynXapIni)
{
    EXPECT_EQ(xap::parseLogSizeCap("1048576"), 1048576u);
    EXPECT_EQ(xap::parseLogSizeCap(" 4096 "), 4096u);
    for (const char* bad : {"", "10 MB", "-5", "100", "99999999999999999999"})
        EXPECT_EQ(xap::parseLogSizeCap(bad), 0u) << bad;

    TempFolder dir;
    dir.write("Config/vynXap.ini", "[Logging]\r\nMaxLogFileSize=50000\r\n");
    xap::InitXapAt(dir.path(), dir / "tallis");
    EXPECT_EQ(xap::logFileWriter().maxBytes(), 50000u);
    dir.write("Config/vynXap.ini", "[Interface]\r\n");
    xap::InitXapAt(dir.path(), dir / "tallis");
    EXPECT_EQ(xap::logFileWriter().maxBytes(), LogFileWriter::kDefaultMaxBytes);
}
