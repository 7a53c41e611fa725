#include "xap/FastString.h"
#include "xap/ProgramState.h"
#include "xap/Logging.h"
#include "xap/Outgoing.h"
#include "xap/SendGuards.h"

#include "../support/TempFolder.h"

#include <gtest/gtest.h>

using testing_support::TempFolder;

namespace {

struct Sent {
    std::string target, cls, section, data, sub, uid;
};

class RecordingSender final : public xap::MessageSender {
public:
    std::string SendXap(const std::string& target, const std::string& cls, const std::string& section,
                        const std::string& data, const std::string& sub, const std::string& uid) override
    {
        sent.push_back({target, cls, section, data, sub, uid});
        return {};
    }
    std::vector<Sent> sent;
};

class SendPathTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        program.xapReady = false;
        program.pending.clear();
        program.sender = &sender;
        program.baseFolder = dir.path();
        xap::LogEventLimiter& limiter = xap::logEventLimiter(program);
        limiter.reset();
        limiter.setTimerEnabled(false);
        limiter.setClock([this] { return now; });
    }
    void TearDown() override
    {
        program.sender = nullptr;
        program.xapReady = false;
        program.pending.clear();
    }
    TempFolder dir;
    // Each test sends through a program state of its own (its queue, limiter and
    // sender), handed to every call; none is made current.
    xap::ProgramState program;
    RecordingSender sender;
    xap::TokenBucket::Clock::time_point now = xap::TokenBucket::Clock::time_point{} + std::chrono::hours(1);
};

} // namespace

TEST_F(SendPathTest, MessagesWaitUntilReadyAndGoOutInOrder)
{
    xap::SendXap(program, "", "c1", "s", "a\1" "1");
    xap::SendXap(program, "t", "c2", "s", "b\1" "2", "02", "uid");
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_EQ(program.pending.size(), 2u);
    program.xapReady = true;
    xap::SendXap(program, "", "c3", "s", "");
    ASSERT_EQ(sender.sent.size(), 3u);
    EXPECT_EQ(sender.sent[0].cls, "c1");
    EXPECT_EQ(sender.sent[1].cls, "c2");
    EXPECT_EQ(sender.sent[1].sub, "02");
    EXPECT_EQ(sender.sent[1].uid, "uid");
    EXPECT_EQ(sender.sent[2].cls, "c3");
    EXPECT_TRUE(program.pending.empty());
}

TEST_F(SendPathTest, LogEventCarriesTheFailureText)
{
    program.xapReady = true;
    xap::LogEvent(program, "raruveViziva", "Using xAP port  32768");
    ASSERT_EQ(sender.sent.size(), 1u);
    const Sent& m = sender.sent[0];
    EXPECT_EQ(m.cls, "Homeseer.Event");
    EXPECT_EQ(m.section, "Event.Log");
    EXPECT_EQ(m.target, "");
    using namespace std::string_literals;
    const std::string tail = "\0Type\1raruveViziva\0Data\1Using xAP port  32768"s;
    EXPECT_EQ(m.data.substr(0, 5), "Time\1");
    EXPECT_EQ(m.data.substr(m.data.size() - tail.size()), tail);

    vb::trap(xap::logEventReporter(program), "raruveViziva", "GetINISetting", [] { vb::raiseError(vb::err::TypeMismatch); });
    ASSERT_EQ(sender.sent.size(), 2u);
    const std::string& data = sender.sent[1].data;
    const std::string marker = "Data\1GetINISetting Line ";
    ASSERT_NE(data.find(marker), std::string::npos);
    EXPECT_EQ(data.substr(data.size() - 14), " Type mismatch");
    EXPECT_FALSE(vb::currentFailure().active());
}

TEST_F(SendPathTest, WriteLogFileRecordFormat)
{
    std::filesystem::create_directories(dir / "Data");
    xap::WriteLogFile(program, "From XAP", "");
    vb::setCurrentFailure({13, "Type mismatch", {}, 120});
    xap::WriteLogFile(program, "raruveViziva", "Main Load");
    EXPECT_EQ(dir.read("Data/raruveViziva.txt"), "From XAP  0 \r\nraruveViziva Main Load 120 Type mismatch\r\n");
    EXPECT_FALSE(vb::currentFailure().active());
}

TEST_F(SendPathTest, CreateFoldersSkipsTheLastComponentAndRelativePaths)
{
    xap::CreateFolders(program, dir / "Tools/Tallis/Config/x");
    EXPECT_TRUE(dir.exists("Tools/Tallis/Config"));
    EXPECT_FALSE(dir.exists("Tools/Tallis/Config/x"));
    xap::CreateFolders(program, "relative/path/x");
    EXPECT_FALSE(std::filesystem::exists("relative"));
    // An existing folder in other letter case is reused.
    xap::CreateFolders(program, dir / "tools/tallis/data/x");
    EXPECT_TRUE(dir.exists("Tools/Tallis/data"));
    EXPECT_FALSE(dir.exists("tools"));
}

TEST(FastStringBuilder, GrowsByChunksAndJoinsInOrder)
{
    vb::Ref<xap::FastString> s = vb::make<xap::FastString>();
    EXPECT_EQ(s->highestIndex(), 100u);
    std::string expected;
    for (int i = 0; i < 250; ++i) {
        vb::call(*s, "Add", i);
        expected += std::to_string(i);
    }
    EXPECT_EQ(s->highestIndex(), 300u);
    EXPECT_EQ(vb::CStr(vb::getProperty(*s, "value")), expected);
    vb::call(*s, "Reset");
    EXPECT_EQ(vb::CStr(vb::getProperty(*s, "Value")), "");
    vb::Ref<xap::clsString> c = vb::make<xap::clsString>();
    EXPECT_EQ(vb::typeName(vb::Variant(c)), "clsString");
}

TEST_F(SendPathTest, LogEventsLeaveAtMostTenASecondTheRestGoToTheLogFileAndAreCounted)
{
    using namespace std::chrono_literals;
    std::filesystem::create_directories(dir / "Data");
    program.xapReady = true;
    for (int i = 0; i < 100; ++i)
        xap::LogEvent(program, "raruveViziva", "Readmessage " + std::to_string(i));
    // The burst goes out; the rest are in the log file, none on the wire.
    ASSERT_EQ(sender.sent.size(), 20u);
    const std::string log = dir.read("Data/raruveViziva.txt");
    EXPECT_NE(log.find("raruveViziva Readmessage 20 0 \r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("raruveViziva Readmessage 99 0 \r\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("Readmessage 19 "), std::string::npos) << log;
    // Other messages are not held back.
    xap::SendXap(program, "", "xAP-X10.event", "xAP-X10.event", "Device\1A1");
    EXPECT_EQ(sender.sent.back().cls, "xAP-X10.event");
    // A second later one event says how many were held back, then they flow again.
    now += 1s;
    xap::LogEvent(program, "raruveViziva", "after");
    ASSERT_EQ(sender.sent.size(), 23u);
    EXPECT_NE(sender.sent[21].data.find("Data\1" "80 further log events suppressed"), std::string::npos);
    EXPECT_NE(sender.sent[22].data.find("Data\1" "after"), std::string::npos);
    // The rate holds over time: 10 seconds of a steady flood send about 100 more.
    for (int i = 0; i < 1000; ++i) {
        now += 10ms;
        xap::LogEvent(program, "raruveViziva", "flood");
    }
    EXPECT_LE(sender.sent.size(), 23u + 101u + 10u);
    EXPECT_GE(sender.sent.size(), 23u + 90u);
}

TEST_F(SendPathTest, NothingIsSentWhileTheNodeHandlesItsOwnMessage)
{
    std::filesystem::create_directories(dir / "Data");
    program.xapReady = true;
    program.xapSource = "vyn.Audrey.PC1";
    program.xapUID = "FF.0097:00";
    EXPECT_TRUE(xap::isOwnMessage(program, "vyn.Audrey.PC1", "FF.0097:00"));
    EXPECT_TRUE(xap::isOwnMessage(program, "VYN.audrey.pc1:02", "ff.0097:02")); // a sub-address of its own
    EXPECT_FALSE(xap::isOwnMessage(program, "vyn.Audrey.PC2", "FF.0097:00"));
    EXPECT_FALSE(xap::isOwnMessage(program, "vyn.Audrey.PC1", "FF.0098:00"));
    EXPECT_FALSE(xap::isOwnMessage(program, "Unknown", "Unknown"));
    {
        xap::OwnMessageScope scope(program);
        scope.markOwn(true);
        // A failure's report and a reply alike stay off the wire; the log file has them.
        vb::trap(xap::logEventReporter(program), "raruveViziva", "Readmessage", [] { vb::raiseError(vb::err::NoSuchMember); });
        xap::SendXap(program, "", "ZOR.Echo", "Echo.Response", "Response\1ping");
        EXPECT_TRUE(sender.sent.empty());
    }
    const std::string log = dir.read("Data/raruveViziva.txt");
    EXPECT_NE(log.find("raruveViziva Readmessage Line "), std::string::npos) << log;
    EXPECT_NE(log.find("own message: ZOR.Echo"), std::string::npos) << log;
    // Once the scope ends the node sends again; a scope for another's message mutes nothing.
    {
        xap::OwnMessageScope scope(program);
        scope.markOwn(false);
        xap::SendXap(program, "", "ZOR.Echo", "Echo.Response", "Response\1ping");
    }
    EXPECT_EQ(sender.sent.size(), 1u);
}

// Each program's limiter sends its own summary: a second program in the same process
// (made after the first has sent) does not lose its count.
TEST_F(SendPathTest, EveryProgramsLimiterSendsItsSummary)
{
    using namespace std::chrono_literals;
    std::filesystem::create_directories(dir / "Data");
    const auto flood = [&](xap::ProgramState& program, RecordingSender& to) {
        program.xapReady = true;
        xap::LogEventLimiter& limiter = xap::logEventLimiter(program);
        limiter.setTimerEnabled(false);
        limiter.setClock([this] { return now; });
        for (int i = 0; i < 25; ++i)
            xap::LogEvent(program, "raruveViziva", "flood " + std::to_string(i));
        now += 1s;
        xap::LogEvent(program, "raruveViziva", "after");
        ASSERT_EQ(to.sent.size(), 22u);
        EXPECT_NE(to.sent[20].data.find("Data\1" "5 further log events suppressed"), std::string::npos);
    };
    flood(program, sender);
    for (int round = 0; round < 2; ++round) {
        xap::ProgramState other;
        other.baseFolder = dir.path();
        RecordingSender otherSender;
        other.sender = &otherSender;
        flood(other, otherSender);
        other.sender = nullptr;
    }
}
